#include "config/assembler_files.h"

#include "config/settings_sections.h"
#include "config/settings_store.h"

#include <QDir>
#include <QFileInfo>

#include <array>

namespace tessaline {

namespace {

struct FichierCompilateurDecrit {
    const char* cleNom;
    QString Configuration::*nom;
    const char* cleChemin;
    QString Configuration::*chemin;
    bool rendDisponible; // the compile command can run with this file alone
};

// In selector order.
const std::array<FichierCompilateurDecrit, 3> Fichiers = {{
    {"FichCompilateur", &Configuration::FichCompilateur, "FichierCompilateur",
     &Configuration::FichierCompilateur, true},
    {"FichCompilateurSYM", &Configuration::FichCompilateurSYM, "FichierCompilateurSYM",
     &Configuration::FichierCompilateurSYM, false},
    {"FichCompilateurBAT", &Configuration::FichCompilateurBAT, "FichierCompilateurBAT",
     &Configuration::FichierCompilateurBAT, true},
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

// The file named `nom` beside the program, or else in the helper folder that
// the programs' own helpers (the compile script) are installed in.
QString fichierDuProgramme(const QString& dossierProgramme, const QString& nom) {
    const QString chemin = fichierDuDossier(dossierProgramme, nom);
    if (!chemin.isEmpty() || dossierProgramme.isEmpty()) return chemin;
    return fichierDuDossier(
        QDir::cleanPath(dossierProgramme + u'/' + QLatin1String(TESSALINE_HELPER_FROM_BIN)), nom);
}

} // namespace

bool rendCompilateurDisponible(int selecteur) {
    return selecteur >= 0 && selecteur < static_cast<int>(Fichiers.size()) &&
           Fichiers[selecteur].rendDisponible;
}

void chargerFichiersCompilateur(Configuration& config, const SettingsStore& store,
                                const QString& dossierProgramme) {
    const Configuration defauts;
    for (const FichierCompilateurDecrit& fichier : Fichiers) {
        const QString nom = store.lire(SectionConfig, fichier.cleNom);
        config.*fichier.nom = nom.isEmpty() ? defauts.*fichier.nom : nom;
    }
    for (const FichierCompilateurDecrit& fichier : Fichiers) {
        QString chemin = store.lire(SectionConfig, fichier.cleChemin);
        if (chemin.isEmpty()) chemin = fichierDuProgramme(dossierProgramme, config.*fichier.nom);
        config.*fichier.chemin = chemin;
        if (fichier.rendDisponible)
            config.CompilateurDisponible = !chemin.isEmpty() && QFileInfo(chemin).isFile();
    }
}

void sauverFichiersCompilateur(const Configuration& config, SettingsStore& store) {
    for (const FichierCompilateurDecrit& fichier : Fichiers)
        store.ecrire(SectionConfig, fichier.cleChemin, config.*fichier.chemin);
    for (const FichierCompilateurDecrit& fichier : Fichiers)
        store.ecrire(SectionConfig, fichier.cleNom, config.*fichier.nom);
}

} // namespace tessaline
