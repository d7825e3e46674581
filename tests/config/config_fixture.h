// Settings files for the configuration tests: each hand-written content in a
// file of its own, and the stored text of a value as any INI reader sees it.
#pragma once

#include "config/settings_store.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tessaline::test {

// Every content gets a new file. QSettings keeps what it parsed of a file for
// the whole process and parses it again only when the file's size or time
// stamp changed; the time stamp moves in steps of a few milliseconds, so a
// file rewritten in place with the same length can read as it was before.
class FichiersReglages {
public:
    QString ecrire(const QByteArray& texte) {
        const QString chemin = nouveau();
        QFile fichier(chemin);
        EXPECT_TRUE(fichier.open(QIODevice::WriteOnly));
        fichier.write(texte);
        return chemin;
    }
    // A path no file has yet.
    QString nouveau() { return dir_.filePath(QStringLiteral("reglages-%1.ini").arg(++compte_)); }
    QString dossier() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    int compte_ = 0;
};

// The text of a stored value as any INI reader sees it ("Section/Key").
inline QString texteBrut(const QString& chemin, const QString& cle) {
    const QSettings brut(chemin, QSettings::IniFormat);
    return brut.value(cle, QStringLiteral("<absent>")).toString();
}

} // namespace tessaline::test
