// Loading the configuration once at start-up and saving it at exit.
#pragma once

#include "config/window_layout.h"
#include "link/session.h"

#include <QString>

namespace tessaline {

class SettingsStore;

// Fills the layout, the session's configuration, recent files and profile
// list from the store; sets the console's default address (the EEPROM start)
// and length ($80); adapts the Talker; finds the assembler files (an empty
// path looks in `dossierProgramme`, the folder the program runs from, which is
// also the default LastFichier). Every value absent or unreadable takes its
// default. The options dialog's cmdDELType is enabled only when user profiles
// are stored (HardWareADD above 3).
void ChargerConfig(Session& session, SettingsStore& store, WindowLayout& disposition,
                   const QString& dossierProgramme);

// Writes everything ChargerConfig reads back to the store and flushes it.
// False when the store could not be written.
bool SauverConfig(const Session& session, SettingsStore& store, const WindowLayout& disposition);

} // namespace tessaline
