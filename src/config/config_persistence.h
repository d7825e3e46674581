// Reading the configuration from the store at start-up and writing it back at
// exit: pure functions of the store, with no session and no window. The front
// ends put what was read into their session and windows.
#pragma once

#include "config/window_layout.h"
#include "link/session_state.h"

#include <QString>
#include <QVector>

#include <optional>

namespace tessaline {

class SettingsStore;

// What the program talks to: a board behind a serial port, or the simulated
// board in the program itself, which has no cable.
enum class Liaison { Port, CarteSimulee };

struct ConfigurationLue {
    Configuration configuration;
    QVector<ProfilMateriel> profils;
    WindowLayout disposition;
    // On the simulated board with no rate stored: the rate it was given (the
    // fastest the crystal allows), which is not the real port's and is not
    // written back unless the user chooses it (see ecrireConfiguration).
    std::optional<int> baudNonStocke;
};

// Every value of the store, each absent or unreadable one taking its default.
// A crystal or rate the Talker cannot run at falls back as the options dialog
// does (600 baud, crystal "2"); the Talker is prepared for the pair. The
// assembler files are looked for in `dossierProgramme` (the folder the
// program runs from) when no path is stored; it is also the default
// LastFichier. On the simulated board no cable limits the rate: with none
// stored, the rate is the fastest the crystal allows (baudNonStocke).
ConfigurationLue lireConfiguration(const SettingsStore& store, const QString& dossierProgramme,
                                   Liaison liaison = Liaison::Port);

// Writes everything lireConfiguration reads back and flushes the store. False
// when the store could not be written. A rate equal to `baudNonStocke` (the
// simulated board's own, left as it was given) is not written: the store keeps
// no rate, and a later start on a real port takes its own default.
bool ecrireConfiguration(SettingsStore& store, const Configuration& configuration,
                         const QVector<ProfilMateriel>& profils, const WindowLayout& disposition,
                         std::optional<int> baudNonStocke = std::nullopt);

} // namespace tessaline
