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

void ChargerConfig(Session& session, const SettingsStore& store, WindowLayout& disposition,
                   const QString& dossierProgramme) {
    const ConfigurationLue lue = lireConfiguration(store, dossierProgramme);
    disposition = lue.disposition;
    appliquerConfiguration(session, lue);
}

bool SauverConfig(const Session& session, SettingsStore& store, const WindowLayout& disposition) {
    return ecrireConfiguration(store, session.config, session.profils, disposition);
}

} // namespace tessaline
