// Reading the configuration from the store at start-up and writing it back at
// exit: pure functions of the store, with no session and no window. The front
// ends put what was read into their session and windows.
#pragma once

#include "config/window_layout.h"
#include "link/session_state.h"

#include <QString>
#include <QVector>

namespace tessaline {

class SettingsStore;

struct ConfigurationLue {
    Configuration configuration;
    QVector<ProfilMateriel> profils;
    WindowLayout disposition;
};

// Every value of the store, each absent or unreadable one taking its default.
// A crystal or rate the Talker cannot run at falls back as the options dialog
// does (600 baud, crystal "2"); the Talker is prepared for the pair. The
// assembler files are looked for in `dossierProgramme` (the folder the
// program runs from) when no path is stored; it is also the default
// LastFichier.
ConfigurationLue lireConfiguration(const SettingsStore& store, const QString& dossierProgramme);

// Writes everything lireConfiguration reads back and flushes the store. False
// when the store could not be written.
bool ecrireConfiguration(SettingsStore& store, const Configuration& configuration,
                         const QVector<ProfilMateriel>& profils, const WindowLayout& disposition);

} // namespace tessaline
