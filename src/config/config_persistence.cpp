#include "config/config_persistence.h"

#include "config/assembler_files.h"
#include "config/crystal_table.h"
#include "config/hardware_profiles.h"
#include "config/memory_map_settings.h"
#include "config/settings_sections.h"
#include "config/settings_store.h"
#include "config/talker_adaptation.h"

namespace tessaline {

namespace {

inline constexpr auto CleDernierFichier = "LastFichier";

QString cleFichierRecent(size_t i) {
    return QStringLiteral("File%1").arg(i + 1);
}
QString clePort(size_t i) {
    return QStringLiteral("COM%1").arg(i + 1);
}

void lireConfigCourante(Configuration& config, const SettingsStore& store) {
    const Configuration defauts;
    config.Port = store.lire(SectionConfig, "Port", defauts.Port);
    config.HardWare = store.lire(SectionConfig, "HardWare", defauts.HardWare);
    const QuartzEtBaud offerts = quartzEtBaudOfferts(store.lire(SectionConfig, "Quartz", defauts.Quartz),
                                                     store.lireEntier16(SectionConfig, "Baud", defauts.Baud));
    config.Quartz = offerts.quartz;
    config.Baud = offerts.baud;
    // Out of range (a negative value would make every wait endless) is as
    // bad as unreadable: the default.
    config.Timeout = store.lireEntier16(SectionConfig, "Timeout", defauts.Timeout);
    if (config.Timeout < 0 || config.Timeout > TimeoutMaximum) config.Timeout = defauts.Timeout;
    config.carte() = lireCarteMemoire(store, SectionConfig, defauts);
}

void ecrireConfigCourante(const Configuration& config, SettingsStore& store,
                          std::optional<int> baudNonStocke) {
    store.ecrire(SectionConfig, "Port", config.Port);
    store.ecrire(SectionConfig, "HardWare", config.HardWare);
    store.ecrire(SectionConfig, "Quartz", config.Quartz);
    if (config.Baud != baudNonStocke) store.ecrireEntier(SectionConfig, "Baud", config.Baud);
    store.ecrireEntier(SectionConfig, "Timeout", config.Timeout);
    ecrireCarteMemoire(store, SectionConfig, config);
}

} // namespace

ConfigurationLue lireConfiguration(const SettingsStore& store, const QString& dossierProgramme,
                                   Liaison liaison) {
    ConfigurationLue lue;
    chargerDisposition(store, lue.disposition);
    Configuration& config = lue.configuration;
    lireConfigCourante(config, store);
    // A rate stored (for a real port, or chosen on the simulated board) is kept.
    if (liaison == Liaison::CarteSimulee && store.lireEntier16(SectionConfig, "Baud", -1) < 0) {
        const ReglageQuartz* q = reglageQuartz(config.Quartz); // always in the table here
        if (q && !q->vitesses.empty()) {
            config.Baud = q->vitesses.back().baud;
            lue.baudNonStocke = config.Baud;
        }
    }
    for (size_t i = 0; i < config.FichiersRecents.size(); ++i)
        config.FichiersRecents[i] = store.lire(SectionFichiers, cleFichierRecent(i));
    lue.profils = lireProfils(store);
    AdapteTalker(config);
    chargerFichiersCompilateur(config, store, dossierProgramme);
    config.LastFichier = store.lire(SectionConfig, CleDernierFichier);
    if (config.LastFichier.isEmpty()) config.LastFichier = dossierProgramme;
    // Off Windows, the device behind each port name.
    const Configuration defauts;
    for (size_t i = 0; i < config.Peripheriques.size(); ++i)
        config.Peripheriques[i] = store.lire(SectionPorts, clePort(i), defauts.Peripheriques[i]);
    return lue;
}

bool ecrireConfiguration(SettingsStore& store, const Configuration& config,
                         const QVector<ProfilMateriel>& profils, const WindowLayout& disposition,
                         std::optional<int> baudNonStocke) {
    sauverDisposition(store, disposition);
    ecrireConfigCourante(config, store, baudNonStocke);
    sauverFichiersCompilateur(config, store);
    store.ecrire(SectionConfig, CleDernierFichier, config.LastFichier);
    for (size_t i = 0; i < config.FichiersRecents.size(); ++i)
        store.ecrire(SectionFichiers, cleFichierRecent(i), config.FichiersRecents[i]);
    ecrireProfils(store, profils);
    for (size_t i = 0; i < config.Peripheriques.size(); ++i)
        store.ecrire(SectionPorts, clePort(i), config.Peripheriques[i]);
    return store.sync();
}

} // namespace tessaline
