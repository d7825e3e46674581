// The command line's --port, --hardware, --quartz, --baud and --timeout: the
// stored configuration changed for this run only, checked as the options
// dialog's OK checks it, before anything is sent.
#pragma once

#include "cli/command_line.h"
#include "link/session_state.h"

#include <QString>
#include <QVector>

namespace tessaline {

// Applies the options to `choix` (--hardware takes the profile's memory map as
// well). False, with a one-line explanation, for a hardware name that no
// profile has, or a crystal and rate the Talker cannot run at (the message
// names the rates that crystal allows).
bool appliquerOptionsLigne(Configuration& choix, const QVector<ProfilMateriel>& profils,
                           const OptionsGlobales& options, QString& erreur);

} // namespace tessaline
