// The state the whole program shares: configuration, hardware profiles, link
// flags, the register set and the console's command state. Plain data; the
// operations are free functions over a Session (session.h).
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <array>
#include <utility>

namespace tessaline {

// Where a 68HC11's RAM and EEPROM lie: the memory map of a hardware profile
// and of the current configuration. Sizes in bytes, starts as addresses.
struct CarteMemoire {
    double TailleRam = 1024;
    double TailleEeprom = 512;
    double DepartRam = 0;
    double DepartEEprom = 0xFE00;

    double FinRam() const { return DepartRam + TailleRam - 1; }
    double FinEeprom() const { return DepartEEprom + TailleEeprom - 1; }
    CarteMemoire& carte() { return *this; }
    const CarteMemoire& carte() const { return *this; }
    bool operator==(const CarteMemoire&) const = default;
};

// A hardware profile: a 68HC11 variant and where its RAM and EEPROM lie. A new
// profile's map is the default one (RAM 1024 bytes at $0000, EEPROM 512 bytes
// at $FE00).
struct ProfilMateriel : CarteMemoire {
    QString nom;

    ProfilMateriel() = default;
    ProfilMateriel(QString nomProfil, const CarteMemoire& carteProfil)
        : CarteMemoire(carteProfil)
        , nom(std::move(nomProfil)) {}
    // Not the memory maps' comparison: compare carte() for that.
    bool operator==(const ProfilMateriel&) const = delete;
};

// The four chips built into the program, in list order.
QVector<ProfilMateriel> profilsIntegres();

// Names of the serial ports the user chooses among.
inline constexpr int NombrePorts = 4;

// The longest time-out the options dialog offers, in tenths of a second (25
// minutes). A stored or given value outside 0 to this is not taken: 0 keeps
// its meaning (a wait without data ends at once), and no value makes a wait
// endless.
inline constexpr int TimeoutMaximum = 15000;

// The current configuration; its memory map is the selected profile's.
struct Configuration : CarteMemoire {
    QString Port = QStringLiteral("COM2");
    QString HardWare = QStringLiteral("68HC11F1");
    QString Quartz = QStringLiteral("8"); // crystal in MHz: "2", "4", "8" or "16"
    int Baud = 1200;                      // working rate
    int BootBaud = 1200;                  // rate of the bootstrap download
    int Timeout = 2000;                   // tenths of a second, 0 to TimeoutMaximum

    // The assembler files: their names, looked for in the program's folder
    // when no path is stored. Elsewhere than on Windows the defaults are the
    // assembler and the compile script installed with the program.
#ifdef Q_OS_WIN
    QString FichCompilateur = QStringLiteral("AS11.EXE");
    QString FichCompilateurSYM = QStringLiteral("ASSYM.EXE");
    QString FichCompilateurBAT = QStringLiteral("COMPILE.BAT");
#else
    QString FichCompilateur = QStringLiteral("tessaline-asm");
    QString FichCompilateurSYM = QStringLiteral("tessaline-asm");
    QString FichCompilateurBAT = QStringLiteral("tessaline-compile");
#endif
    QString FichierCompilateur;
    QString FichierCompilateurSYM;
    QString FichierCompilateurBAT;
    int ChoixCompilateur = 0; // 0 ".ASM", 1 ".SYM", 2 ".BAT"
    bool CompilateurDisponible = false;
    QString LastFichier;
    std::array<QString, 4> FichiersRecents;

    // Off Windows, the device behind each of "COM1" to "COM4".
    std::array<QString, NombrePorts> Peripheriques = {
        QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyS1"), QStringLiteral("/dev/ttyS2"),
        QStringLiteral("/dev/ttyS3")};

    // The Talker ready for the wire: sync byte then 256 bytes, adapted to the
    // crystal and the working rate named beside it.
    QByteArray TalkerPrepare;
    QString QuartzTalker;
    int BaudTalker = 0;

