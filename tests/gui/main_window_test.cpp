// The main window on the simulated board: start-up, the Talker download from
// the console, the exit question and the window layout.
#include "gui_fixture.h"
#include "link/qt_event_clock.h"
#include "link/qt_serial_line.h"
#include "link/serial_port.h"
#include "operations/memory_write.h"
#include "ui/absent_port.h"
#include "ui/console_window.h"
#include "ui/memory_window.h"
#include "ui/rich_text_area.h"
#include "ui/status_panels.h"
#include "ui/trace_window.h"
#include "ui/twips.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

QString panneau(GuiSession& s, const char* cle) {
    return s.fenetre->ecran().panel(QLatin1String(cle));
}

void chargerTalker(GuiSession& s) {
    s.controle<QPushButton>("cmdLOADTALKER")->click();
}

} // namespace

TEST(MainWindow, StartsOnTheSimulatedBoardWithoutTalkerThenLoadsIt) {
    GuiSession s;
    s.fenetre->demarrer();
    EXPECT_TRUE(s.fenetre->demarre());
    EXPECT_EQ(panneau(s, "Com"), "Com Open");
    EXPECT_EQ(panneau(s, "Talker"), "Pas de Talker");
    EXPECT_EQ(panneau(s, "Cible"), "Cible STOP");
    EXPECT_TRUE(s.fenetre->session().surveillance().isEnabled());

    chargerTalker(s);
    EXPECT_EQ(panneau(s, "Talker"), "Talker Charg\u00e9");
    EXPECT_EQ(s.fenetre->session().registres.RegSP, "00E8");
    const QString trace = s.fenetre->trace()->area()->toPlainText();
    EXPECT_TRUE(trace.contains("\tLoad Talker\n")) << trace.toStdString();
    EXPECT_TRUE(trace.contains("\tTalker Charg\u00e9\tCible STOP"));
    EXPECT_EQ(s.fenetre->findChild<QWidget*>("frmInfo"), nullptr) << "the progress window is gone";

    // A reset erases the Talker; the boot ROM's break is a byte the host did not
    // ask for, and the link watch's check finds nothing to answer.
    s.board.resetBootstrap();
    s.horloge.waitForEvents(0.05);
    s.fenetre->session().surveillance().tick();
    EXPECT_EQ(panneau(s, "Talker"), "Pas de Talker");
}

TEST(MainWindow, ExitQuestionCancelNoAndYes) {
    GuiSession s;
    s.fenetre->demarrer();
    RepondeurMessages r;

    r.repondre(QMessageBox::Cancel);
    EXPECT_FALSE(s.fenetre->close());
    EXPECT_TRUE(s.fenetre->isVisible()) << "Cancel keeps the program running";
    EXPECT_FALSE(QSettings(s.fichier(), QSettings::IniFormat).contains(QStringLiteral("Config/Baud")));

    r.repondre(QMessageBox::No);
    EXPECT_TRUE(s.fenetre->close());
    EXPECT_FALSE(QSettings(s.fichier(), QSettings::IniFormat).contains(QStringLiteral("Config/Baud")))
        << "No ends without saving";
    EXPECT_EQ(panneau(s, "Com"), "Com Close");
}

// Closing the window while an operation waits on the target: the windows it
// writes to stay, its exchange is finished, and the close comes once it has
// returned.
TEST(MainWindow, CloseDuringAnOperationComesOnceItHasReturned) {
    GuiSession s;
    s.fenetre->demarrer();
    chargerTalker(s);
    ASSERT_EQ(panneau(s, "Talker"), "Talker Charg\u00e9");
    RepondeurMessages r;
    r.repondre(QMessageBox::No);
    s.horloge.after(1.0, [&] { s.fenetre->close(); });
    FillMem(s.fenetre->session(), 0x40, QStringLiteral("0200"), QStringLiteral("55"));
    EXPECT_TRUE(s.fenetre->isVisible()) << "not closed under the running fill";
    EXPECT_TRUE(r.textes.isEmpty()) << "not even asked yet";
    for (int a = 0x0200; a < 0x0240; ++a)
        ASSERT_EQ(s.board.peek(uint16_t(a)), 0x55) << "the exchange ran to its end";
    for (int i = 0; i < 100 && s.fenetre->isVisible(); ++i)
        QTest::qWait(20);
    EXPECT_FALSE(s.fenetre->isVisible());
    EXPECT_EQ(r.textes.size(), 1) << "the exit question, once the fill had returned";
}

