// Programming the EEPROM by a routine in the RAM above the Talker that owns
// the SCI meanwhile: the host sends it records (count, address, bytes,
// checksum: talker_protocol.h), and for each byte it gives no pulse when the
// cell already holds it, one programming pulse when only bits from 1 to 0
// change, an erase and a programming pulse otherwise; it sends back what the
// cell then reads, which the host compares with what it sent. Where the
// Talker's write spends two pulses on every byte, an erased EEPROM takes one.
#pragma once

#include "link/session.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>

namespace tessaline {

// Bytes to program from `adresse` (at most OctetsRoutineMax), and how many
// bytes of the file are done once they are.
struct MorceauProgrammation {
    int adresse = 0;
    QByteArray octets;
    int faitsApres = 0;
};

struct BilanRoutineProgrammation {
    enum class Fin {
        Programme,  // every byte read back as sent
        Annule,     // Cancel between two pieces: those before are programmed
        Faux,       // a byte read back wrong: `adresse` names it, `relus` what came
        Impossible, // nothing sent: `raison` says why, the Talker's write can do it
        Echec,      // the routine was lost (said): the Talker must be reloaded
    };
    Fin fin = Fin::Impossible;
    QString raison;
    int adresse = 0;
    int morceauxFaits = 0;
};

BilanRoutineProgrammation programmerParRoutineRam(Session& session,
                                                  const QVector<MorceauProgrammation>& morceaux,
                                                  const std::function<void(int faits)>& progression);

} // namespace tessaline
