// Erasing the whole EEPROM in one bulk-erase pulse, run by a routine in the
// RAM above the Talker, which then reads every byte back on the chip: a
// fraction of a second where the Talker's write takes two pulses a byte.
#pragma once

#include "link/session.h"

#include <QString>

namespace tessaline {

enum class FinEffacementRapide {
    Efface,    // every byte of the EEPROM reads $FF
    NonFait,   // nothing done: `raison` says why, the block erase can run
    NonEfface, // the pulse came, a byte does not read $FF: `adresse` names it
    Echec,     // the routine was lost (said): nothing more can be sent
};

struct ResultatEffacementRapide {
    FinEffacementRapide fin = FinEffacementRapide::NonFait;
    QString raison;
    int adresse = 0;
};

ResultatEffacementRapide effacerEepromEnBloc(Session& session);

} // namespace tessaline
