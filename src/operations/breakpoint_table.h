// The user's breakpoints: up to 16, in the RAM above the Talker or in the
// EEPROM, kept set across stops, steps and runs until removed.
//
// A breakpoint is an SWI ($3F) in target memory. Planting one in the EEPROM is
// an erase and a program of the byte (about 20 ms, and one of its rated
// erase/write cycles), so they are planted when a run starts and stay planted
// while the program is stopped: a stop and a continue write nothing. The
// protocol layer shows the user's own byte wherever one is planted and keeps
// the SWI under every write (link/planted_bytes.h). When the host lets go of
// the board, every planted byte is taken back.
#pragma once

#include "link/session.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace tessaline {

inline constexpr int PointsMaximum = 16;

// Adds a breakpoint at `adresse` (enabled). Refused, and said, where no SWI
// may go (adressePlantable) or when the list is full. While the program runs,
// it is planted at once. True when the list holds it afterwards.
bool ajouterPoint(Session& session, int adresse);

// Removes the breakpoint at `adresse` (its byte taken back when planted);
// false when there is none.
bool retirerPoint(Session& session, int adresse);

// Enables or disables the breakpoint at `adresse`; a disabled one is taken
// out of memory at once.
bool activerPoint(Session& session, int adresse, bool actif);

// Removes every breakpoint.
void retirerTousLesPoints(Session& session);

// The enabled breakpoints, in the order set.
QVector<int> pointsActifs(const Session& session);

// Plants every enabled breakpoint not yet planted and takes back every
// disabled one still planted. False, said, when a write failed.
bool planterPoints(Session& session);

// Takes every planted byte back, while the Talker answers even after an
// interruption: the chip must never keep an SWI that no host knows of. What
// could not be taken back is said, with the byte to put back by hand. The list
// itself stays. A running program is stopped for it, and resumed after when
// `relancer`.
void lacherPoints(Session& session, bool relancer = true);

// After a new Talker (RESET, Load Talker): finds which planted SWIs are still
// there (the EEPROM keeps them, the RAM may not) and plants again those that
// are gone. Says which were planted again. Forgets nothing.
void reprendrePoints(Session& session);

// While it lives, the breakpoint at `adresse` is out of memory (its byte
// written back) and disabled; it is planted again at the next run after.
class PointSuspendu {
public:
    PointSuspendu(Session& session, int adresse);
    ~PointSuspendu();
    PointSuspendu(const PointSuspendu&) = delete;
    PointSuspendu& operator=(const PointSuspendu&) = delete;
    bool ok() const { return ok_; }

private:
    Session& session_;
    int adresse_;
    bool ok_ = false;
};

// The SWIs that could not be taken back, each as swiReste gives it, with what
// to do about them.
void signalerSwiRestes(Session& session, const QStringList& restes);
// "FE07 (octet d'origine BD)": an SWI left at `adresse` over the byte `octet`
// (two hex digits).
QString swiReste(int adresse, const QString& octet);

// True when the stopped program's PC follows a planted SWI of the list (it
// stopped on that breakpoint): the PC is then put back on it.
bool arretSurPoint(Session& session);

} // namespace tessaline
