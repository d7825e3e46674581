#include "link/regular_file.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tessaline {

namespace {

// As many links as the system itself follows in one name before it gives up.
constexpr int LiensMaximum = 40;

NatureFichier natureDe(const QString& chemin) {
#ifdef Q_OS_UNIX
    struct stat st {};
    // Whatever keeps the name from being looked at (nothing there, a folder
    // that cannot be searched) counts as nothing: the write itself then fails
    // with the system's own reason.
    if (::lstat(QFile::encodeName(chemin).constData(), &st) != 0) return NatureFichier::Absent;
    if (S_ISREG(st.st_mode)) return NatureFichier::Ordinaire;
    if (S_ISDIR(st.st_mode)) return NatureFichier::Dossier;
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return NatureFichier::Peripherique;
    if (S_ISFIFO(st.st_mode)) return NatureFichier::Tube;
    if (S_ISSOCK(st.st_mode)) return NatureFichier::Socket;
    return NatureFichier::Autre;
#else
    const QFileInfo info(chemin);
    if (!info.exists()) return NatureFichier::Absent;
    if (info.isDir()) return NatureFichier::Dossier;
    return info.isFile() ? NatureFichier::Ordinaire : NatureFichier::Autre;
#endif
}

EchecFichier nonOrdinaire(NatureFichier nature) {
    EchecFichier e;
    e.genre = EchecFichier::Genre::NonOrdinaire;
    e.nature = nature;
    return e;
}

EchecFichier systeme(const QString& raison) {
    EchecFichier e;
    e.genre = EchecFichier::Genre::Systeme;
    e.raison = raison;
    return e;
}

} // namespace

CibleFichier cibleFichier(const QString& chemin) {
    CibleFichier c;
    c.chemin = chemin;
    for (int liens = 0;; ++liens) {
        const QFileInfo info(c.chemin);
        if (!info.isSymbolicLink()) break;
        if (liens == LiensMaximum) {
            c.nature = NatureFichier::BoucleLiens;
            return c;
        }
        // symLinkTarget() gives an absolute path, a relative link taken from its own folder.
        c.chemin = info.symLinkTarget();
    }
    c.nature = natureDe(c.chemin);
    return c;
}

QString texteEchec(const QString& chemin, const EchecFichier& echec) {
    using Genre = EchecFichier::Genre;
    switch (echec.genre) {
    case Genre::Aucun: return {};
    case Genre::Introuvable: return chemin + QStringLiteral(" : fichier introuvable");
    case Genre::TropGrand:
        return chemin + QStringLiteral(" est trop grand (plus de %1 octets)").arg(echec.tailleMax);
    case Genre::Systeme: return chemin + QStringLiteral(" : ") + echec.raison;
    case Genre::NonOrdinaire: break;
    }
    QString quoi;
    switch (echec.nature) {
    case NatureFichier::Dossier: quoi = QStringLiteral(" (un dossier)"); break;
    case NatureFichier::Peripherique: quoi = QStringLiteral(" (un p\u00e9riph\u00e9rique)"); break;
    case NatureFichier::Tube: quoi = QStringLiteral(" (un tube nomm\u00e9)"); break;
    case NatureFichier::Socket: quoi = QStringLiteral(" (une socket)"); break;
    case NatureFichier::BoucleLiens: quoi = QStringLiteral(" (une boucle de liens symboliques)"); break;
    case NatureFichier::Absent:
    case NatureFichier::Ordinaire:
    case NatureFichier::Autre: break;
    }
    return chemin + QStringLiteral(" n'est pas un fichier ordinaire") + quoi;
}

FichierEnregistre::FichierEnregistre(const QString& chemin)
    : nom_(chemin) {}

bool FichierEnregistre::ouvrir() {
    fichier_.reset();
    echec_ = {};
    cible_ = cibleFichier(nom_);
    if (!cible_.ordinaireOuAbsent()) {
        echec_ = nonOrdinaire(cible_.nature);
        return false;
    }
    // The temporary file is made in the folder of the file it replaces, so
    // that the replacement is one rename; it takes the old file's permission
    // bits (a new file gets those the user's umask leaves).
    fichier_.emplace(cible_.chemin);
    if (!fichier_->open(QIODevice::WriteOnly)) {
        echec_ = systeme(fichier_->errorString());
        fichier_.reset();
        return false;
    }
    return true;
}

