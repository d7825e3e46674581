// The board's end of a pseudo-terminal (POSIX). The host opens the slave side like any
// serial port; the board reads what the host writes from the master side, writes what
// the SCI sends, and learns the host's line settings from the master (tcgetattr on the
// master returns the slave's settings).
//
// The master is made raw at once, so that the host's own close restores raw settings.
// Packet mode (TIOCPKT) with EXTPROC set on the terminal reports each tcsetattr by the
// host as a status byte, and each flush of the host's input queue; a host that clears
// EXTPROC is still caught by polling the settings. A closed slave shows as POLLHUP on the master (only after
// a first open).
#pragma once

#include "pty_link.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hc11 {

class PtyEndpoint {
public:
    PtyEndpoint() = default;
    ~PtyEndpoint();
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;

    // Opens the master; false with `error` set on failure.
    bool open(std::string& error);
    // Closes the master, as a board that is switched off or killed does: the
    // host's side sees a hang-up.
    void close();
    // Symlinks `linkPath` to the slave, unless something other than a stale link is
    // there (see PtyLink); the destructor removes the link if it is still this one.
    PtyLink::Result link(const std::string& linkPath, std::string& error);

    int masterFd() const { return fd_; }
    const std::string& slavePath() const { return slavePath_; }

    // The rate the host set on the line (0 when the host set B0, -1 when unreadable).
    double hostBaud() const;

    struct ReadResult {
        std::vector<uint8_t> data;
        bool settingsChanged = false; // the host called tcsetattr
        bool inputFlushed = false;    // the host discarded what it had not read (tcflush)
        bool hangup = false;          // the host closed the slave
    };
    // Reads what is waiting (non-blocking).
    ReadResult read();
    // Writes bytes to the host; false when the host side is not there.
    bool write(const uint8_t* data, std::size_t n);

private:
    int fd_ = -1;
    std::string slavePath_;
    PtyLink link_;
};

// The numeric rate of a termios speed constant (B1200 → 1200), 0 for B0 or unknown.
double baudOfSpeed(unsigned speed);

} // namespace hc11
