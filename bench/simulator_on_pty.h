// tessaline-sim started on a pseudo-terminal for the benchmarks that take the
// real serial path: the terminal's name is the first line it prints.
#pragma once

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

} // namespace tessaline::bench