bool FichierEnregistre::ecrire(QByteArrayView octets) {
    if (!fichier_) return false;
    if (fichier_->write(octets.data(), octets.size()) == octets.size()) return true;
    echec_ = systeme(fichier_->errorString());
    return false;
}

bool FichierEnregistre::valider() {
    if (!fichier_) return false;
    // Something else may have been put at the name while the contents were
    // written: only a regular file, or nothing, is replaced.
    cible_.nature = natureDe(cible_.chemin);
    if (!cible_.ordinaireOuAbsent()) {
        echec_ = nonOrdinaire(cible_.nature);
        abandonner();
        return false;
    }
    const bool fait = fichier_->commit();
    if (!fait) echec_ = systeme(fichier_->errorString());
    fichier_.reset();
    return fait;
}

void FichierEnregistre::abandonner() {
    // The temporary file goes with the unvalidated QSaveFile.
    fichier_.reset();
}

bool enregistrerFichier(const QString& chemin, QByteArrayView contenu, QString& erreur) {
    FichierEnregistre f(chemin);
    const bool fait = f.ouvrir() && f.ecrire(contenu) && f.valider();
    if (!fait) erreur = f.erreur();
    return fait;
}

bool retirerFichier(const QString& chemin, QString* erreur) {
    const CibleFichier c = cibleFichier(chemin);
    if (c.nature == NatureFichier::Absent) return true;
    if (c.nature != NatureFichier::Ordinaire) {
        if (erreur) *erreur = texteEchec(chemin, nonOrdinaire(c.nature));
        return false;
    }
    QFile f(c.chemin);
    if (f.remove()) return true;
    if (erreur) *erreur = texteEchec(chemin, systeme(f.errorString()));
    return false;
}

std::optional<QByteArray> lireFichierOrdinaire(const QString& chemin, qint64 tailleMax, EchecFichier& echec) {
    echec = {};
    const CibleFichier c = cibleFichier(chemin);
    if (c.nature == NatureFichier::Absent) {
        echec.genre = EchecFichier::Genre::Introuvable;
        return std::nullopt;
    }
    if (c.nature != NatureFichier::Ordinaire) {
        echec = nonOrdinaire(c.nature);
        return std::nullopt;
    }
    QFile f(c.chemin);
#ifdef Q_OS_UNIX
    // Opened without waiting, and its type looked at again on the open file:
    // a pipe put at the name meanwhile makes no reader wait for a writer.
    const int fd = ::open(QFile::encodeName(c.chemin).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        echec = systeme(QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        echec = nonOrdinaire(NatureFichier::Autre);
        return std::nullopt;
    }
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        echec = systeme(f.errorString());
        return std::nullopt;
    }
#else
    if (!f.open(QIODevice::ReadOnly)) {
        echec = systeme(f.errorString());
        return std::nullopt;
    }
#endif
    // The size can change between the look and the read: the limit holds on what is read.
    QByteArray octets = f.size() > tailleMax ? QByteArray() : f.read(tailleMax + 1);
    if (f.error() != QFileDevice::NoError) {
        echec = systeme(f.errorString());
        return std::nullopt;
    }
    if (f.size() > tailleMax || octets.size() > tailleMax) {
        echec.genre = EchecFichier::Genre::TropGrand;
        echec.tailleMax = tailleMax;
        return std::nullopt;
    }
    return octets;
}

std::optional<QByteArray> lireFichierOrdinaire(const QString& chemin, qint64 tailleMax, QString& erreur) {
    EchecFichier echec;
    auto octets = lireFichierOrdinaire(chemin, tailleMax, echec);
    if (!octets) erreur = texteEchec(chemin, echec);
    return octets;
}

} // namespace tessaline
