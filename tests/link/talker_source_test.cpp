// The Talker's source and the image the host keeps must not drift apart.
#include "link/talker_image.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(TalkerSource, ReassemblesToTheStoredImage) {
    if (QStandardPaths::findExecutable(QStringLiteral("m68hc11-as")).isEmpty())
        GTEST_SKIP() << "m68hc11-as not found (Debian package binutils-m68hc1x): talker.s not checked";
    QTemporaryDir dir;
    const QString sortie = dir.filePath(QStringLiteral("talker.bin"));
    QProcess p;
    p.start(QStringLiteral(TALKER_ASSEMBLE_SCRIPT), {sortie});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QFile f(sortie);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray assemble = f.readAll();
    const QByteArray stocke = QByteArray::fromHex(QByteArray(tessaline::TalkerImageHex));
    ASSERT_EQ(assemble.size(), 256);
    EXPECT_EQ(static_cast<quint8>(stocke[0]), 0xFF);
    EXPECT_EQ(assemble.toHex().toUpper(), stocke.mid(1).toHex().toUpper())
        << "talker.s changed: run scripts/assemble-talker.sh --update";
}
