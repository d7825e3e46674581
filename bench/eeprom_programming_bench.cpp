// Timed scenario on the real serial path: tessaline-sim (68HC11F1, 8 MHz) on a
// pseudo-terminal in real time, the host through QSerialPort at 9600 baud.
// Prints the time to program 512 bytes from an S-record file and to erase the
// 512-byte EEPROM, each against its minimum: for the Talker's write, the
// characters of the exchanges on the wire plus two programming delays per
// byte; for the bulk erase, its one pulse. Then the example
// program reprogrammed after a one-byte change, in full and with only the
// changed bytes.
#include "config/talker_adaptation.h"
#include "link/qt_event_clock.h"
#include "link/qt_serial_line.h"
#include "link/serial_port.h"
#include "link/session.h"
#include "link/silent_screen.h"
#include "operations/eeprom_erase.h"
#include "operations/s19_programming.h"
#include "operations/talker_link.h"
#include "simulator_on_pty.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

using namespace tessaline;

namespace {

constexpr int Baud = 9600;
constexpr double SecondesCaractere = 10.0 / Baud;
constexpr double E = 8'000'000 / 4.0;
// The characters of one write exchange besides its data: command, echo, count,
// address high and low, closing byte; each data byte goes out and its read-back
// comes in.
constexpr int CaracteresEchange = 6;
constexpr int CaracteresOctet = 2;

double secondes(std::chrono::steady_clock::time_point depuis) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - depuis).count();
}

// The Talker's programming delay, as adapted in its image (7 E cycles a turn;
// the image follows its sync byte).
double delaiProgrammation(const QByteArray& image) {
    constexpr int Delai = 0xFC;
    const int compte = static_cast<quint8>(image[1 + Delai]) << 8 | static_cast<quint8>(image[1 + Delai + 1]);
    return compte * 7 / E;
}

double minimum(int echanges, int octets, double delai) {
    return (echanges * CaracteresEchange + octets * CaracteresOctet) * SecondesCaractere + octets * 2 * delai;
}

QByteArray s1(int adresse, const QByteArray& octets) {
    QByteArray champs;
    champs.append(char(octets.size() + 3)).append(char(adresse >> 8)).append(char(adresse)).append(octets);
    int somme = 0;
    for (char c : champs)
        somme += static_cast<quint8>(c);
    champs.append(char(~somme));
    return "S1" + champs.toHex().toUpper() + "\r\n";
}

void ecrire(const QString& chemin, const QByteArray& texte) {
    QFile f(chemin);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(texte);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QProcess sim;
    const QString esclave = bench::lancerSimulateur(sim);
    if (esclave.isEmpty()) return 1;

    bench::SessionSurPty pty(esclave);
    Session& session = pty.session;
    session.config.Baud = Baud;
    AdapteTalker(session.config);
    sim.write("reset\n");
    if (LoadTalker(session) != ResultatChargement::Charge) return 1;
    SurvCom(session, false);
    const double delai = delaiProgrammation(session.config.TalkerPrepare);

    // 512 bytes in 32 records of 16.
    QTemporaryDir dir;
    QByteArray texte;
    for (int r = 0; r < 32; ++r) {
        QByteArray o;
        for (int i = 0; i < 16; ++i)
            o.append(char(r * 16 + i));
        texte += s1(0xFE00 + 16 * r, o);
    }
    session.fichiers.FichierS19 = dir.filePath(QStringLiteral("b.S19"));
    ecrire(session.fichiers.FichierS19, texte);
    auto debut = std::chrono::steady_clock::now();
    if (!ProgS19(session).reussi()) return 1;
    double t = secondes(debut);
    double m = minimum(32, 512, delai);
    // Against the Talker's write, and against the chip's own minimum: one
    // programming pulse a byte of an erased EEPROM.
    std::printf(
        "Program 512 bytes (32 records) at %d baud: %.3f s; Talker's write minimum %.3f s (delay %.2f "
        "ms), ratio %.3f; one pulse a byte %.3f s, ratio %.3f\n",
        Baud, t, m, delai * 1000, t / m, 512 * delai, t / (512 * delai));

    // The block erase (the map named as no known chip's keeps the bulk erase
    // from running), then the bulk erase by the routine in RAM, whose
    // minimum is its one pulse.
    const QString puce = session.config.HardWare;
    session.config.HardWare = QStringLiteral("bloc");
    debut = std::chrono::steady_clock::now();
    if (EraseEEPROM(session) != FinEffacement::Efface) return 1;
    t = secondes(debut);
    m = minimum(8, 512, delai);
    // With its closing link check.
    std::printf("Erase 512 bytes (8 blocks) at %d baud: %.3f s, minimum %.3f s, ratio %.3f\n", Baud, t, m,
                t / m);
    session.config.HardWare = puce;
    ProgS19(session);
    debut = std::chrono::steady_clock::now();
    if (EraseEEPROM(session) != FinEffacement::Efface) return 1;
    t = secondes(debut);
    std::printf("Erase 512 bytes (one bulk pulse from RAM) at %d baud: %.3f s, minimum %.3f s, ratio %.1f\n",
                Baud, t, delai, t / delai);

    // The example, then the example with its delay count changed.
    QFile exemple(QStringLiteral(TESSALINE_EXAMPLES "/compteur.s19"));
    if (!exemple.open(QIODevice::ReadOnly)) return 1;
    QByteArray compteur = exemple.readAll();
    ecrire(session.fichiers.FichierS19, compteur);
    if (!ProgS19(session).reussi()) return 1;
    compteur.replace("39C6105A10", "39C6205A00");
    ecrire(session.fichiers.FichierS19, compteur);
    for (const bool seulement : {false, true}) {
        // Back to the original, then the change.
        if (seulement) {
            compteur.replace("39C6205A00", "39C6105A10");
            ecrire(session.fichiers.FichierS19, compteur);
            ProgS19(session);
            compteur.replace("39C6105A10", "39C6205A00");
            ecrire(session.fichiers.FichierS19, compteur);
        }
        debut = std::chrono::steady_clock::now();
        const BilanProgrammation b = ProgS19(session, seulement);
        if (!b.reussi()) return 1;
        std::printf("Example after a one-byte change, %s: %.3f s, %d bytes written, %d already right\n",
                    seulement ? "changed only" : "full", secondes(debut), b.ecrits, b.dejaBons);
    }
    sim.closeWriteChannel();
    sim.waitForFinished(3000);
    return 0;
}
