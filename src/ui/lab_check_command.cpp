#include "lab_check_command.h"

#include "lab/lab_check_reader.h"
#include "lab/lab_report.h"
#include "lab/lab_session.h"
#include "link/regular_file.h"
#include "link/session.h"
#include "ui/file_commands.h"
#include "ui/files_window.h"
#include "ui/source_area.h"

#include <QAction>
#include <QFileInfo>
#include <QThread>

namespace tessaline {

namespace {

const QString FiltresVerification = QStringLiteral("Vérifications (*.toml *.TOML);;Tous les fichiers (*)");

// A check file is small: far less than this.
constexpr qint64 TailleMaxVerification = qint64(1) << 20;

} // namespace

CommandeVerification::CommandeVerification(Session& session, FilesWindow* fichiers, FileCommands* commandes,
                                           QAction* action)
    : QObject(fichiers)
    , session_(session)
    , fichiers_(fichiers)
    , commandes_(commandes)
    , action_(action) {
    connect(action_, &QAction::triggered, this, &CommandeVerification::verifier);
}

CommandeVerification::~CommandeVerification() {
    if (!fil_) return;
    fil_->wait();
    delete fil_;
}

void CommandeVerification::signaler(const QString& texte) {
    session_.ecran().append(Zone::Trace, QStringLiteral("\r\n") + texte + QStringLiteral("\r\n"),
                            couleur::Rouge, true);
    emit terminee();
}

void CommandeVerification::verifier() {
    if (fil_) return;
    const QString source = fichiers_->source()->toPlainText();
    if (source.trimmed().isEmpty())
        return signaler(
            QStringLiteral("Vérifier avec… : aucun source à vérifier ; ouvrez-en un (Fichier > Ouvrir)."));
    const QString chemin = commandes_->dialogues.ouvrir(fichiers_->window(), FiltresVerification,
                                                        FiltresVerification.section(u';', 0, 0));
    if (chemin.isEmpty()) return;
    QString erreur;
    const std::optional<QByteArray> texte = lireFichierOrdinaire(chemin, TailleMaxVerification, erreur);
    if (!texte) return signaler(QStringLiteral("Vérifier avec… : ") + erreur);
    const lab::LectureVerification lecture = lab::lireVerification(texte->toStdString());
    const QString nomVerification = QFileInfo(chemin).fileName();
    if (!lecture.verification)
        return signaler(nomVerification +
                        (lecture.ligne ? QStringLiteral(":%1").arg(lecture.ligne) : QString()) +
                        QStringLiteral(": ") + QString::fromStdString(lecture.erreur));

    const QString courant = session_.fichiers.FichierCourant;
    const QString nom = courant.isEmpty() ? QStringLiteral("source") : QFileInfo(courant).fileName();
    const lab::VerificationLab verification = *lecture.verification;
    const QString titre =
        verification.titre.empty()
            ? nomVerification
            : QStringLiteral("« %1 » (%2)").arg(QString::fromStdString(verification.titre), nomVerification);
    session_.ecran().append(
        Zone::Trace,
        QStringLiteral("\r\nVérification %1 de %2 sur la carte simulée (%3, quartz %4 MHz) :\r\n")
            .arg(titre, nom, QString::fromStdString(verification.puce))
            .arg(verification.quartzMHz),
        couleur::Noir, true);
    auto resultat = std::make_shared<lab::ResultatSoumission>();
    fil_ = QThread::create([=] {
        *resultat = lab::verifierProgramme(verification, nom, lab::assemblerSource(source, nom), true);
    });
    action_->setEnabled(false);
    connect(fil_, &QThread::finished, this, [this, resultat] {
        const QStringList lignes = QString::fromStdString(lab::texteTerminal(*resultat, true)).split(u'\n');
        for (const QString& l : lignes) {
            if (l.isEmpty()) continue;
            const uint32_t c = l.startsWith(QStringLiteral("RÉUSSI"))  ? couleur::Vert
                               : l.startsWith(QStringLiteral("ÉCHEC")) ? couleur::Rouge
                                                                       : couleur::Noir;
            // The terminal's deep indent costs the trace window's narrow width.
            const QString ligne = l.startsWith(QStringLiteral("        ")) ? l.mid(6) : l;
            session_.ecran().append(Zone::Trace, ligne + QStringLiteral("\r\n"), c, c != couleur::Noir);
        }
        fil_->deleteLater();
        fil_ = nullptr;
        action_->setEnabled(true);
        emit terminee();
    });
    fil_->start();
}

} // namespace tessaline
