// tessaline-asm on hostile input: a source nested without end, and names that
// are not regular files. Each run ends at once with status 1 and a line
// naming the fault; nothing is written at a name that is not a regular file.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct Sortie {
    int statut = -1;
    QString texte;
    qint64 ms = 0;
};

Sortie assembler(const QString& source) {
    QProcess p;
    QElapsedTimer temps;
    temps.start();
    p.start(QStringLiteral(TESSALINE_ASM), {source});
    if (!p.waitForFinished(20000)) p.kill();
    p.waitForFinished();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), temps.elapsed()};
}

TEST(AssemblerProgram, HostileSourcesEndWithAFaultNotACrashOrAWait) {
    QTemporaryDir dir;
    QFile profond(dir.filePath("PROFOND.ASM"));
    ASSERT_TRUE(profond.open(QIODevice::WriteOnly));
    profond.write(" NOP\n LDAA #" + QByteArray(50000, '(') + '1' + QByteArray(50000, ')') + "\n");
    profond.close();
    Sortie s = assembler(profond.fileName());
    EXPECT_EQ(s.statut, 1);
    EXPECT_TRUE(s.texte.startsWith("PROFOND.ASM(2): error: bad operand: expression nested too deeply"))
        << s.texte.toStdString();

    // A pipe would block the reading for ever, a device never end.
    const QString tube = dir.filePath("TUBE.ASM");
    ASSERT_EQ(::mkfifo(QFile::encodeName(tube).constData(), 0644), 0);
    for (const QString& source : {tube, QStringLiteral("/dev/zero")}) {
        SCOPED_TRACE(source.toStdString());
        s = assembler(source);
        EXPECT_EQ(s.statut, 1);
        EXPECT_TRUE(s.texte.contains(": error: cannot read: not a regular file")) << s.texte.toStdString();
        EXPECT_LT(s.ms, 10000);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System, QDir::Name),
              QStringList({"PROFOND.ASM", "TUBE.ASM"}))
        << "a source with faults writes no product";
}

} // namespace
