// Timed scenario: one single step at 9600 baud on the simulated 68HC11F1
// (8 MHz crystal) in real time, with the example program in its EEPROM and the
// Talker loaded. Each step is timed against what it cannot avoid: the time its
// bytes take on the wire (both directions, 10 bits a character) and the
// Talker's programming delays (every byte it writes, memory or register frame,
// is erased then programmed: two delays each, whether EEPROM or RAM).
//
// Two boards: tessaline-sim behind a pseudo-terminal, reached through
// QSerialPort (the path of a real board), and the in-process board the windows
// run with --simulate, paced by RealTimeBoard.
#include "config/talker_adaptation.h"
#include "link/conversions.h"
#include "link/qt_event_clock.h"
#include "link/qt_serial_line.h"
#include "link/serial_port.h"
#include "link/session.h"
#include "link/silent_screen.h"
#include "link/talker_protocol.h"
#include "operations/breakpoints.h"
#include "operations/execution_commands.h"
#include "operations/talker_link.h"
#include "realtime_board.h"
#include "sim/chip.h"
#include "sim/eeprom_image.h"
#include "sim_board_control.h"
#include "simulator_on_pty.h"

#include <QCoreApplication>
#include <QProcess>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

using namespace tessaline;

namespace {

constexpr int Baud = 9600;
constexpr double SecondesParOctet = 10.0 / Baud;
constexpr int Passes = 5;
const QString Exemple = QStringLiteral(TESSALINE_EXAMPLES "/compteur.s19");

// The line as the session sees it, counting what crosses it each way and
// keeping what the host sent.
class LigneComptee : public SerialLine {
public:
    explicit LigneComptee(SerialLine& ligne)
        : ligne_(ligne) {
        connect(&ligne_, &SerialLine::dataArrived, this, &SerialLine::dataArrived);
    }
    bool open(const QString& d, const QString& p) override { return ligne_.open(d, p); }
    void close() override { ligne_.close(); }
    bool isOpen() const override { return ligne_.isOpen(); }
    int bytesWaiting() override { return ligne_.bytesWaiting(); }
    QByteArray readAll() override {
        const QByteArray o = ligne_.readAll();
        recus += static_cast<int>(o.size());
        return o;
    }
    void sendByte(quint8 octet) override {
        envoyes.append(static_cast<char>(octet));
        ligne_.sendByte(octet);
    }
    ErreurExecution lastError() const override { return ligne_.lastError(); }
    bool coupee() const override { return ligne_.coupee(); }
    QString peripheriqueFixe() const override { return ligne_.peripheriqueFixe(); }
    bool sansProgramme() const override { return ligne_.sansProgramme(); }

    void remettreAZero() {
        envoyes.clear();
        recus = 0;
    }

