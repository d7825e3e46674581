// tessaline-sim started on a pseudo-terminal for the benchmarks that take the
// real serial path: the terminal's name is the first line it prints.
#pragma once

#include "link/qt_event_clock.h"
#include "link/qt_serial_line.h"
#include "link/session.h"
#include "link/silent_screen.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace tessaline::bench {

// Starts the simulator (the 68HC11F1 unless `options` say otherwise) and
// returns the name of its terminal; empty when it did not start.
inline QString lancerSimulateur(QProcess& sim, const QStringList& options = {}) {
    sim.start(QStringLiteral(TESSALINE_SIM),
              QStringList{QStringLiteral("--chip"), QStringLiteral("68HC11F1")} + options);
    if (!sim.waitForStarted() || !sim.waitForReadyRead(10000)) return {};
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}

// A session on that terminal through the real serial line and event clock,
// with a time-out of 5 s.
struct SessionSurPty {
    explicit SessionSurPty(const QString& esclave) {
        session.config.Port = esclave;
        session.config.Timeout = 50;
    }
    QtSerialLine ligne;
    QtEventClock horloge;
    SilentScreen ecran;
    Session session{ligne, horloge, ecran};
};

} // namespace tessaline::bench
