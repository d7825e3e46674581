// tessaline-lab: checks a class's 68HC11 programs against a lab's check file, each case
// on a fresh simulated board, unattended. Prints one line per submission and case as
// the results come, in the submissions' order; writes the CSV and JUnit files asked
// for. Exit status 0 when every submission passes every case, 1 when one does not, 2
// on a usage error, a check file refused, a source that cannot be found or a report
// that cannot be written. --help prints the usage, --version the version.
#include "lab/lab_check_reader.h"
#include "lab/lab_report.h"
#include "lab/lab_session.h"
#include "link/regular_file.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <thread>

using namespace tessaline;
using namespace tessaline::lab;

namespace {

const char* const Usage =
    "usage: tessaline-lab VERIFICATION.toml [--csv FICHIER] [--junit FICHIER] [--jobs N]\n"
    "                     [--verbose] SOURCE...\n"
    "       tessaline-lab --help | --version\n"
    "\n"
    "Vérifie des programmes 68HC11 (sources .asm ou .a11, fichiers .s19, ou dossiers qui\n"
    "en contiennent) sur la carte simulée, selon le fichier de vérification d'un TP : la\n"
    "puce, le quartz, le départ, la limite de temps en cycles E et des cas, chacun avec\n"
    "ses stimuli et ses attentes notées. Chaque cas part d'une carte neuve. Une ligne par\n"
    "programme et par cas : RÉUSSI ou ÉCHEC, les points et la première attente manquée.\n"
    "\n"
    "options :\n"
    "  --csv FICHIER     écrit les résultats en CSV (une ligne par programme et par cas)\n"
    "  --junit FICHIER   écrit les résultats en XML JUnit\n"
    "  --jobs N          N programmes vérifiés à la fois (par défaut : un par cœur)\n"
    "  --verbose, -v     pour un cas en échec : toutes les attentes manquées et les 50\n"
    "                    dernières instructions avant l'échec\n"
    "  --help, -h        affiche cette aide\n"
    "  --version         affiche la version\n"
    "\n"
    "Statut de sortie : 0 quand tous les programmes réussissent tous les cas, 1 sinon,\n"
    "2 sur une erreur d'usage, un fichier de vérification refusé ou un rapport qui ne\n"
    "peut pas être écrit.\n";

// The longest check file read: far more than any lab needs.
constexpr qint64 TailleMaxVerification = qint64(1) << 20;

void ecrire(std::FILE* f, const std::string& s) {
    std::fwrite(s.data(), 1, s.size(), f);
    std::fflush(f);
}

int usage(const std::string& erreur) {
    ecrire(stderr, "tessaline-lab: " + erreur +
                       "\nusage: tessaline-lab VERIFICATION.toml [options] SOURCE...  (--help)\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString verificationChemin, csv, junit;
    QStringList sources;
    unsigned travailleurs = std::max(1u, std::thread::hardware_concurrency());
    bool verbeux = false;
    // --help and --version answer wherever they stand, whatever else is there.
    for (const QString& a : args) {
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            ecrire(stdout, Usage);
            return 0;
        }
        if (a == QLatin1String("--version")) {
            ecrire(stdout, "tessaline-lab " TESSALINE_VERSION "\n");
            return 0;
        }
    }
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const auto valeur = [&](QString& ou) {
            if (i + 1 >= args.size()) return false;
            ou = args[++i];
            return true;
        };
        if (a == QLatin1String("--csv")) {
            if (!valeur(csv)) return usage("--csv demande un nom de fichier");
        } else if (a == QLatin1String("--junit")) {
            if (!valeur(junit)) return usage("--junit demande un nom de fichier");
        } else if (a == QLatin1String("--jobs") || a == QLatin1String("-j")) {
            QString n;
            bool ok = valeur(n);
            const unsigned v = n.toUInt(&ok);
            if (!ok || v < 1 || v > 256) return usage("--jobs demande un nombre de 1 à 256");
            travailleurs = v;
        } else if (a == QLatin1String("--verbose") || a == QLatin1String("-v")) {
            verbeux = true;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return usage("option inconnue " + a.toStdString());
        } else if (verificationChemin.isEmpty()) {
            verificationChemin = a;
        } else {
            sources << a;
        }
    }
    if (verificationChemin.isEmpty()) return usage("il manque le fichier de vérification");
    if (sources.isEmpty()) return usage("il manque les programmes à vérifier");

    QString erreur;
    const std::optional<QByteArray> texte =
        lireFichierOrdinaire(verificationChemin, TailleMaxVerification, erreur);
    if (!texte) return usage(erreur.toStdString());
    const LectureVerification lecture = lireVerification(texte->toStdString());
    if (!lecture.verification) {
        ecrire(stderr, verificationChemin.toStdString() +
                           (lecture.ligne ? ":" + std::to_string(lecture.ligne) : "") + ": " +
                           lecture.erreur + "\n");
        return 2;
    }
    const VerificationLab& verification = *lecture.verification;

    QStringList introuvables;
    const std::vector<Soumission> soumissions = trouverSoumissions(sources, introuvables);
    for (const QString& e : introuvables)
        ecrire(stderr, "tessaline-lab: " + e.toStdString() + "\n");
    if (soumissions.empty()) return 2;

    const std::vector<ResultatSoumission> resultats =
        verifierSoumissions(verification, soumissions, travailleurs, verbeux,
                            [&](const ResultatSoumission& r) { ecrire(stdout, texteTerminal(r, verbeux)); });
    ecrire(stdout, texteBilan(resultats, verification));

    bool rapports = true;
    const auto enregistrer = [&](const QString& chemin, const QByteArray& contenu) {
        QString e;
        if (chemin.isEmpty() || enregistrerFichier(chemin, contenu, e)) return;
        ecrire(stderr, "tessaline-lab: " + e.toStdString() + "\n");
        rapports = false;
    };
    enregistrer(csv, texteCsv(resultats));
    enregistrer(junit, texteJUnit(resultats, verification));
    if (!rapports || !introuvables.isEmpty()) return 2;
    const bool tous = std::all_of(resultats.begin(), resultats.end(),
                                  [](const ResultatSoumission& r) { return r.reussie(); });
    return tous ? 0 : 1;
}
