// Watching target memory while the program runs: a list of bytes and words
// read again and again through the Talker's memory read.
//
// The Talker serves the host from its SCI receive interrupt, so a read while
// the program runs stops it for the exchange's whole duration (the bytes on
// the wire both ways), and is possible only while the program lets that
// interrupt in: the I bit of its CCR clear, and the SCI left to the Talker.
// Each refresh of a running program therefore starts with the Talker's probe
// (a code it echoes and ignores) under a bound of a few character times: no
// echo within it says at once that the program cannot be watched, and the
// probe left waiting in the SCI is harmless whenever the Talker takes it.
#pragma once

#include "link/session.h"
#include "link/symbol_table.h"

#include <QString>
#include <QVector>

#include <optional>

namespace tessaline {

// One watched location: a byte, or a 16-bit word stored high byte first as
// the 68HC11 stores its words.
struct EntreeSurveillee {
    QString nom; // as the user gave it: "0100", "MOTIF", "boucle+3"
    int adresse = 0;
    bool mot = false;
    int taille() const { return mot ? 2 : 1; }
    bool operator==(const EntreeSurveillee&) const = default;
};

// Why a text names no location.
enum class RefusEntree {
    Aucun,
    Forme,          // neither an address nor a symbol, or a suffix other than :b or :w
    SansSymboles,   // a symbol, and no symbols are known
    SymboleInconnu, // a symbol the table does not hold
    MotAuBout,      // a word at $FFFF: its low byte would be past the address space
};

// "ADDR|LABEL[:w]": 1 to 4 hex digits are an address, anything else of a
// symbol's form is looked up in `symboles` ("boucle", "COMPTE+1"); ":w" makes
// it a word, ":b" (or nothing) a byte.
std::optional<EntreeSurveillee> lireEntreeSurveillee(const QString& texte, const TableSymboles& symboles,
                                                     RefusEntree& refus);

// The value of an entry as shown: hex ("0F", "01A0") and unsigned decimal.
QString valeurHexa(const EntreeSurveillee& entree, int valeur);
QString valeurDecimale(int valeur);

// The bound on the probe's echo, in tenths of a second: a few character times
// at `baud`, and never under a tenth (the host's and a USB adapter's latency).
int delaiSondeSurveillance(int baud);

// The message that says a running program cannot be watched, and what to do.
QString texteSurveillanceImpossible();

enum class FinReleve {
    Lu,     // every value read (the program may have stopped meanwhile: shown)
    Rien,   // nothing sent: another exchange is under way, a stop was asked, no Talker
    Masque, // the running program does not let the Talker answer: said, the watch ends
    Echec,  // the read failed: said, and the Talker check has shown the link state
};

struct Releve {
    FinReleve fin = FinReleve::Rien;
    QVector<int> valeurs; // one per entry, in order, when Lu
};

// One refresh: the entries read, each location's bytes exactly (adjacent
// entries in one exchange, nothing read between them). Nothing is sent while
// another exchange waits on the line or bytes the target sent on its own wait
// to be read (a stopped program's $03 is the link watch's). A program that
// stops by itself just as the probe goes out has its stop read and shown, as
// the link watch shows it, and the values are then read on the stopped
// program.
Releve releverMemoire(Session& session, const QVector<EntreeSurveillee>& entrees);

} // namespace tessaline
