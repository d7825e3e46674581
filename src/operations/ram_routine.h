// Running a few bytes of the host's own code on the chip, in the RAM above the
// Talker, for work the Talker's byte-at-a-time write makes slow (erasing the
// whole EEPROM in one pulse, programming it at one pulse a byte).
//
// The routine is written into free RAM (what it borrows is read first and
// written back after), started through the Talker's write-registers command
// with a frame of the host's choosing on the Talker's own stack (interrupts
// masked: the routine is alone on the chip), and ends with an SWI: the Talker
// takes the stop, sends $03 and idles, and the host reads the frame the
// routine left (its result in the registers). The user's register set stays
// as it was on the host: the next run writes it again.
//
// The Talker's write erases and programs every byte, RAM included, with two
// 10-ms delays. While the routine is written and the RAM put back, the host
// lowers the Talker's delay count to one turn (its own parameter, in the
// Talker's RAM), then puts the adapted count back: RAM takes any write at
// once, and no EEPROM byte is written meanwhile.
#pragma once

#include "link/session.h"
#include "link/talker_protocol.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

namespace tessaline {

// The bytes of a routine, written where they will lie: opcodes, 16-bit
// operands, and branches to labels resolved at the end (a relative branch
// out of reach or a label missing is a fault of the routine, reported by
// code() as empty).
class CodeRoutine {
public:
    explicit CodeRoutine(int debut)
        : debut_(debut) {}
    CodeRoutine& o(std::initializer_list<int> octets);
    CodeRoutine& mot(int valeur);
    CodeRoutine& saut(int opcode, const char* etiquette);
    // An instruction whose 16-bit operand is a label's address (JSR, JMP).
    CodeRoutine& vers(int opcode, const char* etiquette);
    CodeRoutine& ici(const char* etiquette);
    int adresse() const { return debut_ + static_cast<int>(octets_.size()); }
    QByteArray code() const;

private:
    int debut_;
    QByteArray octets_;
    std::vector<std::pair<QByteArray, int>> etiquettes_;
    std::vector<std::pair<QByteArray, int>> sauts_;   // label, offset of the displacement byte
    std::vector<std::pair<QByteArray, int>> absolus_; // label, offset of the address's high byte
};

// How a routine ends. Written by the Talker's write, it ends with its own
// SWI. Brought by the loader (see executerRoutine), it gives the RAM back
// through the loader's receive loop, which ends on an SWI of its own.
struct SortieRoutine {
    int recevoir = -1; // the loader's receive loop; -1: no loader
    int debut = 0;     // what it gives back: from debut, n bytes
    int n = 0;
};
// The first instructions of a routine brought by the loader: the sum of its
// `taille` bytes from `debut` (its code and its variables' first values),
// sent, for the host to check before it talks to the routine (the Talker's
// write reads back every byte itself: nothing then).
void commencerRoutine(CodeRoutine& code, const SortieRoutine& sortie, int debut, int taille);
// The last instructions of a routine, for `sortie`.
void terminerRoutine(CodeRoutine& code, const SortieRoutine& sortie);

struct Routine {
    // The routine's bytes for where they will lie (`debut`), always the same
    // size, ending as `sortie` says, given the Talker's 10-ms count (7 E
    // cycles a turn: DEY, BNE); and the bytes it uses after them (a buffer)
    // that need no first value, borrowed as well.
    std::function<QByteArray(int debut, const SortieRoutine& sortie, int compteDelai)> code;
    int taille = 0;
    int tailleChargee = 0; // its size when the loader brings it (0: the same)
    int tampon = 0;
    // The registers it starts with, given where its code lies (`debut`) and
    // the Talker's 10-ms count (7 E cycles a turn: DEY, BNE).
    std::function<void(TrameRegistres& registres, int debut, int compteDelai)> entree;
    // Run once the routine is started, when it talks on the line itself; false
    // when the exchange failed (said). Without it, the host waits for the SWI.
    // `suite` holds the bytes the routine sent that came with those read.
    // A routine that talks begins with commencerRoutine.
    std::function<bool(int debut, QByteArray& suite)> pendant;
};

enum class FinRoutine {
    Faite,      // it ended with its SWI; `sortie` holds its registers there
    Impossible, // not started, RAM as it was: `raison` says why
    Echec,      // started and lost, or RAM not put back: said, the Talker may be lost
};

struct ResultatRoutine {
    FinRoutine fin = FinRoutine::Impossible;
    TrameRegistres sortie;
    QString raison;
};

// Where `taille` bytes can go in the RAM above the Talker, clear of the
// stopped program's stack and of the user's breakpoints; -1 when there is no
// such place (a 256-byte RAM is all the Talker's).
int zoneRamLibre(const Session& session, int taille);

// Why no routine can run now (empty when one can): no Talker, a program
// running (its frame would be lost), no free RAM.
QString routineImpossible(const Session& session, int taille);

// Runs `routine`. A routine that talks on the line (`pendant`) and takes
// nothing from its registers (no `entree`) is brought by a loader when that
// is quicker: the Talker writes only the loader, a few dozen bytes below the
// routine, at two characters a byte; the loader sends the RAM the routine
// borrows while it receives the routine in its place, one character a byte
// each way at once, and at the end receives the RAM back, sending back each
// byte as the RAM then reads it. A routine that talks starts with
// commencerRoutine: its sum is checked before `pendant` runs.
ResultatRoutine executerRoutine(Session& session, const Routine& routine);

} // namespace tessaline
