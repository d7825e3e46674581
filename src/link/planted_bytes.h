// The SWIs of the user's breakpoints stay in target memory while the program
// is stopped, so that a stop and a continue write nothing (in the EEPROM each
// write is an erase and a program, about 20 ms and one of the byte's rated
// cycles). What the host reads and writes must not see them: a read shows the
// user's own byte over each planted SWI, and a write over a planted address
// changes the user's byte and leaves the SWI where it is.
#pragma once

#include "link/session_state.h"

#include <QByteArray>

namespace tessaline {

inline constexpr quint8 OctetSwi = 0x3F;

// The planted point at `adresse`, or none.
PointArret* pointPlante(EtatPoints& points, int adresse);
const PointArret* pointPlante(const EtatPoints& points, int adresse);

// `octets`, read from `adresse` on, with each planted SWI that reads back as
// one replaced by the user's byte.
void montrerOctetsUtilisateur(const EtatPoints& points, int adresse, QByteArray& octets);

// What to send for a write of `octets` from `adresse`: the same bytes, with an
// SWI at each planted address.
QByteArray octetsAEcrire(const EtatPoints& points, int adresse, const QByteArray& octets);

// After a write of `octets` from `adresse` whose read-back is `relus`: each
// planted address that read back as an SWI now stands for the user's new
// byte, and the read-back shows it. A planted address that did not read back
// (the exchange ended before it) or read back as something else is no longer
// planted: the table cannot say what the target holds there.
void apresEcriture(EtatPoints& points, int adresse, const QByteArray& octets, QByteArray& relus);

} // namespace tessaline
