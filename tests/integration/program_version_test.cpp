// --version on each program: one line with its name and the project's version,
// exit 0; the windows' program answers without a display.
#include <QProcess>

#include <gtest/gtest.h>

TEST(ProgramVersion, EachProgramNamesItselfAndTheVersion) {
    const std::pair<const char*, const char*> programmes[] = {
        {TESSALINE_GUI, "tessaline"},
        {TESSALINE_CLI, "tessaline-cli"},
        {TESSALINE_SIM, "tessaline-sim"},
        {TESSALINE_ASM, "tessaline-asm"},
    };
    QProcessEnvironment sansEcran = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        sansEcran.remove(QString::fromLatin1(variable));
    for (const auto& [chemin, nom] : programmes) {
        SCOPED_TRACE(nom);
        QProcess p;
        p.setProcessEnvironment(sansEcran);
        p.start(QString::fromLocal8Bit(chemin), {QStringLiteral("--version")});
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);
        EXPECT_EQ(p.readAllStandardOutput().toStdString(), std::string(nom) + " " TESSALINE_VERSION "\n");
        EXPECT_EQ(p.readAllStandardError().toStdString(), "");
    }
}
