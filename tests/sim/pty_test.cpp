// The board behind a pseudo-terminal, in real time: a host opens the slave as a serial
// port, sees the boot ROM's break, downloads and gets the echoes; RESET from the control
// side; fifty downloads in a row whichever way the host opens; tessaline-sim --link.
#include "board_test_support.h"
#include "pty_host.h"
#include "sim/pty_bridge.h"
#include "sim/pty_endpoint.h"

#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace hc11::test {
namespace {

using namespace std::chrono_literals;
using tessaline::test::TerminalHote;

// Runs a PtyBridge on its own thread until it is destroyed; 'r' presses RESET.
class BridgeThread {
public:
    BridgeThread(Board& board, PtyEndpoint& pty)
        : bridge(board, pty, false) {
        EXPECT_EQ(::pipe(control), 0);
        bridge.watch(control[0], [this] {
            char c = 0;
            if (::read(control[0], &c, 1) != 1 || c == 'q') return false;
            bridge.resetBoard();
            return true;
        });
        thread = std::thread([this] { bridge.run(); });
    }
    ~BridgeThread() {
        command('q');
        thread.join();
        ::close(control[0]);
        ::close(control[1]);
    }
    void command(char c) { ASSERT_EQ(::write(control[1], &c, 1), 1); }

    PtyBridge bridge;
    int control[2] = {-1, -1};
    std::thread thread;
};

TEST(PtyEndpoint, OpensASlaveAndReadsItsRate) {
    PtyEndpoint pty;
    std::string error;
    ASSERT_TRUE(pty.open(error)) << error;
    EXPECT_EQ(pty.slavePath().rfind("/dev/pts/", 0), 0u) << pty.slavePath();
    TerminalHote host(pty.slavePath(), B2400);
    EXPECT_DOUBLE_EQ(pty.hostBaud(), 2400);
    const auto r = pty.read();
    EXPECT_TRUE(r.settingsChanged) << "packet mode reports the host's tcsetattr";
    EXPECT_TRUE(host.envoyer({0x00, 0xFF, 0x11, 0x13}));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(pty.read().data, (std::vector<uint8_t>{0x00, 0xFF, 0x11, 0x13})) << "all byte values pass";
    host.fermer();
    EXPECT_TRUE(pty.read().hangup);

    const std::string link = ::testing::TempDir() + "tessaline_pty_link_" + std::to_string(::getpid());
    ASSERT_EQ(pty.link(link, error), PtyLink::Result::Made) << error;
    char target[256] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(pty.slavePath(), target);
}

TEST(PtyBridge, HostDownloadsThroughTheBootRomAtRealTime) {
    auto board = makeBoard("68HC11F1", 8);
    PtyEndpoint pty;
    std::string error;
    ASSERT_TRUE(pty.open(error)) << error;
    BridgeThread runner(*board, pty);

    TerminalHote host(pty.slavePath(), B1200);
    EXPECT_EQ(host.recevoir(1, 1000ms), std::vector<uint8_t>{0x00}) << "the break after RESET";
    // Sync, then BRA * and a byte; the F1 jumps after four idle characters.
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(host.envoyer({0xFF, 0x20, 0xFE, 0x5A}));
    EXPECT_EQ(host.recevoir(3, 1000ms), (std::vector<uint8_t>{0x20, 0xFE, 0x5A}));
    // Four characters at 1200 baud take 33 ms on the wire: the board keeps real time.
    const auto elapsed = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(elapsed, 30ms);
    EXPECT_LT(elapsed, 500ms);

    // RESET from the control side: a new break.
    std::this_thread::sleep_for(100ms);
    runner.command('r');
    EXPECT_EQ(host.recevoir(1, 1000ms), std::vector<uint8_t>{0x00});

    // The host closes and reopens at the boot rate while the ROM waits: a new break.
    host.fermer();
    std::this_thread::sleep_for(50ms);
    TerminalHote again(pty.slavePath(), B1200);
    EXPECT_EQ(again.recevoir(1, 1000ms), std::vector<uint8_t>{0x00});
}

// Fifty downloads in a row, each to a fresh board behind a pseudo-terminal that nobody
// resets, whichever way the host opens its line (once; twice at the boot rate; at 9600
// first; held up before its flush, shorter and longer than the settle time): one break,
// after the flush, then a download that runs. Odd runs in virtual time.
TEST(SimResetRace, FiftyDownloadsEachSeeOneBreakAfterTheHostIsReady) {
    // NOPs, then LDAA #$5A; STAA SCDR; BRA *: the program says $5A once it runs.
    const std::vector<uint8_t> program{1, 1,    1,    1,    1,    1,    1,    1,   1,
                                       1, 0x86, 0x5A, 0xB7, 0x10, 0x2F, 0x20, 0xFE};
    std::vector<uint8_t> answer = program;
    answer.push_back(0x5A);
    const std::chrono::milliseconds stalls[] = {0ms, 0ms, 0ms, 20ms, 2 * PtyBridge::kSettleTime};

    for (int run = 0; run < 50 && !HasFailure(); ++run) {
        const int opening = run % 5; // 1: twice at the boot rate, 2: at 9600 first, 3-4: stalls
        SCOPED_TRACE("run " + std::to_string(run));
        auto board = makeBoard("68HC11F1", 16); // boot rate 2400 baud
        PtyEndpoint pty;
        std::string error;
        ASSERT_TRUE(pty.open(error)) << error;
        int quit[2];
        ASSERT_EQ(::pipe(quit), 0);
        PtyBridge bridge(*board, pty, run % 2 == 1);
        bridge.watch(quit[0], [] { return false; });
        std::thread thread([&] { bridge.run(); });

        if (opening == 1 || opening == 2) {
            TerminalHote first(pty.slavePath(), opening == 1 ? B2400 : B9600);
            EXPECT_TRUE(first.recevoir(1, 60ms).empty()) << "left reset before the download's open";
        }
        TerminalHote host(pty.slavePath(), B2400, stalls[opening]);
        EXPECT_EQ(host.recevoir(1, 2000ms), std::vector<uint8_t>{0x00}) << "one break, after the flush";
        EXPECT_TRUE(host.envoyer({0xFF}));
        EXPECT_TRUE(host.envoyer({program.begin(), program.begin() + 8}));
        // A pause of the host inside the image, well under the boot ROM's four idle
        // character times (16.7 ms at 2400 baud) even on a busy machine.
        std::this_thread::sleep_for(5ms);
        EXPECT_TRUE(host.envoyer({program.begin() + 8, program.end()}));
        EXPECT_EQ(host.recevoir(answer.size(), 1500ms), answer) << "echoes, then the program";
        EXPECT_TRUE(host.recevoir(1, 20ms).empty()) << "nothing more: no second reset";

        host.fermer();
        EXPECT_EQ(::write(quit[1], "q", 1), 1);
        thread.join();
        ::close(quit[0]);
        ::close(quit[1]);
    }
}

// tessaline-sim --link PATH makes PATH only where nothing is, or over a stale link to a
// terminal that is gone, and at exit removes only a link still pointing at its terminal.
std::string target(const std::string& p) {
    char buf[256] = {};
    return ::readlink(p.c_str(), buf, sizeof buf - 1) > 0 ? buf : "";
}

// tessaline-sim with standard input closed: it ends as soon as it has started.
int simulatorExit(const std::string& link) {
    const int status = std::system((TESSALINE_SIM " --link " + link + " </dev/null >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SimLinkPath, TakesOnlyNothingOrAStaleTerminalLinkAndRemovesOnlyItsOwn) {
    const std::string path = ::testing::TempDir() + "tessaline_link_" + std::to_string(::getpid());
    std::ofstream(path) << "notes\n";
    EXPECT_EQ(simulatorExit(path), 2);
    EXPECT_EQ((std::ostringstream() << std::ifstream(path).rdbuf()).str(), "notes\n") << "the user's file";
    ::unlink(path.c_str());

    std::optional<PtyEndpoint> first(std::in_place);
    std::string error;
    ASSERT_TRUE(first->open(error)) << error;
    ASSERT_EQ(first->link(path, error), PtyLink::Result::Made) << error;
    EXPECT_EQ(simulatorExit(path), 2) << "a second simulator on a live link";
    EXPECT_EQ(target(path), first->slavePath());
    // Links to what is not a terminal, dangling or not, are refused and left; so is, at
    // the first simulator's exit, the link the user put in place of its own.
    for (const std::string& other : {path + ".nowhere", std::string("/dev/null")}) {
        ::unlink(path.c_str());
        ASSERT_EQ(::symlink(other.c_str(), path.c_str()), 0);
        EXPECT_EQ(simulatorExit(path), 2) << other;
        first.reset();
        EXPECT_EQ(target(path), other);
    }
    // A link a killed simulator left, to a terminal that is gone or that this one now
    // holds, is taken and cleared.
    PtyEndpoint next;
    ASSERT_TRUE(next.open(error)) << error;
    for (const std::string& stale : {next.slavePath(), std::string("/dev/pts/999999")}) {
        ::unlink(path.c_str());
        ASSERT_EQ(::symlink(stale.c_str(), path.c_str()), 0);
        EXPECT_EQ(next.link(path, error), PtyLink::Result::Made) << stale;
        EXPECT_EQ(target(path), next.slavePath());
    }
    ::unlink(path.c_str());
    ASSERT_EQ(::symlink("/dev/pts/999999", path.c_str()), 0);
    EXPECT_EQ(simulatorExit(path), 0);
    EXPECT_EQ(target(path), "") << "removed at exit";
}

} // namespace
} // namespace hc11::test
