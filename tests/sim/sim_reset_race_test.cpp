// Fifty downloads in a row, each to a fresh board behind a pseudo-terminal that nobody
// resets, whichever way the host opens its line (once; twice at the boot rate; at 9600
// first; held up before its flush, shorter and longer than the settle time): one break,
// after the flush, then a download that runs. Odd runs in virtual time.
#include "board_test_support.h"

#include "sim/pty_bridge.h"
#include "sim/pty_endpoint.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace hc11::test {
namespace {

using namespace std::chrono_literals;

// Opens the slave as a serial-port library does: raw, the rate, then a flush.
int openHost(const std::string& path, speed_t speed, std::chrono::milliseconds stallBeforeFlush) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    ::cfsetspeed(&t, speed);
    ::tcsetattr(fd, TCSANOW, &t);
    std::this_thread::sleep_for(stallBeforeFlush);
    ::tcflush(fd, TCIOFLUSH);
    return fd;
}

std::vector<uint8_t> receive(int fd, std::size_t n, std::chrono::milliseconds timeout) {
    std::vector<uint8_t> out;
    for (const auto end = std::chrono::steady_clock::now() + timeout;
         out.size() < n && std::chrono::steady_clock::now() < end;) {
        pollfd p{fd, POLLIN, 0};
        uint8_t buf[64];
        const ssize_t r = ::poll(&p, 1, 5) > 0 ? ::read(fd, buf, sizeof buf) : 0;
        out.insert(out.end(), buf, buf + std::max<ssize_t>(r, 0));
    }
    return out;
}

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
            const int first = openHost(pty.slavePath(), opening == 1 ? B2400 : B9600, 0ms);
            EXPECT_TRUE(receive(first, 1, 60ms).empty()) << "left reset before the download's open";
            ::close(first);
        }
        const int host = openHost(pty.slavePath(), B2400, stalls[opening]);
        EXPECT_EQ(receive(host, 1, 2000ms), std::vector<uint8_t>{0x00}) << "one break, after the flush";
        const uint8_t sync = 0xFF;
        EXPECT_EQ(::write(host, &sync, 1), 1);
        EXPECT_EQ(::write(host, program.data(), 8), 8);
        // A pause of the host inside the image, well under the boot ROM's four idle
        // character times (16.7 ms at 2400 baud) even on a busy machine.
        std::this_thread::sleep_for(5ms);
        EXPECT_EQ(::write(host, program.data() + 8, program.size() - 8), ssize_t(program.size() - 8));
        EXPECT_EQ(receive(host, answer.size(), 1500ms), answer) << "echoes, then the program";
        EXPECT_TRUE(receive(host, 1, 20ms).empty()) << "nothing more: no second reset";

        ::close(host);
        EXPECT_EQ(::write(quit[1], "q", 1), 1);
        thread.join();
        ::close(quit[0]);
        ::close(quit[1]);
    }
}

} // namespace
} // namespace hc11::test
