// The board behind a pseudo-terminal leaves reset by itself when a host sets its line to
// the boot rate. Fifty downloads in a row, each on a fresh board, with the ways a host
// opens its port before a download: once; twice at the boot rate (a program whose
// working rate is the boot rate opens, then reopens for the download); at another rate
// first; and with the host held up between setting its rate and flushing its input,
// shorter and longer than the bridge's settle time. Each time the host must see exactly
// one break, after its flush, and a download that runs; half of the runs are in virtual
// time with the image written in two pieces.
#include "board_test_support.h"

#include "sim/pty_bridge.h"
#include "sim/pty_endpoint.h"

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace hc11::test {
namespace {

using namespace std::chrono_literals;

// A host port opened as a serial-port library does: the device, raw settings, the rate,
// then a flush of whatever was waiting.
class Host {
public:
    ~Host() { close(); }
    void open(const std::string& path, speed_t speed, std::chrono::milliseconds stallBeforeFlush = 0ms) {
        close();
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd_, 0);
        termios t{};
        ::tcgetattr(fd_, &t);
        ::cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(fd_, TCSANOW, &t);
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
        ::tcsetattr(fd_, TCSANOW, &t);
        std::this_thread::sleep_for(stallBeforeFlush);
        ::tcflush(fd_, TCIOFLUSH);
    }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    void send(const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    // What arrives until `n` bytes came or `timeout` passed.
    std::vector<uint8_t> receive(std::size_t n, std::chrono::milliseconds timeout) {
        std::vector<uint8_t> out;
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (out.size() < n && std::chrono::steady_clock::now() < end) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 5) <= 0) continue;
            uint8_t buf[256];
            const ssize_t r = ::read(fd_, buf, sizeof buf);
            if (r > 0) out.insert(out.end(), buf, buf + r);
        }
        return out;
    }

private:
    int fd_ = -1;
};

enum class Opening { Once, TwiceAtBootRate, WorkingRateFirst, ShortStall, LongStall };
constexpr Opening kOpenings[] = {Opening::Once, Opening::TwiceAtBootRate, Opening::WorkingRateFirst,
                                 Opening::ShortStall, Opening::LongStall};

// A bridge on its own thread for one board, ended through a pipe.
struct BridgeRun {
    BridgeRun(Board& board, PtyEndpoint& pty, bool virtualTime)
        : bridge(board, pty, virtualTime) {
        EXPECT_EQ(::pipe(control), 0);
        bridge.watch(control[0], [] { return false; });
        thread = std::thread([this] { bridge.run(); });
    }
    ~BridgeRun() {
        EXPECT_EQ(::write(control[1], "q", 1), 1);
        thread.join();
        ::close(control[0]);
        ::close(control[1]);
    }
    PtyBridge bridge;
    int control[2] = {-1, -1};
    std::thread thread;
};

TEST(SimResetRace, FiftyDownloadsEachSeeOneBreakAfterTheHostIsReady) {
    // NOPs, then LDAA #$5A; STAA SCDR; BRA *: the program answers $5A once it runs.
    const std::vector<uint8_t> program{0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
                                       0x01, 0x01, 0x86, 0x5A, 0xB7, 0x10, 0x2F, 0x20, 0xFE};
    std::vector<uint8_t> expected = program;
    expected.push_back(0x5A);
    const std::vector<uint8_t> firstPiece(program.begin(), program.begin() + 8);
    const std::vector<uint8_t> secondPiece(program.begin() + 8, program.end());

    int passed = 0;
    for (int run = 0; run < 50; ++run) {
        const Opening opening = kOpenings[run % 5];
        const bool virtualTime = run % 2 == 1;
        SCOPED_TRACE("run " + std::to_string(run) + (virtualTime ? " virtual time" : " real time") +
                     " opening " + std::to_string(int(opening)));
        auto board = makeBoard("68HC11F1", 16); // boot rate 2400 baud
        PtyEndpoint pty;
        std::string error;
        ASSERT_TRUE(pty.open(error)) << error;
        BridgeRun bridge(*board, pty, virtualTime);
        Host host;

        if (opening == Opening::TwiceAtBootRate || opening == Opening::WorkingRateFirst) {
            host.open(pty.slavePath(), opening == Opening::TwiceAtBootRate ? B2400 : B9600);
            EXPECT_TRUE(host.receive(1, 60ms).empty()) << "left reset before the download's open";
        }
        const auto stall = opening == Opening::ShortStall  ? 20ms
                           : opening == Opening::LongStall ? 2 * PtyBridge::kSettleTime
                                                           : 0ms;
        host.open(pty.slavePath(), B2400, stall);
        const auto breaks = host.receive(1, 2000ms);
        ASSERT_EQ(breaks, std::vector<uint8_t>{0x00}) << "the break, after the host's flush";

        host.send({0xFF});
        host.send(firstPiece);
        std::this_thread::sleep_for(15ms);
        host.send(secondPiece);
        EXPECT_EQ(host.receive(expected.size(), 1500ms), expected) << "echoes, then the program";
        EXPECT_TRUE(host.receive(1, 20ms).empty()) << "and nothing more: no second reset";
        passed += !::testing::Test::HasFailure();
        if (::testing::Test::HasFailure()) break;
    }
    EXPECT_EQ(passed, 50);
}

} // namespace
} // namespace hc11::test
