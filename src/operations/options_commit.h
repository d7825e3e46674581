// Committing the options the user chose (the options dialog's OK, the command
// line's --port, --hardware, --quartz, --baud and --timeout): one sequence for
// every front end.
#pragma once

#include "link/session.h"

#include <QString>
#include <QVector>

namespace tessaline {

// Empty when the Talker can run at `baud` with `quartz` (an entry of the
// crystal table); otherwise a one-line explanation that names the rates the
// crystal allows, or the crystals there are.
QString refusQuartzBaud(const QString& quartz, int baud);

enum class ResultatOptions {
    Engagees,
    QuartzBaudRefuses, // nothing was committed
    PortFerme,         // committed, but the port did not open: the previous one is back
};

// What OK does with the dialog's copies `choix`:
// 1. a crystal and rate the Talker cannot run at are refused, before anything
//    changes;
// 2. the port, the profile name, the crystal, the rate, the time-out, the
//    memory map, the assembler files and the devices behind the ports are
//    committed; the profile table too when `profils` is given;
// 3. the console's address becomes the EEPROM start, shown in its field;
// 4. the Talker is adapted again when the crystal or the rate changed;
// 5. with `rouvrirPort`, the port is opened again with the new settings; when
//    it does not open, a beep, and the port (and its device) in force before
//    comes back.
ResultatOptions ValiderOptions(Session& session, const Configuration& choix,
                               const QVector<ProfilMateriel>* profils, bool rouvrirPort = true);

} // namespace tessaline
