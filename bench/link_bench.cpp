// Timed scenario: the host's turnaround per handshaked byte through the real
// serial path (QSerialPort on a pseudo-terminal, an echo peer on the master
// side), and the processor time the host spends in a wait with no data.
#include "link/qt_event_clock.h"
#include "link/qt_serial_line.h"
#include "link/session.h"
#include "link/silent_screen.h"
#include "link/transfer.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace tessaline;

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int maitre = posix_openpt(O_RDWR | O_NOCTTY);
    if (maitre < 0 || grantpt(maitre) != 0 || unlockpt(maitre) != 0) {
        std::perror("posix_openpt");
        return 1;
    }
    termios t{};
    tcgetattr(maitre, &t);
    cfmakeraw(&t);
    tcsetattr(maitre, TCSANOW, &t);

    std::atomic<bool> echo{true};
    std::atomic<bool> fin{false};
    std::thread pair([&] {
        char buf[256];
        while (!fin) {
            pollfd p{maitre, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0 || !(p.revents & POLLIN)) continue;
            const ssize_t n = read(maitre, buf, sizeof buf);
            if (n > 0 && echo) (void)!write(maitre, buf, size_t(n));
        }
    });

    QtSerialLine ligne;
    QtEventClock horloge;
    SilentScreen ecran;
    Session session(ligne, horloge, ecran);
    if (!ligne.open(QString::fromLocal8Bit(ptsname(maitre)), QStringLiteral("9600,N,8,1"))) {
        std::fprintf(stderr, "open: %s\n", qPrintable(ligne.lastError().description));
        return 1;
    }

    const int tours = 3000;
    std::vector<double> us;
    us.reserve(tours);
    int echecs = 0;
    for (int i = 0; i < tours; ++i) {
        const auto a = std::chrono::steady_clock::now();
        session.ligne().sendByte(quint8(i));
        if (attendreOctet(session, session.config.Timeout, false, QStringLiteral("bench")).octet !=
            (i & 0xFF))
            ++echecs;
        us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - a).count());
    }
    std::sort(us.begin(), us.end());
    std::printf(
        "handshaked byte turnaround over a pty (%d bytes, %d failed): median %.0f us, p99 %.0f us, max "
        "%.0f us\n",
        tours, echecs, us[us.size() / 2], us[us.size() * 99 / 100], us.back());

    echo = false;
    session.config.Timeout = 20; // 2 s
    const double cpu0 = cpuSeconds();
    const auto a = std::chrono::steady_clock::now();
    const int r =
        static_cast<int>(attendreOctet(session, session.config.Timeout, true, QStringLiteral("bench")).fin);
    const double mur = std::chrono::duration<double>(std::chrono::steady_clock::now() - a).count();
    const double cpu = cpuSeconds() - cpu0;
    std::printf("wait with no data: result %d after %.3f s, processor time %.4f s = %.2f %% of one core\n", r,
                mur, cpu, 100.0 * cpu / mur);

    fin = true;
    pair.join();
    close(maitre);
    return 0;
}
