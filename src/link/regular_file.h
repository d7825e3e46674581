// The files the program reads and writes on disk: every save goes through here
// (the uploads, the assembler's products, the source, the settings, the
// compile report), and so do the readers of files a user names.
//
// A save writes only a regular file. A symbolic link is followed to the file it
// ends on, and that file is replaced, the link kept; a device node, a named pipe,
// a socket or a folder at the name is refused with a message and left alone.
// The new contents go to a temporary file in the target's own folder, which
// takes the old file's permission bits and replaces the old file only once
// everything was written: a failed save leaves the old file as it was.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSaveFile>
#include <QString>

#include <optional>

namespace tessaline {

// What stands at the end of a name's symbolic links.
enum class NatureFichier {
    Absent,       // nothing: a save creates it
    Ordinaire,    // a regular file
    Dossier,      // a folder
    Peripherique, // a device node (character or block)
    Tube,         // a named pipe
    Socket,
    Autre,       // anything else the system may hold
    BoucleLiens, // links that lead back to themselves, or too many of them
};

struct CibleFichier {
    QString chemin; // the file itself, every link followed (the name given when no link)
    NatureFichier nature = NatureFichier::Absent;
    bool ordinaireOuAbsent() const {
        return nature == NatureFichier::Ordinaire || nature == NatureFichier::Absent;
    }
};

// Follows `chemin`'s symbolic links to the file they end on, and says what is there.
CibleFichier cibleFichier(const QString& chemin);

// Why a file could not be read, written or removed.
struct EchecFichier {
    enum class Genre {
        Aucun,
        Introuvable,  // nothing at the name (reading)
        NonOrdinaire, // the name leads to something other than a regular file: `nature`
        TropGrand,    // larger than `tailleMax` (reading)
        Systeme,      // the system refused: `raison`, its own words
    };
    Genre genre = Genre::Aucun;
    NatureFichier nature = NatureFichier::Absent;
    qint64 tailleMax = 0;
    QString raison;
};

// The failure in one line naming the file: "<chemin> n'est pas un fichier
// ordinaire (un périphérique)", "<chemin> : Permission denied".
QString texteEchec(const QString& chemin, const EchecFichier& echec);

// A save in progress. Nothing is written at the name before valider().
class FichierEnregistre {
public:
    explicit FichierEnregistre(const QString& chemin);
    FichierEnregistre(const FichierEnregistre&) = delete;
    FichierEnregistre& operator=(const FichierEnregistre&) = delete;
    // An unvalidated save is dropped: its temporary file goes, the old file stays.
    ~FichierEnregistre() = default;

    // Checks what the name leads to and opens the temporary file beside it.
    // False when the name is refused or the folder cannot take the file.
    bool ouvrir();
    // False when the bytes could not all be written.
    bool ecrire(QByteArrayView octets);
    // Replaces the file with what was written. The name is looked at again
    // first: what stands there by now must still be a regular file or nothing.
    bool valider();
    void abandonner();

    // Why ouvrir(), ecrire() or valider() failed, and the same in one line.
    const EchecFichier& echec() const { return echec_; }
    QString erreur() const { return texteEchec(nom_, echec_); }

private:
    QString nom_;
    CibleFichier cible_;
    std::optional<QSaveFile> fichier_;
    EchecFichier echec_;
};

// A whole file saved at once. False with `erreur` set on a refusal or a failure.
bool enregistrerFichier(const QString& chemin, QByteArrayView contenu, QString& erreur);

// Removes a file left by an earlier run, when the name leads to a regular file
// (the file a link leads to goes, the link stays). Anything else is left
// alone: false, with `erreur` set. Nothing there is no fault.
bool retirerFichier(const QString& chemin, QString* erreur = nullptr);

// Reads a regular file of at most `tailleMax` bytes (what the name's links
// lead to). Anything else, a larger file or a failed read gives nothing, with
// `echec` set; a named pipe is never waited on for a writer.
std::optional<QByteArray> lireFichierOrdinaire(const QString& chemin, qint64 tailleMax, EchecFichier& echec);
std::optional<QByteArray> lireFichierOrdinaire(const QString& chemin, qint64 tailleMax, QString& erreur);

} // namespace tessaline
