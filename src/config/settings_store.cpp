#include "config/settings_store.h"

#include "link/regular_file.h"

#include <QStandardPaths>
#include <QVariant>

#include <charconv>
#include <cmath>
#include <cstdint>

namespace tessaline {

namespace {

inline constexpr auto NomApplication = "Tessaline";

// The levels of a section and key as the store nests them: QSettings reads
// both '/' and '\' as level separators and ignores empty levels.
QStringList niveaux(const QString& section, const QString& cle) {
    QString chemin = section + u'/' + cle;
    chemin.replace(u'\\', u'/');
    return chemin.split(u'/', Qt::SkipEmptyParts);
}

template <typename Nombre>
QString texteDecimal(Nombre valeur) {
    char tampon[64];
    const auto resultat = std::to_chars(tampon, tampon + sizeof tampon, valeur);
    return QString::fromLatin1(tampon, resultat.ptr - tampon);
}

std::optional<double> nombreFini(const QString& texte) {
    bool ok = false;
    const double valeur = texte.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(valeur)) return std::nullopt;
    return valeur;
}

} // namespace

SettingsStore::SettingsStore() {
#ifdef Q_OS_WIN
    reglages_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, NomApplication,
                                            NomApplication);
#else
    // Where QSettings keeps the user's store (the XDG configuration folder):
    // looked at before QSettings reads it.
    ouvrir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
               QLatin1String(NomApplication) + u'/' + QLatin1String(NomApplication) + QStringLiteral(".ini"),
           [] {
               return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, NomApplication,
                                                  NomApplication);
           });
#endif
}

SettingsStore::SettingsStore(const QString& fichier) {
    ouvrir(fichier, [&] { return std::make_unique<QSettings>(fichier, QSettings::IniFormat); });
}

SettingsStore::~SettingsStore() = default;

void SettingsStore::ouvrir(const QString& fichier, const std::function<std::unique_ptr<QSettings>()>& creer) {
    emplacement_ = fichier;
    // QSettings reads its file as soon as it is made, and would wait for ever
    // on a pipe: a name that leads to anything but a regular file is refused
    // before that, and the store then holds nothing and writes nothing.
    if (!fichierAcceptable(fichier)) {
        reglages_ = std::make_unique<QSettings>(QString(), QSettings::IniFormat);
        return;
    }
    reglages_ = creer();
    emplacement_ = reglages_->fileName();
}

QString SettingsStore::emplacement() const {
    return emplacement_;
}

const QHash<QString, QStringList>& SettingsStore::index() const {
    if (!index_) {
        index_.emplace();
        const QStringList cles = reglages_->allKeys();
        for (const QString& cle : cles)
            (*index_)[cle.toCaseFolded()].append(cle);
    }
    return *index_;
}

std::optional<QString> SettingsStore::cheminStocke(const QString& section, const QString& cle) const {
    const QString chemin = niveaux(section, cle).join(u'/');
    const auto trouve = index().constFind(chemin.toCaseFolded());
    if (trouve == index().constEnd() || trouve->isEmpty()) return std::nullopt;
    // A store edited by hand may hold several spellings: the exact one wins.
    return trouve->contains(chemin) ? chemin : trouve->first();
}

QString SettingsStore::groupesPourEcriture(const QStringList& groupes) {
    // Into the section already stored under another spelling, if any, so that a
    // store never holds two sections the reader takes for one.
    QStringList resolus;
    for (const QString& groupe : groupes) {
        const QStringList existants = reglages_->childGroups();
        QString choisi = groupe;
        if (!existants.contains(groupe)) {
            for (const QString& existant : existants) {
                if (existant.compare(groupe, Qt::CaseInsensitive) == 0) {
                    choisi = existant;
                    break;
                }
            }
        }
        resolus.append(choisi);
        reglages_->beginGroup(choisi);
    }
    for (qsizetype i = 0; i < groupes.size(); ++i)
        reglages_->endGroup();
    return resolus.join(u'/');
}

QString SettingsStore::lire(const QString& section, const QString& cle, const QString& defaut) const {
    const auto chemin = cheminStocke(section, cle);
    if (!chemin) return defaut;
    const QVariant valeur = reglages_->value(*chemin);
    // An INI line whose text holds unquoted commas comes back as a list (the
    // store quotes the values it writes, so only hand-written lines do this).
    if (valeur.typeId() == QMetaType::QStringList) return valeur.toStringList().join(u',');
    return valeur.toString();
}

bool SettingsStore::fichierAcceptable(const QString& fichier) {
    if (!refus_.isEmpty()) return false;
    const CibleFichier cible = cibleFichier(fichier);
    if (cible.ordinaireOuAbsent()) return true;
    EchecFichier echec;
    echec.genre = EchecFichier::Genre::NonOrdinaire;
    echec.nature = cible.nature;
    refus_ = texteEchec(fichier, echec);
    return false;
}

void SettingsStore::ecrire(const QString& section, const QString& cle, const QString& valeur) {
    // QSettings writes its file by itself, at sync() or when it goes: what the
    // file's name leads to is looked at again before any value is handed to
    // it, so that nothing is ever pending for a name that is refused. (The
    // native store of Windows is no file.)
    if (reglages_->format() == QSettings::IniFormat && !fichierAcceptable(emplacement_)) return;
    const QStringList parties = niveaux(section, cle);
    if (parties.isEmpty()) return;
    const QString groupes = groupesPourEcriture(parties.first(parties.size() - 1));
    const QString chemin = groupes.isEmpty() ? parties.last() : groupes + u'/' + parties.last();
    const QStringList autresGraphies = index().value(chemin.toCaseFolded());
    for (const QString& autre : autresGraphies) {
        if (autre != chemin) reglages_->remove(autre);
    }
    reglages_->setValue(chemin, valeur);
    index_.reset();
}

int SettingsStore::lireEntier16(const QString& section, const QString& cle, int defaut) const {
    const QString texte = lire(section, cle).trimmed();
    bool ok = false;
    const int valeur = texte.toInt(&ok, 10);
    if (!ok || valeur < std::numeric_limits<int16_t>::min() || valeur > std::numeric_limits<int16_t>::max())
        return defaut;
    return valeur;
}

float SettingsStore::lireSimple(const QString& section, const QString& cle, float defaut) const {
    const auto valeur = nombreFini(lire(section, cle));
    if (!valeur || std::fabs(*valeur) > std::numeric_limits<float>::max()) return defaut;
    return static_cast<float>(*valeur);
}

double SettingsStore::lireDouble(const QString& section, const QString& cle, double defaut, double minimum,
                                 double maximum) const {
    const auto valeur = nombreFini(lire(section, cle));
    if (!valeur || *valeur < minimum || *valeur > maximum) return defaut;
    return *valeur;
}

void SettingsStore::ecrireEntier(const QString& section, const QString& cle, int valeur) {
    ecrire(section, cle, texteDecimal(valeur));
}

void SettingsStore::ecrireSimple(const QString& section, const QString& cle, float valeur) {
    ecrire(section, cle, texteDecimal(valeur));
}

void SettingsStore::ecrireDouble(const QString& section, const QString& cle, double valeur) {
    ecrire(section, cle, texteDecimal(valeur));
}

bool SettingsStore::sync() {
    if (reglages_->format() == QSettings::IniFormat && !fichierAcceptable(emplacement_)) return false;
    reglages_->sync();
    return reglages_->status() == QSettings::NoError;
}

} // namespace tessaline
