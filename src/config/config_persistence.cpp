#include "config/config_persistence.h"

#include "config/assembler_files.h"
#include "config/hardware_profiles.h"
#include "config/memory_map_settings.h"
#include "config/settings_sections.h"
#include "config/settings_store.h"
#include "config/talker_adaptation.h"
#include "link/conversions.h"

namespace tessaline {

namespace {

inline constexpr auto CleDernierFichier = "LastFichier";
inline constexpr auto LongueurConsole = "80"; // hexadecimal: 128 bytes

QString cleFichierRecent(size_t i) {
    return QStringLiteral("File%1").arg(i + 1);
}
QString clePort(size_t i) {
    return QStringLiteral("COM%1").arg(i + 1);
}

void chargerConfigCourante(Configuration& config, const SettingsStore& store) {
    const Configuration defauts;
    config.Port = store.lire(SectionConfig, "Port", defauts.Port);
    config.HardWare = store.lire(SectionConfig, "HardWare", defauts.HardWare);
    config.Quartz = store.lire(SectionConfig, "Quartz", defauts.Quartz);
    config.Baud = store.lireEntier16(SectionConfig, "Baud", defauts.Baud);
    config.Timeout = store.lireEntier16(SectionConfig, "Timeout", defauts.Timeout);
    appliquerCarte(lireCarteMemoire(store, SectionConfig, carteDe(defauts)), config);
}

void sauverConfigCourante(const Configuration& config, SettingsStore& store) {
    store.ecrire(SectionConfig, "Port", config.Port);
    store.ecrire(SectionConfig, "HardWare", config.HardWare);
    store.ecrire(SectionConfig, "Quartz", config.Quartz);
    store.ecrireEntier(SectionConfig, "Baud", config.Baud);
    store.ecrireEntier(SectionConfig, "Timeout", config.Timeout);
    ecrireCarteMemoire(store, SectionConfig, carteDe(config));
}

} // namespace

void ChargerConfig(Session& session, SettingsStore& store, WindowLayout& disposition,
                   const QString& dossierProgramme) {
    Configuration& config = session.config;
    const Configuration defauts;

    chargerDisposition(store, disposition);
    chargerConfigCourante(config, store);
    for (size_t i = 0; i < config.FichiersRecents.size(); ++i)
        config.FichiersRecents[i] = store.lire(SectionFichiers, cleFichierRecent(i));

    const ProfilsLus lus = lireProfils(store);
    session.profils = lus.profils;
    session.ecran().setEnabled("cmdDELType", lus.HardWareADD > DernierProfilIntegre);

    session.console.CmdAdresse = DecHexa4(config.DepartEEprom);
    session.console.CmdLongueur = QString::fromLatin1(LongueurConsole);
    session.ecran().setText("txtADRESSE", session.console.CmdAdresse);
    session.ecran().setText("txtLONGUEUR", session.console.CmdLongueur);

    AdapteTalker(config);
    chargerFichiersCompilateur(session, store, dossierProgramme);

    config.LastFichier = store.lire(SectionConfig, CleDernierFichier);
    if (config.LastFichier.isEmpty()) config.LastFichier = dossierProgramme;

    // Off Windows, the device behind each port name.
    for (size_t i = 0; i < config.Peripheriques.size(); ++i)
        config.Peripheriques[i] = store.lire(SectionPorts, clePort(i), defauts.Peripheriques[i]);
}

bool SauverConfig(const Session& session, SettingsStore& store, const WindowLayout& disposition) {
    const Configuration& config = session.config;
    sauverDisposition(store, disposition);
    sauverConfigCourante(config, store);
    sauverFichiersCompilateur(config, store);
    store.ecrire(SectionConfig, CleDernierFichier, config.LastFichier);
    for (size_t i = 0; i < config.FichiersRecents.size(); ++i)
        store.ecrire(SectionFichiers, cleFichierRecent(i), config.FichiersRecents[i]);
    ecrireProfils(store, session.profils);
    for (size_t i = 0; i < config.Peripheriques.size(); ++i)
        store.ecrire(SectionPorts, clePort(i), config.Peripheriques[i]);
    return store.sync();
}

} // namespace tessaline
