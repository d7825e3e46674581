#include "config/data_folders.h"

#include <QDir>
#include <QFileInfo>

namespace tessaline {

QString dossierDonnees(const QString& dossierProgramme, const QString& sousDossier) {
    if (!dossierProgramme.isEmpty()) {
        const QString installe = dossierProgramme + QStringLiteral("/../share/tessaline/") + sousDossier;
        if (QFileInfo(installe).isDir()) return QDir::cleanPath(installe);
    }
    const QString source = QStringLiteral(TESSALINE_SOURCE_DIR "/") + sousDossier;
    return QFileInfo(source).isDir() ? QDir::cleanPath(source) : QString();
}

} // namespace tessaline
