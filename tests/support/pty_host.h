// Pseudo-terminals as a host program sees them, for the tests of the real serial path:
// the slave of a simulated board opened as a serial-port library opens it, and a raw
// terminal of the test's own that a child process writes to. Plain POSIX, so that the
// simulator's tests (no Qt) share it with the host's.
#pragma once

#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tessaline::test {

// The host's end: opened raw, then set to `vitesse`, then (after `pause`, a host held
// up) flushed, as QSerialPort does on Linux.
class TerminalHote {
public:
    explicit TerminalHote(const std::string& chemin, speed_t vitesse = B1200,
                          std::chrono::milliseconds pause = std::chrono::milliseconds(0))
        : fd(::open(chemin.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(fd, TCSANOW, &t);
        ::cfsetspeed(&t, vitesse);
        ::tcsetattr(fd, TCSANOW, &t);
        std::this_thread::sleep_for(pause);
        ::tcflush(fd, TCIOFLUSH);
    }
    ~TerminalHote() { fermer(); }
    TerminalHote(const TerminalHote&) = delete;
    TerminalHote& operator=(const TerminalHote&) = delete;

    bool ouvert() const { return fd >= 0; }
    void fermer() {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    bool envoyer(const std::vector<uint8_t>& octets) {
        return ::write(fd, octets.data(), octets.size()) == ssize_t(octets.size());
    }
    // What arrives until `n` bytes came or `delai` passed.
    std::vector<uint8_t> recevoir(std::size_t n, std::chrono::milliseconds delai) {
        std::vector<uint8_t> recus;
        for (const auto fin = std::chrono::steady_clock::now() + delai;
             recus.size() < n && std::chrono::steady_clock::now() < fin;) {
            pollfd p{fd, POLLIN, 0};
            uint8_t tampon[256];
            const ssize_t lus = ::poll(&p, 1, 5) > 0 ? ::read(fd, tampon, sizeof tampon) : 0;
            if (lus > 0) recus.insert(recus.end(), tampon, tampon + lus);
        }
        return recus;
    }

    int fd = -1;
};

// A raw terminal pair of the test's own: a child writes to `esclave` (given as its
// standard error, say) and the test reads the bytes exactly as written from `maitre`.
class TerminalBrut {
public:
    TerminalBrut() {
        maitre = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (maitre < 0 || ::grantpt(maitre) != 0 || ::unlockpt(maitre) != 0) return;
        esclave = ::open(::ptsname(maitre), O_RDWR | O_NOCTTY);
        termios t{};
        ::tcgetattr(esclave, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(esclave, TCSANOW, &t);
        ::fcntl(maitre, F_SETFL, O_NONBLOCK);
    }
    ~TerminalBrut() {
        if (esclave >= 0) ::close(esclave);
        if (maitre >= 0) ::close(maitre);
    }
    TerminalBrut(const TerminalBrut&) = delete;
    TerminalBrut& operator=(const TerminalBrut&) = delete;

    // Everything written so far, appended to `recus`.
    void lire(std::string& recus) {
        char tampon[4096];
        for (ssize_t n; (n = ::read(maitre, tampon, sizeof tampon)) > 0;)
            recus.append(tampon, std::size_t(n));
    }

    int maitre = -1;
    int esclave = -1;
};

} // namespace tessaline::test
