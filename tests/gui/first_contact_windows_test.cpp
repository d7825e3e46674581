// What a new user meets in the windows: the keyboard in the console, the
// echo area, the fixed-size windows and the first window layout.
#include "gui_fixture.h"
#include "ui/console_window.h"
#include "ui/registers_window.h"
#include "ui/rich_text_area.h"
#include "ui/trace_window.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

class PremierContact : public ::testing::Test {
protected:
    void SetUp() override { s.fenetre->demarrer(); }
    QLineEdit* champ(const char* nom) { return s.controle<QLineEdit>(nom); }
    QPushButton* bouton(const char* nom) { return s.controle<QPushButton>(nom); }
    void entree(QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }
    GuiSession s;
};

// The child windows and their area; none may cover another or leave the area.
void verifierSansRecouvrement(MainWindow& f, const char* cas) {
    auto* mdi = f.findChild<QMdiArea*>("mdiArea");
    const QRect zone = mdi->viewport()->rect();
    const QList<QMdiSubWindow*> fenetres = mdi->subWindowList();
    for (qsizetype i = 0; i < fenetres.size(); ++i) {
        const QRect g = fenetres[i]->geometry();
        EXPECT_TRUE(zone.contains(g)) << cas << " " << fenetres[i]->objectName().toStdString();
        for (qsizetype j = i + 1; j < fenetres.size(); ++j)
            EXPECT_FALSE(g.intersects(fenetres[j]->geometry()))
                << cas << " " << fenetres[i]->objectName().toStdString() << " over "
                << fenetres[j]->objectName().toStdString();
    }
}

} // namespace

TEST(PremiereDisposition, SixWindowsSideBySideInsideAMainWindowThatFillsMostOfTheScreen) {
    CarteEssai carte;
    GuiSession s;
    s.fenetre = std::make_unique<MainWindow>(s.ligne, s.horloge, *s.reglages, &carte);
    s.fenetre->show();
    s.fenetre->demarrer();
    ASSERT_EQ(s.fenetre->findChild<QMdiArea*>("mdiArea")->subWindowList().size(), 6);
    EXPECT_GE(s.fenetre->width() * 10, s.fenetre->screen()->availableGeometry().width() * 9)
        << "no stored layout: the first start's";
    for (const QRect ecran : {QRect(0, 0, 1280, 800), QRect(0, 0, 1920, 1080)}) {
        s.fenetre->disposerPremiereFois(ecran);
        const std::string cas = std::to_string(ecran.width()) + "x" + std::to_string(ecran.height());
        EXPECT_TRUE(ecran.contains(s.fenetre->frameGeometry())) << cas;
        EXPECT_GE(s.fenetre->width() * 10, ecran.width() * 9) << cas;
        EXPECT_GE(s.fenetre->height() * 10, ecran.height() * 8) << cas;
        verifierSansRecouvrement(*s.fenetre, cas.c_str());
        // "  <==  0000   CE1000      LDX #$1000" and room for longer operands.
        EXPECT_GE(s.fenetre->trace()->parentWidget()->width(), s.fenetre->trace()->largeurPourColonnes(45))
            << cas << ": a disassembly line is shown whole";
    }
    // 1024 pixels leave no room for the board's panel in the top row: it lies
    // over the trace's corner, everything else side by side.
    s.fenetre->disposerPremiereFois(QRect(0, 0, 1024, 768));
    const QRect zone = s.fenetre->findChild<QMdiArea*>("mdiArea")->viewport()->rect();
    const QWidget* panneau = s.fenetre->findChild<QWidget*>("frmCarte")->parentWidget();
    for (const QMdiSubWindow* f : s.fenetre->findChild<QMdiArea*>("mdiArea")->subWindowList()) {
        EXPECT_TRUE(zone.contains(f->geometry())) << f->widget()->objectName().toStdString();
        const bool permis = f == panneau || f == s.fenetre->trace()->parentWidget();
        EXPECT_TRUE(permis || !f->geometry().intersects(panneau->geometry()))
            << f->widget()->objectName().toStdString();
    }
}

TEST(PremiereDisposition, AStoredWindowOffTheScreenIsBroughtBack) {
    GuiSession s(QStringLiteral("[Config]\nTimeout=20\n[Settings]\nMainLeft=90000\nMainTop=-3000\n"
                                "frmTraceCommandesLeft=60000\nfrmTraceCommandesTop=45000\n"));
    s.fenetre->demarrer();
    const QRect ecran = s.fenetre->screen()->availableGeometry();
    EXPECT_TRUE(ecran.contains(s.fenetre->frameGeometry()));
    const QRect zone = s.fenetre->findChild<QMdiArea*>("mdiArea")->viewport()->rect();
    EXPECT_TRUE(zone.contains(s.fenetre->trace()->parentWidget()->geometry()));
}

