// The data folders: the installed layout wins over the source tree.
#include "config/data_folders.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessaline;

TEST(DossierDonnees, InstalledBesideTheBinFolderElseTheSourceTree) {
    QTemporaryDir prefixe;
    ASSERT_TRUE(QDir(prefixe.path()).mkpath(QStringLiteral("bin")));
    const QString bin = prefixe.filePath(QStringLiteral("bin"));
    // Nothing installed: the source tree's examples.
    EXPECT_EQ(dossierDonnees(bin, QStringLiteral("examples")),
              QDir::cleanPath(TESSALINE_SOURCE_DIR "/examples"));

    ASSERT_TRUE(QDir(prefixe.path()).mkpath(QStringLiteral("share/tessaline/examples")));
    EXPECT_EQ(dossierDonnees(bin, QStringLiteral("examples")),
              QDir::cleanPath(prefixe.filePath(QStringLiteral("share/tessaline/examples"))));
    // A folder that neither has.
    EXPECT_EQ(dossierDonnees(bin, QStringLiteral("absent")), QString());
}
