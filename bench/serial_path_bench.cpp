// Timed scenario on the real serial path: tessaline-sim on a pseudo-terminal in
// real time, the host through QSerialPort. Prints the Talker download time at
// 1200 baud and the time of a 255-byte memory dump at 9600 baud, each against
// its time on the wire.
#include "config/talker_adaptation.h"
#include "link/qt_event_clock.h"
#include "link/qt_serial_line.h"
#include "link/serial_port.h"
#include "link/session.h"
#include "link/silent_screen.h"
#include "operations/memory_read.h"
#include "operations/talker_link.h"
#include "simulator_on_pty.h"

#include <QCoreApplication>
#include <QProcess>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace tessaline;

namespace {

double secondes(std::chrono::steady_clock::time_point depuis) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - depuis).count();
}

double mediane(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QProcess sim;
    const QString esclave = bench::lancerSimulateur(sim);
    if (esclave.isEmpty()) return 1;

    bench::SessionSurPty pty(esclave);
    Session& session = pty.session;

    // The download at 1200 baud (crystal 8 MHz): 257 characters on the wire.
    std::vector<double> telechargements;
    for (int i = 0; i < 3; ++i) {
        sim.write("reset\n");
        session.config.Baud = 1200;
        AdapteTalker(session.config);
        const auto debut = std::chrono::steady_clock::now();
        if (LoadTalker(session) != ResultatChargement::Charge) return 1;
        telechargements.push_back(secondes(debut));
    }
    const double filaire = 257 * 10 / 1200.0;
    std::printf("Talker download at 1200 baud: median %.3f s for the whole operation (wire time of the image "
                "%.3f s; the operation adds two 0.2 s pauses and the register check)\n",
                mediane(telechargements), filaire);

    // A 255-byte dump at 9600 baud: command, count, address, then 255 bytes each
    // answered by a handshake byte.
    sim.write("reset\n");
    session.config.Baud = 9600;
    AdapteTalker(session.config);
    if (LoadTalker(session) != ResultatChargement::Charge) return 1;
    // As the console does for every command: the link watch must not take the
    // bytes the operation waits for.
    SurvCom(session, false);
    std::vector<double> dumps;
    for (int i = 0; i < 5; ++i) {
        session.console.CmdAdresse = QStringLiteral("0000");
        session.console.CmdLongueur = QStringLiteral("FF");
        const auto debut = std::chrono::steady_clock::now();
        MemDump(session);
        dumps.push_back(secondes(debut) - 0.3); // MemDump's own 0.3 s pause before it starts
    }
    const double filaireDump = 515 * 10 / 9600.0;
    const double m = mediane(dumps);
    std::printf(
        "255-byte dump at 9600 baud: median %.3f s of exchange (after the operation's 0.3 s pause), wire "
        "time %.3f s, ratio %.2f\n",
        m, filaireDump, m / filaireDump);
    sim.closeWriteChannel();
    sim.waitForFinished(3000);
    return 0;
}
