#include "pty_endpoint.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace hc11 {

namespace {

struct SpeedRow {
    speed_t speed;
    double baud;
};

constexpr SpeedRow kSpeeds[] = {
    {B50, 50},       {B75, 75},         {B110, 110},       {B134, 134.5},     {B150, 150},
    {B200, 200},     {B300, 300},       {B600, 600},       {B1200, 1200},     {B1800, 1800},
    {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
    {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
};

std::string errnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

} // namespace

double baudOfSpeed(unsigned speed) {
    for (const auto& s : kSpeeds)
        if (s.speed == speed) return s.baud;
    return 0;
}

PtyEndpoint::~PtyEndpoint() {
    link_.remove();
    close();
}

void PtyEndpoint::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool PtyEndpoint::open(std::string& error) {
    fd_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (fd_ < 0) {
        error = errnoText("posix_openpt");
        return false;
    }
    if (::grantpt(fd_) != 0 || ::unlockpt(fd_) != 0) {
        error = errnoText("grantpt/unlockpt");
        return false;
    }
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) {
        error = errnoText("tcgetattr");
        return false;
    }
    ::cfmakeraw(&t);
    t.c_lflag |= EXTPROC; // report the host's tcsetattr calls in packet mode
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) {
        error = errnoText("tcsetattr");
        return false;
    }
    int on = 1;
    if (::ioctl(fd_, TIOCPKT, &on) != 0) {
        error = errnoText("TIOCPKT");
        return false;
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
    char name[256];
    if (::ptsname_r(fd_, name, sizeof name) != 0) {
        error = errnoText("ptsname");
        return false;
    }
    slavePath_ = name;
    return true;
}

PtyLink::Result PtyEndpoint::link(const std::string& linkPath, std::string& error) {
    return link_.make(linkPath, slavePath_, error);
}

double PtyEndpoint::hostBaud() const {
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return -1;
    return baudOfSpeed(::cfgetospeed(&t));
}

PtyEndpoint::ReadResult PtyEndpoint::read() {
    ReadResult r;
    uint8_t buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n < 0) {
            if (errno == EIO) r.hangup = true; // no slave open
            return r;
        }
        if (n == 0) return r;
        // Packet mode: a status byte first; 0 means data follows.
        if (buf[0] == TIOCPKT_DATA)
            r.data.insert(r.data.end(), buf + 1, buf + n);
        else {
            if (buf[0] & TIOCPKT_IOCTL) r.settingsChanged = true;
            if (buf[0] & TIOCPKT_FLUSHREAD) r.inputFlushed = true;
        }
    }
}

bool PtyEndpoint::write(const uint8_t* data, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd_, data, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false; // EAGAIN: the host does not read and its buffer is full; EIO: no host
        }
        data += w;
        n -= std::size_t(w);
    }
    return true;
}

} // namespace hc11
