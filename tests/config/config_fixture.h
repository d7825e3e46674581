// A session over a silent scripted line, with a settings file of its own in a
// temporary folder, for the configuration tests.
#pragma once

#include "config/settings_store.h"
#include "link/session.h"
#include "recording_screen.h"
#include "scripted_serial_line.h"
#include "temporary_settings.h"
#include "virtual_clock.h"

#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

namespace tessaline::test {

// Writes `texte` as the whole settings file, as a hand edit would.
inline void ecrireFichierBrut(const QString& chemin, const QByteArray& texte) {
    QFile fichier(chemin);
    ASSERT_TRUE(fichier.open(QIODevice::WriteOnly | QIODevice::Truncate));
    fichier.write(texte);
}

// The text of a stored value as any INI reader sees it ("Section/Key").
inline QString texteBrut(const QString& chemin, const QString& cle) {
    const QSettings brut(chemin, QSettings::IniFormat);
    return brut.value(cle, QStringLiteral("<absent>")).toString();
}

struct ConfigSession {
    ScriptedSerialLine ligne;
    VirtualClock horloge;
    RecordingScreen ecran;
    Session session{ligne, horloge, ecran};
};

} // namespace tessaline::test
