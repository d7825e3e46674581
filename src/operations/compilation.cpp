#include "operations/compilation.h"

#include "link/conversions.h"
#include "link/error_report.h"
#include "link/regular_file.h"
#include "link/tempo.h"
#include "link/transfer.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <optional>

namespace tessaline {
namespace {

const QString NomRapport = QStringLiteral("RETOUR.NFO");
// Far more than an assembler says about any source.
constexpr qint64 TailleMaxRapport = qint64(1) << 20;

// A message of the compile: the OK button only, the application's title.
void avertir(Session& s, const QString& texte) {
    s.ecran().message(texte, TitreApplication, Icone::Aucune, Boutons::Ok);
}

// The folder of a path, with its trailing separator, and its base name (the
// file name up to its first '.').
QString dossierDe(const QString& chemin) {
    const qsizetype i = std::max(chemin.lastIndexOf(u'/'), chemin.lastIndexOf(u'\\'));
    return chemin.left(i + 1);
}

QString nomDe(const QString& chemin) {
    return chemin.mid(dossierDe(chemin).size()).section(u'.', 0, 0);
}

// The assembler's report joins the end of the trace, after a line break, in
// bold: green, save its error lines, which are red. Only a regular file is
// read. The number of error lines.
int rapport(Session& s) {
    if (s.fichiers.RepFichier.isEmpty()) return 0;
    QString erreur;
    const auto texte = lireFichierOrdinaire(s.fichiers.RepFichier + NomRapport, TailleMaxRapport, erreur);
    if (!texte) return 0;
    int erreurs = 0;
    QString run;
    bool runRouge = false;
    const QString tout = QStringLiteral("\r\n") + QString::fromUtf8(*texte);
    // Lines with their ends; runs of lines of one colour go out together.
    for (qsizetype debut = 0; debut < tout.size();) {
        const qsizetype fin = tout.indexOf(u'\n', debut);
        const qsizetype apres = fin < 0 ? tout.size() : fin + 1;
        const QString ligne = tout.mid(debut, apres - debut);
        const bool rouge = ligneDErreur(ligne);
        erreurs += rouge ? 1 : 0;
        if (rouge != runRouge && !run.isEmpty()) {
            s.ecran().append(Zone::Trace, run, runRouge ? couleur::Rouge : couleur::Vert, true);
            run.clear();
        }
        runRouge = rouge;
        run += ligne;
        debut = apres;
    }
    if (!run.isEmpty()) s.ecran().append(Zone::Trace, run, runRouge ? couleur::Rouge : couleur::Vert, true);
    return erreurs;
}

// Runs the compile script to its end. The windows stay alive meanwhile; the
// Cancel of the wait window (abort) or of the progress window, or the user's
// interruption, kill the script. Its exit status when it ended by itself.
std::optional<int> executerScript(Session& s, const QString& programme, const QStringList& arguments) {
    QProcess script;
    script.setProgram(programme);
    script.setArguments(arguments);
    script.setWorkingDirectory(s.fichiers.RepFichier);
    script.setStandardInputFile(QProcess::nullDevice());
    script.setStandardOutputFile(QProcess::nullDevice());
    script.setStandardErrorFile(QProcess::nullDevice());
    s.liaison.annulation = false;
    s.liaison.abandon = false;
    script.start();
    if (!script.waitForStarted()) return std::nullopt;
    EventClock& h = s.horloge();
    bool tue = false;
    while (script.state() != QProcess::NotRunning) {
        if (arretDemande(s) || !h.applicationAlive()) {
            script.kill();
            script.waitForFinished();
            tue = true;
            break;
        }
        // Short slices: the script's end is seen at once, the windows every 20 ms.
        if (script.waitForFinished(20)) break;
        h.processEvents();
    }
    s.liaison.annulation = false;
    s.liaison.abandon = false;
    if (tue || script.exitStatus() != QProcess::NormalExit) return std::nullopt;
    return script.exitCode();
}

// A product the script created but left empty may still be being written:
// the user is told and it is looked at again, for at most 3 s.
void attendreProduit(Session& s, const QString& chemin) {
    // Only a regular file grows: anything else at the name is not waited for.
    if (chemin.isEmpty() || !QFileInfo(chemin).isFile()) return;
    EventClock& h = s.horloge();
    const double debut = h.now();
    while (QFileInfo(chemin).size() == 0) {
        avertir(s, QStringLiteral(" Fichier :") + chemin + QStringLiteral("\r\nEn cr\u00e9ation !..."));
        if (ecoule(debut, h.now()) > 3.0 || !h.applicationAlive()) return;
        Tempo(h, 0.1f);
    }
}

BilanCompilation compile(Session& s, const std::function<void()>& chargerFichiers,
                         RapportPrecedent precedent) {
    Configuration& c = s.config;
    EtatFichiers& f = s.fichiers;
    BilanCompilation bilan;
    if (!c.CompilateurDisponible) {
        avertir(s, QStringLiteral("le Fichier Compilateur n'existe pas !"));
        if (precedent == RapportPrecedent::Montre) rapport(s);
        return bilan;
    }
    if (f.FichierASM.isEmpty() || !QFileInfo(f.FichierASM).isFile()) {
        avertir(s, QStringLiteral("le Fichier *.ASM n'existe pas !"));
        if (precedent == RapportPrecedent::Montre) rapport(s);
        bilan.actif = false;
        return bilan;
    }
    // The script writes its report through a redirection: a name that leads to
    // a device, a pipe or a folder would take it in place of a file.
    const QString nomRapport = dossierDe(f.FichierASM) + NomRapport;
    const CibleFichier cibleRapport = cibleFichier(nomRapport);
    if (!cibleRapport.ordinaireOuAbsent()) {
        EchecFichier refus;
        refus.genre = EchecFichier::Genre::NonOrdinaire;
        refus.nature = cibleRapport.nature;
        AfficheEchec(s.ecran(), QStringLiteral("Compilation impossible : ") + texteEchec(nomRapport, refus));
        return bilan;
    }
    s.ecran().showWait(QStringLiteral("Attendez SVP...  Compilation en Cours"));
    Tempo(s.horloge(), 0);
    // The products of the last compile stay: the assembler replaces them only
    // when it succeeds, so that a typo never costs the program last built.
    f.RepFichier = dossierDe(f.FichierASM);
    f.NomFichier = nomDe(f.FichierASM);
    retirerFichier(f.RepFichier + NomRapport);

    const std::array<std::pair<QString, QString>, 3> fichiers = {
        {{c.FichierCompilateur, c.FichCompilateur},
         {c.FichierCompilateurSYM, c.FichCompilateurSYM},
         {c.FichierCompilateurBAT, c.FichCompilateurBAT}}};
    for (const auto& [chemin, nom] : fichiers) {
        if (chemin.isEmpty() || !QFileInfo(chemin).isFile()) {
            avertir(s, QStringLiteral("le Fichier Compilateur") + nom + QStringLiteral("n'existe pas !"));
            bilan.actif = false;
        }
#ifdef Q_OS_WIN
        // The batch file and the DOS assemblers it calls are run from the source's folder.
        else if (!QFileInfo::exists(f.RepFichier + nom)) {
            QFile::copy(chemin, f.RepFichier + nom);
        }
#endif
    }

#ifdef Q_OS_WIN
    const QString dossierCourt = dossierDe(CheminCourt(f.FichierASM));
    const std::optional<int> statut =
        executerScript(s, f.RepFichier + c.FichCompilateurBAT,
                       {f.NomFichier, dossierCourt, c.FichCompilateur, c.FichCompilateurSYM});
#else
    // Programs by their full paths, the real folder: nothing is copied and no
    // shell reads a name.
    const std::optional<int> statut =
        executerScript(s, c.FichierCompilateurBAT,
                       {f.NomFichier, f.RepFichier, c.FichierCompilateur, c.FichierCompilateurSYM});
#endif
    bilan.lance = true;
    bilan.termine = statut.has_value();
    bilan.statut = statut.value_or(-1);

    for (const QString& produit : {f.FichierS19, f.FichierLST, f.FichierSYM})
        attendreProduit(s, produit);
    if (chargerFichiers) chargerFichiers();
    s.ecran().hideWait();
    bilan.lignesErreur = rapport(s);
    return bilan;
}

} // namespace

bool ligneDErreur(const QString& ligne) {
    // "error" at the start of the line or right after a colon, or after a
    // count other than 0; "assembled without error" is no error line.
    static const QRegularExpression erreur(
        QStringLiteral("(^\\s*|:\\s*)(error|erreur)\\b|\\b[1-9][0-9]*\\s+(error|erreur)"),
        QRegularExpression::CaseInsensitiveOption);
    return erreur.match(ligne).hasMatch();
}

BilanCompilation compilerSource(Session& session, const std::function<void()>& chargerFichiers,
                                RapportPrecedent precedent) {
    try {
        return compile(session, chargerFichiers, precedent);
    } catch (const std::exception& e) {
        session.ecran().hideWait();
        AfficheErreur(session.ecran(), QStringLiteral("mnuFileCompile_Click"), erreurDepuis(e));
        return {};
    }
}

} // namespace tessaline
