// The configuration read at start-up from a settings file the user may have
// edited by hand: the input is the INI file's text, read through the settings
// store into the configuration, the hardware profiles and the window layout.
#include "config/config_persistence.h"
#include "config/settings_store.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace tessaline;

namespace {
std::unique_ptr<QTemporaryDir> dossier;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication application(*argc, *argv);
    dossier = std::make_unique<QTemporaryDir>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // QSettings keeps what it parsed of a path for the whole process and parses it
    // again only when the file's size or time stamp changed: every input gets a
    // time stamp of its own. (A new path for each input would do as well, but the
    // cache entries it leaves make libFuzzer look for leaks after every run.)
    static qint64 compte = 0;
    const QString chemin = dossier->filePath(QStringLiteral("reglages.ini"));
    {
        QFile fichier(chemin);
        if (!fichier.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        fichier.write(reinterpret_cast<const char*>(data), qint64(size));
        fichier.flush();
        fichier.setFileTime(QDateTime::fromSecsSinceEpoch(++compte, Qt::UTC),
                            QFileDevice::FileModificationTime);
    }
    const SettingsStore store(chemin);
    const ConfigurationLue lue = lireConfiguration(store, dossier->path());
    if (lue.configuration.LastFichier.isEmpty()) std::abort();
    return 0;
}
