#include "operations/session_config.h"

#include "link/control_names.h"
#include "link/conversions.h"

namespace tessaline {

void IniComboHard(Session& session) {
    session.profils = profilsIntegres();
}

void appliquerConfiguration(Session& session, const ConfigurationLue& lue) {
    session.config = lue.configuration;
    session.profils = lue.profils;
    session.console.CmdAdresse = DecHexa4(session.config.DepartEEprom);
    session.console.CmdLongueur = QString::fromLatin1(LongueurConsoleDepart);
    session.ecran().setText(controle::Adresse, session.console.CmdAdresse);
    session.ecran().setText(controle::Longueur, session.console.CmdLongueur);
}

std::optional<int> ChargerConfig(Session& session, const SettingsStore& store, WindowLayout& disposition,
                                 const QString& dossierProgramme, Liaison liaison) {
    const ConfigurationLue lue = lireConfiguration(store, dossierProgramme, liaison);
    disposition = lue.disposition;
    appliquerConfiguration(session, lue);
    return lue.baudNonStocke;
}

bool SauverConfig(const Session& session, SettingsStore& store, const WindowLayout& disposition,
                  std::optional<int> baudNonStocke) {
    return ecrireConfiguration(store, session.config, session.profils, disposition, baudNonStocke);
}

} // namespace tessaline
