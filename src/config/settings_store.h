// The Settings store seam: named values grouped in sections, kept between runs.
// On Windows it is the user's native settings store; elsewhere an INI file in the
// user's configuration folder. Every value is text; numbers are stored as their
// decimal text and converted back on reading.
//
// Sections and keys are found without regard to letter case, whatever the
// platform, because stores written by hand or by older versions spell them
// differently ("timeout", "TailleEEprom"). A key is written spelled as the caller
// gives it, and any other spelling of it in the store is removed, so that the
// value written is the one the next reading finds.
#pragma once

#include <QHash>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <functional>
#include <limits>
#include <memory>
#include <optional>

namespace tessaline {

class SettingsStore {
public:
    // The user's store of the platform (organisation and application "Tessaline").
    SettingsStore();
    // An INI file of the caller's choice (--settings FILE, tests).
    explicit SettingsStore(const QString& fichier);
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;
    ~SettingsStore();

    // Where the values are kept: a file path, or the native store's location.
    QString emplacement() const;

    // The stored text, or `defaut` when the key is absent.
    QString lire(const QString& section, const QString& cle, const QString& defaut = QString()) const;
    void ecrire(const QString& section, const QString& cle, const QString& valeur);

    // Numeric readers: the stored text converted, or `defaut` when the key is
    // absent or its text is not a number of that kind.
    // A 16-bit signed integer: optional sign and decimal digits, blanks around
    // allowed, -32768..32767.
    int lireEntier16(const QString& section, const QString& cle, int defaut) const;
    // A finite decimal number, representable in single precision.
    float lireSimple(const QString& section, const QString& cle, float defaut) const;
    // A finite decimal number within [minimum, maximum].
    double lireDouble(const QString& section, const QString& cle, double defaut,
                      double minimum = -std::numeric_limits<double>::max(),
                      double maximum = std::numeric_limits<double>::max()) const;

    // Numbers are written as the shortest decimal text that reads back as the
    // same number, with a point for the decimals: 65024, 11775, 0.5.
    void ecrireEntier(const QString& section, const QString& cle, int valeur);
    void ecrireSimple(const QString& section, const QString& cle, float valeur);
    void ecrireDouble(const QString& section, const QString& cle, double valeur);

    // Writes pending changes out; false when the store could not be written.
    bool sync();
    // The store's file is read and written only as a regular file (as every
    // save is, link/regular_file.h): a name that leads to anything else (a
    // device, a pipe, a folder) is refused and left alone; the store then
    // reads no value and writes none. Why, in one line naming the file; empty
    // when the store was not refused.
    QString refus() const { return refus_; }

private:
    std::optional<QString> cheminStocke(const QString& section, const QString& cle) const;
    // Makes the QSettings over `fichier` with `creer`, unless the name is refused.
    void ouvrir(const QString& fichier, const std::function<std::unique_ptr<QSettings>()>& creer);
    // False (and refus_ set) when the store's file may not be read or written.
    bool fichierAcceptable(const QString& fichier);
    QString groupesPourEcriture(const QStringList& groupes);
    const QHash<QString, QStringList>& index() const;

    QString emplacement_;
    QString refus_;
    std::unique_ptr<QSettings> reglages_;
    // Stored key paths by their case-folded form, built on first reading and
    // dropped at every writing.
    mutable std::optional<QHash<QString, QStringList>> index_;
};

} // namespace tessaline
