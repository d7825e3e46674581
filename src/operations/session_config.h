// The configuration of a session: what the store holds, put into the session
// and shown, at start-up; and the session's configuration written back at exit.
#pragma once

#include "config/config_persistence.h"
#include "link/session.h"

namespace tessaline {

class SettingsStore;

// The console's length field at start-up: $80 bytes.
inline constexpr auto LongueurConsoleDepart = "80";

// Fills the session's profile list with the four built-in chips, so that they
// stand before anything is read.
void IniComboHard(Session& session);

// Puts a configuration read from the store into the session: the configuration
// and the profiles; the console's command state starts at the EEPROM start
// for $80 bytes, shown in its address and length fields.
void appliquerConfiguration(Session& session, const ConfigurationLue& lue);

// lireConfiguration then appliquerConfiguration; the window layout read goes to
// `disposition`, for the windows to apply. Returns the simulated board's rate
// that is not stored (ConfigurationLue::baudNonStocke), for SauverConfig.
std::optional<int> ChargerConfig(Session& session, const SettingsStore& store, WindowLayout& disposition,
                                 const QString& dossierProgramme, Liaison liaison = Liaison::Port);

// The session's configuration and profiles with the layout; false when the
// store could not be written. The rate is not written while it is
// `baudNonStocke` (see ecrireConfiguration).
bool SauverConfig(const Session& session, SettingsStore& store, const WindowLayout& disposition,
                  std::optional<int> baudNonStocke = std::nullopt);

} // namespace tessaline
