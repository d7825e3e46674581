// Timed scenario: 100,000 entries appended to the trace window's area as the
// trace writers make them (a time stamp run in red, then the entry's text in
// bold red ending in CR LF), the window shown and its events processed every
// 100 entries, as the program's waits do. Prints the time per entry over the
// first and the last 1,000 entries, with and without the event processing that
// follows them, and the process's resident memory before and after; also the
// time per entry over 1,000 entries from the 10,000th, 20,000th, 40,000th...
// An argument gives another number of entries.
#include "link/conversions.h"
#include "link/screen.h"
#include "ui/rich_text_area.h"
#include "ui/trace_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace tessaline;

namespace {

constexpr int EntreesParDefaut = 100000;
constexpr int Echantillon = 1000;
constexpr int EntreesParEvenements = 100;

// Resident memory of this process, in KiB (VmRSS of /proc/self/status).
long memoireResidenteKio() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (QByteArray ligne = status.readLine(); !ligne.isEmpty(); ligne = status.readLine())
        if (ligne.startsWith("VmRSS:")) return ligne.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

struct Tranche {
    qint64 ajout = 0;      // ns in appendRun
    qint64 evenements = 0; // ns processing events (layout, painting)
};

void imprimer(const char* nom, const Tranche& t) {
    std::printf("%-16s %8.2f us per entry appending, %8.2f us with event processing\n", nom,
                t.ajout / 1e3 / Echantillon, (t.ajout + t.evenements) / 1e3 / Echantillon);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The number of entries can be given to see how the cost grows further.
    const int Entrees = argc > 1 ? std::max(2 * Echantillon, std::atoi(argv[1])) : EntreesParDefaut;

    TraceWindow fenetre;
    fenetre.show();
    QApplication::processEvents();
    RichTextArea* trace = fenetre.area();
    const long avant = memoireResidenteKio();

    std::vector<qint64> ajout(Entrees), evenements(Entrees);
    QElapsedTimer total, chrono;
    total.start();
    double t = 36000.0;
    for (int i = 0; i < Entrees; ++i) {
        const QString heure = HeureTrace(t) + QStringLiteral("\t");
        const QString texte = QStringLiteral("MemDump %1 10\r\n").arg(i & 0xFFFF, 4, 16, QLatin1Char('0'));
        chrono.start();
        trace->appendRun(heure, couleur::Rouge);
        trace->appendRun(texte, couleur::Rouge, true);
        ajout[i] = chrono.nsecsElapsed();
        if ((i + 1) % EntreesParEvenements == 0) {
            chrono.start();
            QApplication::processEvents();
            evenements[i] = chrono.nsecsElapsed();
        }
        t += 0.0125;
    }
    const double secondes = total.nsecsElapsed() / 1e9;
    const long apres = memoireResidenteKio();

    auto tranche = [&](int debut) {
        Tranche r;
        for (int i = debut; i < debut + Echantillon; ++i) {
            r.ajout += ajout[i];
            r.evenements += evenements[i];
        }
        return r;
    };
    std::printf("trace_append_bench: %d entries (2 runs each), events processed every %d entries\n", Entrees,
                EntreesParEvenements);
    imprimer("first 1,000:", tranche(0));
    for (int debut = 10000; debut < Entrees - Echantillon; debut *= 2)
        imprimer(QStringLiteral("from %1:").arg(debut).toLatin1().constData(), tranche(debut));
    imprimer("last 1,000:", tranche(Entrees - Echantillon));
    std::printf("%-16s %8.2f s for all entries\n", "total:", secondes);
    std::printf("%-16s %ld KiB before, %ld KiB after (%+.1f MiB; %d lines in the area)\n", "VmRSS:", avant,
                apres, (apres - avant) / 1024.0, trace->document()->blockCount());
    return trace->document()->blockCount() == Entrees + 1 ? 0 : 1;
}
