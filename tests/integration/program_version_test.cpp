// --help and --version on each program, alone or among other arguments (even
// ones that would be refused): the usage or one line with the program's name
// and the project's version, exit 0, nothing on standard error; the windows'
// program answers without a display.
#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct Programme {
    const char* chemin;
    const char* nom;
    QStringList autres; // arguments the answer must not depend on
};

const Programme Programmes[] = {
    {TESSALINE_GUI, "tessaline", {"--simulate", "--settings", "x.ini"}},
    {TESSALINE_CLI, "tessaline-cli", {"--simulate", "dump", "FE00", "22"}},
    {TESSALINE_SIM, "tessaline-sim", {"--chip", "68HC11F1", "--no-such-option"}},
    {TESSALINE_ASM, "tessaline-asm", {"compteur.asm"}},
};

struct Reponse {
    int code = -1;
    std::string sortie, erreurs;
};

Reponse lancer(const char* chemin, const QStringList& arguments) {
    QProcessEnvironment sansEcran = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        sansEcran.remove(QString::fromLatin1(variable));
    QProcess p;
    p.setProcessEnvironment(sansEcran);
    p.start(QString::fromLocal8Bit(chemin), arguments);
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit) return {};
    return {p.exitCode(), p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

} // namespace

TEST(ProgramVersion, EachProgramAnswersVersionAndHelpWhereverTheyStand) {
    for (const Programme& programme : Programmes) {
        const QStringList places[] = {{}, programme.autres};
        for (const QStringList& avant : places) {
            SCOPED_TRACE(std::string(programme.nom) + " " + avant.join(u' ').toStdString());
            const Reponse version =
                lancer(programme.chemin, avant + QStringList{QStringLiteral("--version")});
            EXPECT_EQ(version.code, 0);
            EXPECT_EQ(version.sortie, std::string(programme.nom) + " " TESSALINE_VERSION "\n");
            EXPECT_EQ(version.erreurs, "");

            const Reponse aide = lancer(programme.chemin, avant + QStringList{QStringLiteral("--help")});
            EXPECT_EQ(aide.code, 0);
            EXPECT_EQ(aide.sortie.rfind(std::string("usage: ") + programme.nom + " ", 0), 0u) << aide.sortie;
            EXPECT_EQ(aide.erreurs, "");
        }
    }
}
