#include "config/assembler_files.h"

#include "config/settings_sections.h"
#include "config/settings_store.h"

#include <QDir>
#include <QFileInfo>

#include <array>

namespace tessaline {

namespace {

inline constexpr auto EtiquetteTaille = "lblTailleCompilateur";
inline constexpr auto TexteAucun = "Aucun";
inline constexpr auto Unite = "Octets";

struct FichierCompilateurDecrit {
    const char* cleNom;
    QString Configuration::*nom;
    const char* cleChemin;
    QString Configuration::*chemin;
    const char* etiquette;
    bool rendDisponible; // the compile command can run with this file alone
};

// In selector order.
const std::array<FichierCompilateurDecrit, 3> Fichiers = {{
    {"FichCompilateur", &Configuration::FichCompilateur, "FichierCompilateur",
     &Configuration::FichierCompilateur, "lblCheminCompilateur", true},
    {"FichCompilateurSYM", &Configuration::FichCompilateurSYM, "FichierCompilateurSYM",
     &Configuration::FichierCompilateurSYM, "lblCheminCompilateurSYM", false},
    {"FichCompilateurBAT", &Configuration::FichCompilateurBAT, "FichierCompilateurBAT",
     &Configuration::FichierCompilateurBAT, "lblCheminCompilateurBAT", true},
}};

// The file named `nom` in `dossier`, the exact spelling first; empty when none.
QString fichierDuDossier(const QString& dossier, const QString& nom) {
    if (dossier.isEmpty() || nom.isEmpty()) return {};
    const QDir repertoire(dossier);
    QString trouve;
    if (QFileInfo(repertoire.filePath(nom)).isFile()) {
        trouve = nom;
    } else {
        const QStringList presents = repertoire.entryList(QDir::Files | QDir::Hidden);
        for (const QString& present : presents) {
            if (present.compare(nom, Qt::CaseInsensitive) == 0) {
                trouve = present;
                break;
            }
        }
    }
    return trouve.isEmpty() ? QString() : QDir::toNativeSeparators(repertoire.filePath(trouve));
}

} // namespace

void TailleFichier(Session& session, int selecteur, const QString& chemin) {
    if (selecteur < 0 || selecteur >= static_cast<int>(Fichiers.size())) return;
    const FichierCompilateurDecrit& fichier = Fichiers[selecteur];
    const QFileInfo info(chemin);
    const bool present = !chemin.isEmpty() && info.isFile();
    Screen& ecran = session.ecran();
    ecran.setText(fichier.etiquette, present ? chemin : QString::fromLatin1(TexteAucun));
    ecran.setText(EtiquetteTaille, QString::number(present ? info.size() : 0) + u' ' + QLatin1String(Unite));
    if (fichier.rendDisponible) session.config.CompilateurDisponible = present;
}

void chargerFichiersCompilateur(Session& session, const SettingsStore& store,
                                const QString& dossierProgramme) {
    const Configuration defauts;
    Configuration& config = session.config;
    for (const FichierCompilateurDecrit& fichier : Fichiers) {
        const QString nom = store.lire(SectionConfig, fichier.cleNom);
        config.*fichier.nom = nom.isEmpty() ? defauts.*fichier.nom : nom;
    }
    for (int selecteur = 0; selecteur < static_cast<int>(Fichiers.size()); ++selecteur) {
        const FichierCompilateurDecrit& fichier = Fichiers[selecteur];
        QString chemin = store.lire(SectionConfig, fichier.cleChemin);
        if (chemin.isEmpty()) chemin = fichierDuDossier(dossierProgramme, config.*fichier.nom);
        config.*fichier.chemin = chemin;
        TailleFichier(session, selecteur, chemin);
    }
}

void sauverFichiersCompilateur(const Configuration& config, SettingsStore& store) {
    for (const FichierCompilateurDecrit& fichier : Fichiers)
        store.ecrire(SectionConfig, fichier.cleChemin, config.*fichier.chemin);
    for (const FichierCompilateurDecrit& fichier : Fichiers)
        store.ecrire(SectionConfig, fichier.cleNom, config.*fichier.nom);
}

} // namespace tessaline