    // Not the memory maps' comparison: compare carte() for that.
    bool operator==(const Configuration&) const = delete;
};

// Flags of the link between host and target.
struct EtatLiaison {
    bool portOuvert = false;
    bool talkerPresent = false;
    bool cibleTourne = false;
    // Ends any wait in progress: set by the Talker load button and the EEPROM erase.
    bool abandon = false;
    // Ends any wait in progress: set by the Cancel button of the progress window.
    bool annulation = false;
    // The user wants the program to stop (Ctrl-C, closing the main window):
    // no new exchange starts, the one in progress is finished. Stays set.
    bool interruption = false;
    // The last exchange stopped after its echo and before its end: the Talker
    // may still be inside that command. Cleared by the next echo that comes
    // back right.
    bool echangeInacheve = false;
    // An operation is waiting for the running program to stop (a breakpoint,
    // a step): Stop then ends that wait rather than starting an exchange of its own.
    bool attenteArret = false;
    // Taking planted SWIs back (and stopping the program to do it) is in
    // progress: those exchanges still go out after cancel or interruption,
    // so that no breakpoint outlives the operation while the Talker answers.
    int retraitsEnCours = 0;
    // The line broke (SerialLine::coupee) and the user has been told so;
    // cleared when the port opens again.
    bool coupureSignalee = false;
    // Waits for a byte in progress (nested when a window event runs an
    // operation inside another's wait): the link watch leaves the line alone
    // meanwhile, or it would take the bytes the wait is for.
    int receptionsEnCours = 0;
    // The Terminal window holds the line: the program on the board (started by
    // a single-chip RESET), not the Talker, owns the SCI. What it sends goes to
    // that window, what the user types to its receiver; the link watch leaves
    // the line alone meanwhile. Load Talker takes the line back before it
    // touches it.
    bool ligneAuTerminal = false;
    // Said once a session: the driver refused low latency; the adapter adds
    // time to every byte of the Talker's exchanges.
    bool refusLatenceSignale = false;
    // A CONFIG value programmed this session and not yet read back after a
    // RESET (-1: none).
    int configProgrammee = -1;
    // What CONFIG read last (-1: not read since the Talker came).
    int configLue = -1;
    bool latenceSignalee = false;
};

// The target's registers as the user sees them: upper-case hexadecimal texts.
struct JeuRegistres {
    QString RegA = QStringLiteral("00");
    QString RegB = QStringLiteral("00");
    QString RegCCR = QStringLiteral("00");
    QString RegIX = QStringLiteral("0000");
    QString RegIY = QStringLiteral("0000");
    QString RegPC = QStringLiteral("0000");
    QString RegSP = QStringLiteral("0000");
};

// The debug console's current command and its fields.
struct EtatConsole {
    QString CmdAdresse;
    QString CmdLongueur;
    QString CmdValeur;
    int CmdCourante = 0;
    // The selected command's echo text, the first run of the echo area.
    QString texteEcho;
    // The S-record tab of the files window holds text: Load S19 can be offered.
    bool s19Present = false;
};

// The current source file and its assembler products, all in one folder with
// one base name: SOURCE.ASM (or .A11), SOURCE.LST, SOURCE.SYM, SOURCE.S19.
struct EtatFichiers {
    QString FichierCourant; // the file last opened, full path
    QString RepFichier;     // its folder, ending with the separator
    QString NomFichier;     // its name up to the first "."
    QString FichierASM;     // empty when the file opened was no source
    QString FichierLST;
    QString FichierSYM;
    QString FichierS19;
    // Data bytes of the S1 records of FichierS19, as the S19 view last counted them.
    qint64 NbOctetsS19 = 0;
};

// A breakpoint of the user's list. While it is planted the target holds an
// SWI ($3F) at `adresse`, and `octet` is the user's own byte there: every read
// of target memory shows that byte, and a write over the address changes it
// and leaves the SWI in place (link/planted_bytes.h).
struct PointArret {
    int adresse = 0;
    bool actif = true;
    bool plante = false;
    quint8 octet = 0;
};

// The user's breakpoints, in the order they were set.
struct EtatPoints {
    QVector<PointArret> liste;
};

// The console's breakpoint.
struct EtatBreak {
    QString BreakAdr;
    QString OctetBreak;
    bool BreakArme = false;
};

} // namespace tessaline