TEST_F(PremierContact, ReturnPressesTheFocusedButtonAndTheFocusNeverFallsOnEfface) {
    bouton("cmdLOADTALKER")->setFocus();
    entree(bouton("cmdLOADTALKER"));
    ASSERT_TRUE(bouton("cmdMEMFILL")->isEnabled()) << "Return loaded the Talker";
    // The progress window has gone: the main window is the active one again.
    QApplication::setActiveWindow(s.fenetre.get());

    bouton("cmdMEMFILL")->setFocus();
    QTest::keyClick(bouton("cmdMEMFILL"), Qt::Key_Enter);
    EXPECT_EQ(s.fenetre->session().console.CmdCourante, 10) << "Enter selected Mem FILL";
    // Above the Talker, in the F1's RAM.
    for (const auto& [nom, texte] :
         {std::pair{"txtADRESSE", "380"}, {"txtLONGUEUR", "10"}, {"txtVALEUR", "5A"}}) {
        ASSERT_TRUE(champ(nom)->hasFocus()) << nom;
        champ(nom)->selectAll();
        QTest::keyClicks(champ(nom), QLatin1String(texte));
        entree(champ(nom));
    }
    ASSERT_TRUE(bouton("cmdEXECUTE")->hasFocus());
    entree(bouton("cmdEXECUTE"));
    EXPECT_TRUE(s.fenetre->trace()->area()->toPlainText().contains("MemFill 0010 5A "));
    EXPECT_TRUE(bouton("cmdEXECUTE")->hasFocus()) << "not Efface";
    EXPECT_EQ(s.fenetre->console()->echo()->toPlainText(), "MemFill 0380 0010 5A");

    // Disassemble: the echo keeps one blank after the command.
    bouton("cmdDISASSEMBLE")->click();
    champ("txtADRESSE")->setText(QStringLiteral("FE00"));
    entree(champ("txtADRESSE"));
    EXPECT_EQ(s.fenetre->console()->echo()->toPlainText(), "Disassemble FE00");
    entree(bouton("cmdEXECUTE"));
    EXPECT_FALSE(bouton("cmdEFFACE")->hasFocus());
    EXPECT_TRUE(s.fenetre->console()->echo()->toPlainText().startsWith("Disassemble FE1"));
}

TEST_F(PremierContact, OnlyTheMemoryAndTraceAreasHaveThePopupMenu) {
    auto clicDroit = [](RichTextArea* zone) {
        QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(5, 5), zone->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(zone->viewport(), &e);
        const bool ouvert = zone->actionMenu()->isVisible();
        zone->actionMenu()->hide();
        return ouvert;
    };
    EXPECT_TRUE(clicDroit(s.fenetre->trace()->area()));
    EXPECT_FALSE(clicDroit(s.fenetre->console()->echo()));
}

TEST_F(PremierContact, ConsoleAndRegistersKeepTheirSizeWhateverTheWindowMenuDoes) {
    auto cadre = [](QWidget* w) { return qobject_cast<QMdiSubWindow*>(w->parentWidget()); };
    QMdiSubWindow* console = cadre(s.fenetre->console());
    QMdiSubWindow* registres = cadre(s.fenetre->registres());
    const QSize tailleConsole = console->size();
    const QSize tailleRegistres = registres->size();
    ASSERT_GE(s.fenetre->console()->width(), s.fenetre->console()->minimumWidth());
    for (const char* menu : {"mnuWindowTileHorizontal", "mnuWindowTileVertical", "mnuWindowCascade"}) {
        s.controle<QAction>(menu)->trigger();
        QApplication::processEvents();
        EXPECT_EQ(console->size(), tailleConsole) << menu;
        EXPECT_EQ(registres->size(), tailleRegistres) << menu;
    }
    for (QMdiSubWindow* c : {console, registres}) {
        c->showMaximized();
        QApplication::processEvents();
        EXPECT_FALSE(c->isMaximized());
    }
    EXPECT_EQ(console->size(), tailleConsole);
    EXPECT_EQ(registres->size(), tailleRegistres);
    EXPECT_EQ(s.fenetre->console()->size(), s.fenetre->console()->minimumSize()) << "the controls stay whole";
}

TEST_F(PremierContact, TheTracesTextStandsUnderItsActionsHeading) {
    bouton("cmdLOADTALKER")->click();
    RichTextArea* trace = s.fenetre->trace()->area();
    const QTextBlock premiere = trace->document()->firstBlock();
    const int tab = static_cast<int>(premiere.text().indexOf(u'\t'));
    ASSERT_EQ(tab, 12) << "the time, then a TAB";
    QTextCursor c(premiere);
    c.setPosition(premiere.position() + tab + 1);
    const int texte = trace->viewport()->mapToGlobal(trace->cursorRect(c).topLeft()).x();
    const int titre = s.controle<QLabel>("lblActions")->mapToGlobal(QPoint(0, 0)).x();
    EXPECT_NEAR(texte, titre, 2);
}