    QByteArray envoyes;
    int recus = 0;

private:
    SerialLine& ligne_;
};

// The bytes the Talker writes (and so programs) in the host's side of a run
// of exchanges: command 5 writes its count, command 2 the 9 frame bytes. The
// rest of each exchange is skipped by its framing (talker_protocol.h). Nothing
// when the stream does not parse as whole exchanges.
std::optional<int> octetsProgrammes(const QByteArray& envoye) {
    int ecrits = 0;
    qsizetype i = 0;
    while (i < envoye.size()) {
        const int code = static_cast<quint8>(envoye[i]);
        // The count byte after the code: 0 stands for 256.
        const int n = i + 1 < envoye.size() ? static_cast<quint8>(envoye[i + 1]) : 1;
        const int compte = n == 0 ? MaxOctetsEchange : n;
        switch (code) {
        case commande::LireRegistres: i += 2 + 11; break; // code, 0, 11 handshakes
        case commande::EcrireRegistres:                   // code, address, frame, closing byte
            i += 3 + 9 + 1;
            ecrits += 9;
            break;
        case commande::TrameBreak: i += 2 + 13; break; // code, parameter, 13 handshakes
        case commande::Stop: i += 2; break;
        case commande::EcrireMemoire: // code, count, address, bytes, closing byte
            i += 4 + compte + 1;
            ecrits += compte;
            break;
        case commande::LireMemoire: i += 4 + compte; break; // code, count, address, handshakes
        default: return std::nullopt;
        }
    }
    if (i != envoye.size()) return std::nullopt;
    return ecrits;
}

// One programming delay of the adapted Talker: its count ($00FC-$00FD of the
// image, after the sync byte) turns of the 7-cycle WAIT loop (talker.asm) at
// E = crystal / 4 (crystal_table.h).
double delaiProgrammation(const Configuration& c) {
    const QByteArray& image = c.TalkerPrepare;
    const int compte = static_cast<quint8>(image[1 + 0xFC]) << 8 | static_cast<quint8>(image[1 + 0xFD]);
    return compte * 7.0 / (c.Quartz.toDouble() * 1e6 / 4);
}

double mediane(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The steps of one pass through the example's loop, from its JSR at $FE07: the
// instruction, where it starts and where the step must leave the PC.
struct Pas {
    const char* instruction;
    int pc;
    int suivant;
};
const std::vector<Pas> Boucle = {
    {"JSR incremente", 0xFE07, 0xFE15}, {"LDAA COMPTE", 0xFE15, 0xFE18}, {"INCA", 0xFE18, 0xFE19},
    {"STAA COMPTE", 0xFE19, 0xFE1C},    {"RTS", 0xFE1C, 0xFE0A},         {"BITA #$01", 0xFE0A, 0xFE0C},
    {"BNE impair", 0xFE0C, -1}, // taken or not by COMPTE's parity: $FE0E or $FE11
};

struct Mesures {
    std::vector<double> mur, somme;
    int octets = 0, programmes = 0;
};

// Steps through the loop `Passes` times, each step timed. False (said) when a
// step went wrong.
bool mesurer(Session& session, LigneComptee& ligne, const char* carte) {
    const double delai = delaiProgrammation(session.config);
    std::vector<Mesures> m(Boucle.size());
    for (int passe = 0; passe < Passes; ++passe) {
        session.registres.RegPC = DecHexa4(Boucle.front().pc);
        for (std::size_t i = 0; i < Boucle.size(); ++i) {
            ligne.remettreAZero();
            const auto debut = std::chrono::steady_clock::now();
            Step(session);
            const double mur =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
            const int pc = HexaDec(session.registres.RegPC);
            const bool attendu =
                Boucle[i].suivant >= 0 ? pc == Boucle[i].suivant : pc == 0xFE0E || pc == 0xFE11;
            const std::optional<int> programmes = octetsProgrammes(ligne.envoyes);
            if (!attendu || !programmes) {
                std::fprintf(stderr, "%s: step of %s left PC=%s (host sent %lld bytes%s)\n", carte,
                             Boucle[i].instruction, qPrintable(session.registres.RegPC),
                             static_cast<long long>(ligne.envoyes.size()),
                             programmes ? "" : ", not whole exchanges");
                return false;
            }
            const int octets = static_cast<int>(ligne.envoyes.size()) + ligne.recus;
            m[i].mur.push_back(mur);
            m[i].somme.push_back(octets * SecondesParOctet + *programmes * 2 * delai);
            m[i].octets = octets;
            m[i].programmes = *programmes;
        }
    }
    std::printf(
        "== %s: one step at %d baud, median of %d (programming delay %.2f ms, two per byte written)\n", carte,
        Baud, Passes, delai * 1e3);
    std::printf("%-16s %7s %9s %10s %9s %8s %6s\n", "instruction", "bytes", "written", "wall (s)", "wire (s)",
                "sum (s)", "ratio");
    for (std::size_t i = 0; i < Boucle.size(); ++i) {
        const double mur = mediane(m[i].mur);
        const double somme = mediane(m[i].somme);
        std::printf("%-16s %7d %9d %10.3f %9.3f %8.3f %6.2f\n", Boucle[i].instruction, m[i].octets,
                    m[i].programmes, mur, m[i].octets * SecondesParOctet, somme, mur / somme);
    }
    // The Step button around the same step: the link watch off, then on again.
    const JeuRegistres avant = session.registres;
    std::vector<double> clics;
    for (int passe = 0; passe < Passes; ++passe) {
        session.registres = avant;
        session.registres.RegPC = DecHexa4(Boucle.front().pc);
        const auto debut = std::chrono::steady_clock::now();
        cmdSTEP_Click(session);
        clics.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count());
        if (HexaDec(session.registres.RegPC) != Boucle.front().suivant) return false;
    }
    session.registres = avant;
    SurvCom(session, false);
    const double somme = mediane(m.front().somme);
    std::printf("%-16s %7d %9d %10.3f %9.3f %8.3f %6.2f  (the Step button)\n", Boucle.front().instruction,
                m.front().octets, m.front().programmes, mediane(clics), m.front().octets * SecondesParOctet,
                somme, mediane(clics) / somme);
    return true;
}

// The Talker loaded at 9600 baud, the link watch off (as the console has it
// during a step) and the registers read: the program's stack is the Talker's.
bool preparer(Session& session) {
    session.config.Timeout = 50;
    session.config.Baud = Baud;
    AdapteTalker(session.config);
    if (LoadTalker(session) != ResultatChargement::Charge) return false;
    SurvCom(session, false);
    TestTalker(session);
    return session.liaison.talkerPresent;
}

bool surPseudoTerminal() {
    QProcess sim;
    const QString esclave = bench::lancerSimulateur(
        sim, {QStringLiteral("--quartz"), QStringLiteral("8"), QStringLiteral("--eeprom"), Exemple});
    if (esclave.isEmpty()) return false;
    QtSerialLine port;
    LigneComptee ligne(port);
    QtEventClock horloge;
    SilentScreen ecran;
    Session session(ligne, horloge, ecran);
    session.config.Port = esclave;
    const bool ok = preparer(session) && mesurer(session, ligne, "tessaline-sim, pseudo-terminal");
    sim.closeWriteChannel();
    sim.waitForFinished(3000);
    return ok;
}

bool enProcessus() {
    SimBoardControl carte(*hc11::findChip("68HC11F1"), 8'000'000u);
    std::string refus;
    if (hc11::loadEepromImage(carte.board(), Exemple.toStdString(), refus) != hc11::EepromImageLoad::Loaded) {
        std::fprintf(stderr, "%s\n", refus.c_str());
        return false;
    }
    RealTimeBoard tempsReel(carte);
    LigneComptee ligne(carte.ligne());
    QtEventClock horloge;
    SilentScreen ecran;
    Session session(ligne, horloge, ecran);
    return preparer(session) && mesurer(session, ligne, "in-process board, RealTimeBoard");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (!surPseudoTerminal()) return 1;
    return enProcessus() ? 0 : 1;
}
