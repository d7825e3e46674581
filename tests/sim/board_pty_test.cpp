// The board behind a pseudo-terminal, in real time: a host opens the slave as a serial
// port at 1200 8N1, sees the boot ROM's break, downloads a few bytes and gets their
// echoes; RESET from the control side; the host closing and reopening the line.
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

// The host's side: the slave opened and set up as a serial port program does.
class HostPort {
public:
    explicit HostPort(const std::string& path, speed_t speed = B1200) {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        EXPECT_GE(fd, 0);
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    ~HostPort() { close(); }
    void close() {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    void send(const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    // Reads until `n` bytes came or `timeout` passed.
    std::vector<uint8_t> receive(std::size_t n, std::chrono::milliseconds timeout) {
        std::vector<uint8_t> out;
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (out.size() < n && std::chrono::steady_clock::now() < end) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 10) > 0) {
                uint8_t buf[256];
                const ssize_t r = ::read(fd, buf, sizeof buf);
                if (r > 0) out.insert(out.end(), buf, buf + r);
            }
        }
        return out;
    }
    int fd = -1;
};

// Runs a PtyBridge on its own thread until stop().
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
    HostPort host(pty.slavePath(), B2400);
    EXPECT_DOUBLE_EQ(pty.hostBaud(), 2400);
    const auto r = pty.read();
    EXPECT_TRUE(r.settingsChanged) << "packet mode reports the host's tcsetattr";
    host.send({0x00, 0xFF, 0x11, 0x13});
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(pty.read().data, (std::vector<uint8_t>{0x00, 0xFF, 0x11, 0x13})) << "all byte values pass";
    host.close();
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

    HostPort host(pty.slavePath(), B1200);
    EXPECT_EQ(host.receive(1, 1000ms), std::vector<uint8_t>{0x00}) << "the break after RESET";
    // Sync, then BRA * and a byte; the F1 jumps after four idle characters.
    const auto t0 = std::chrono::steady_clock::now();
    host.send({0xFF, 0x20, 0xFE, 0x5A});
    EXPECT_EQ(host.receive(3, 1000ms), (std::vector<uint8_t>{0x20, 0xFE, 0x5A}));
    // Four characters at 1200 baud take 33 ms on the wire: the board keeps real time.
    const auto elapsed = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(elapsed, 30ms);
    EXPECT_LT(elapsed, 500ms);

    // RESET from the control side: a new break.
    std::this_thread::sleep_for(100ms);
    runner.command('r');
    EXPECT_EQ(host.receive(1, 1000ms), std::vector<uint8_t>{0x00});

    // The host closes and reopens at the boot rate while the ROM waits: a new break.
    host.close();
    std::this_thread::sleep_for(50ms);
    HostPort again(pty.slavePath(), B1200);
    EXPECT_EQ(again.receive(1, 1000ms), std::vector<uint8_t>{0x00});
}

TEST(PtyBridge, HostAtAnotherRateDoesNotResetTheBoard) {
    auto board = makeBoard("68HC11E1", 8);
    PtyEndpoint pty;
    std::string error;
    ASSERT_TRUE(pty.open(error)) << error;
    BridgeThread runner(*board, pty);
    HostPort host(pty.slavePath(), B9600);
    EXPECT_TRUE(host.receive(1, 200ms).empty()) << "held in reset: silent";
}

} // namespace
} // namespace hc11::test