TEST(MainWindow, ExitWithYesSavesTheConfigurationAndLayout) {
    GuiSession s(QStringLiteral("[Config]\nTimeout=20\nBaud=9600\n[Settings]\nfrmTraceCommandesLeft=1500\n"
                                "frmTraceCommandesTop=300\nfrmMemoireHeight=3000\n"));
    s.fenetre->demarrer();
    auto* trace = qobject_cast<QMdiSubWindow*>(s.fenetre->trace()->parentWidget());
    ASSERT_NE(trace, nullptr);
    EXPECT_EQ(trace->x(), twipsEnPixels(1500, s.fenetre.get()));
    EXPECT_EQ(trace->y(), twipsEnPixels(300, s.fenetre.get()));
    auto* memoire = qobject_cast<QMdiSubWindow*>(s.fenetre->memoire()->parentWidget());
    EXPECT_EQ(memoire->height(), twipsEnPixels(3000, s.fenetre.get()));

    trace->move(twipsEnPixels(750, s.fenetre.get()), trace->y());
    memoire->showMinimized(); // a minimised window keeps its saved place
    RepondeurMessages r;
    r.repondre(QMessageBox::Yes);
    EXPECT_TRUE(s.fenetre->close());
    QSettings relu(s.fichier(), QSettings::IniFormat);
    EXPECT_EQ(relu.value(QStringLiteral("Config/Baud")).toString(), "9600");
    EXPECT_EQ(relu.value(QStringLiteral("Settings/frmTraceCommandesLeft")).toString(), "750");
    EXPECT_EQ(relu.value(QStringLiteral("Settings/frmTraceCommandesTop")).toString(), "300");
    EXPECT_EQ(relu.value(QStringLiteral("Settings/frmMemoireHeight")).toString(), "3000");
    EXPECT_EQ(relu.value(QStringLiteral("Settings/frmMemoireWindowState")).toString(), "1");
}

// A first start whose configured port names no device here asks whether to
// take the simulated board or choose another port; a port that exists, or a
// configuration already saved, asks nothing. Choosing another port opens the
// options dialog without the port error.
TEST(MainWindow, AFirstStartWithoutItsPortOffersTheSimulatedBoard) {
    QTemporaryDir dossier;
    const QString absent = dossier.filePath(QStringLiteral("ttyS0"));
    auto reglages = [&](const QString& contenu) {
        const QString chemin = dossier.filePath(QStringLiteral("t.ini"));
        QFile f(chemin);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(contenu.toUtf8());
        f.close();
        return std::make_unique<SettingsStore>(chemin);
    };
    // The default port is one of the four: none of them is here.
    QString premier = QStringLiteral("[Ports]\n");
    for (int n = 1; n <= 4; ++n)
        premier += QStringLiteral("COM%1=").arg(n) + absent + u'\n';
    for (const auto& [bouton, attendu] : {std::pair{"cmdCarteSimulee", ChoixDemarrage::CarteSimulee},
                                          std::pair{"cmdChoisirPort", ChoixDemarrage::AutrePort}}) {
        QString texte;
        PiloteModal<QMessageBox> pilote([&](QMessageBox* q) {
            texte = q->text();
            EXPECT_EQ(q->buttons().size(), 2);
            q->findChild<QPushButton*>(QLatin1String(bouton))->click();
        });
        EXPECT_EQ(choisirDemarrage(*reglages(premier), QApplication::applicationDirPath()), attendu)
            << bouton;
        EXPECT_TRUE(texte.startsWith("Le port COM") && texte.contains(" (" + absent + ") n'existe pas"))
            << texte.toStdString();
    }
    // No question: the port exists, or this is no first start.
    QString present = premier;
    present.replace(absent, dossier.path());
    EXPECT_EQ(choisirDemarrage(*reglages(present), QApplication::applicationDirPath()), ChoixDemarrage::Port);
    EXPECT_EQ(choisirDemarrage(*reglages(premier + QStringLiteral("[Config]\nPort=COM1\n")),
                               QApplication::applicationDirPath()),
              ChoixDemarrage::Port);

    // Another port: the options dialog, and no port error before it.
    GuiSession s;
    s.fenetre->setPortAChoisir(true);
    RepondeurMessages r;
    r.repondre(QMessageBox::Ok);
    s.fenetre->demarrer();
    EXPECT_TRUE(r.textes.isEmpty()) << r.textes.join(u'\n').toStdString();
    auto* options = s.fenetre->findChild<QDialog*>(QStringLiteral("frmOptions"));
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(options->isVisible());
    EXPECT_EQ(panneau(s, "Com"), "Com Close");
    options->reject();
}
