// The primitives every conversation with the target is built from: flush the
// input, and wait for one byte under a time-out while the windows stay alive.
// The Talker's exchanges themselves (command, echo, handshakes) are in
// talker_protocol.h.
#pragma once

#include "link/error_report.h"
#include "link/session.h"

#include <QString>

namespace tessaline {

inline constexpr int SansLimite = -1;

// How a wait for one byte ended. Coupee: the line broke (SerialLine::coupee);
// a wait ends on it at once, whatever its time-out.
enum class FinAttente { Donnee, TimeOut, Abandon, Annulation, Interruption, Erreur, Coupee };

struct Reception {
    FinAttente fin;
    int octet = 0; // 0-255 when fin is Donnee
};

// What the flags of the link (abort, cancel, interruption) do to a wait.
enum class Attente {
    // Abort (cleared first) and interruption end it at once; cancel is not looked at.
    Libre,
    // Abort (cleared first), cancel and interruption end it at once.
    Annulable,
    // A wait inside a Talker exchange, once its command byte has gone out:
    // the Talker is in the middle of a command and takes the next bytes it
    // receives as that command's. A flag does not end the wait, it only caps
    // what is left of it to DelaiFinEchange from when it is seen, so that a
    // live Talker finishes the exchange and a dead line does not hold the
    // program for the whole time-out. Abort is not cleared.
    DansEchange,
};

// The most a wait inside an exchange still gives the Talker once a stop has
// been asked, in seconds. A byte written to EEPROM takes about 20 ms and a
// character at 1200 baud about 8 ms: one second is far more than one byte
// ever needs, and it applies to each byte.
inline constexpr double DelaiFinEchange = 1.0;

// Two kinds of waits, bounded apart:
// - the Talker's answer inside an exchange (the echo of a command byte, each
//   byte it reads out or reads back): the Talker answers each within a
//   character time and, for a byte it writes, its erase and programming
//   delays (about 20 ms; at 300 baud, the slowest boot rate, a character takes
//   33 ms). DelaiReponseTalker is some thirty times that, room for a busy
//   host or a simulated board on a loaded machine; a configured time-out that
//   is shorter bounds it instead (0: a wait without data ends at once);
// - the user's program reaching a breakpoint or the end of a step: it may run
//   for as long as it likes, so only the configured time-out bounds it.
inline constexpr int DelaiReponseTalker = 20; // tenths of a second
// The bound of a wait for the Talker's answer under the configured `timeout`.
int delaiReponse(int timeout);

// True when the user asked to stop: cancel or interruption (sticky), or abort.
// Operations that make several exchanges look at it between two of them.
bool arretDemande(const Session& session);

// True when no new exchange may start: cancel or interruption was asked, and
// no planted byte is being taken back (RetraitEnCours).
bool envoiBloque(const Session& session);

// While it lives, exchanges start even though cancel or interruption was
// asked: the operation it guards puts memory back as the user left it (the
// bytes under its SWIs), and stops the program that runs over them.
class RetraitEnCours {
public:
    explicit RetraitEnCours(Session& session)
        : liaison_(session.liaison) {
        ++liaison_.retraitsEnCours;
    }
    ~RetraitEnCours() { --liaison_.retraitsEnCours; }
    RetraitEnCours(const RetraitEnCours&) = delete;
    RetraitEnCours& operator=(const RetraitEnCours&) = delete;

private:
    EtatLiaison& liaison_;
};

// The wait under every receive: window events keep running while it sleeps
// until at least `n` bytes wait, a flag as `mode` says, the line breaks, or
// `timeout` tenths of a second (SansLimite: no time limit, for the boot ROM's
// break). The first waiting byte is taken; bytes that arrived with it are
// dropped. A wait that a flag ended or capped ends with that flag's
// FinAttente, never as a time-out. A port failure is reported under
// `nomRoutine`; a broken line is shown closed (constaterCoupure).
Reception attendreOctet(Session& session, int timeout, Attente mode, const QString& nomRoutine, int n = 1);
inline Reception attendreOctet(Session& session, int timeout, bool avecAnnulation, const QString& nomRoutine,
                               int n = 1) {
    return attendreOctet(session, timeout, avecAnnulation ? Attente::Annulable : Attente::Libre, nomRoutine,
                         n);
}

// The two kinds of waits above, by name. The Talker's answer: abort, cancel and
// interruption only cap what is left of the wait (Attente::DansEchange), under
// delaiReponse(timeout). The user's program: Stop (cancel), abort and
// interruption end it at once, under the configured time-out.
Reception attendreReponseTalker(Session& session, int timeout, const QString& nomRoutine);
Reception attendreArretProgramme(Session& session, const QString& nomRoutine);

// The Talker's answer when it is a run of bytes sent one after another with
// no handshake between them (a routine of ours in RAM answers so): several
// may arrive at once (a USB adapter holds them up to its latency timer), and
// none may be dropped. The bytes that came with the one returned wait in
// `suite`, and are taken from there first.
Reception attendreSuiteTalker(Session& session, QByteArray& suite, int timeout, const QString& nomRoutine);

// Reads and drops everything waiting in the receive buffer.
void ViderCom(Session& session);

// Beeps and shows the time-out report naming the routine that waited, with
// what to do on its next line.
void AfficheTimeOut(Session& session, const QString& nomRoutine, Remede remede = Remede::Liaison);

} // namespace tessaline
