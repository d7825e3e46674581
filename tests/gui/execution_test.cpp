// Run, Stop, Step and the breakpoint clicked in the windows, on the simulated
// board with the example program (examples/compteur.s19) in its EEPROM: what
// only the windows show or can do (clicks that land inside an exchange, the
// register boxes, the Execute animation, the echo line); the Débogage menu,
// the margins' breakpoints and the breakpoints window. Where the program
// stops and what it runs with is checked without windows in
// tests/integration/execution_test.cpp.
#include "gui_fixture.h"

#include "link/screen.h"
#include "link/serial_port.h"
#include "link/tempo.h"
#include "operations/memory_write.h"
#include "sim/eeprom_image.h"
#include "sim_board_tools.h"
#include "ui/breakpoints_window.h"
#include "ui/console_window.h"
#include "ui/files_window.h"
#include "ui/memory_window.h"
#include "ui/registers_window.h"
#include "ui/rich_text_area.h"
#include "ui/source_area.h"
#include "ui/status_panels.h"
#include "ui/watch_window.h"
#include <QLabel>

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QThread>

#include <gtest/gtest.h>

#include <map>

using namespace tessaline;
using namespace tessaline::test;

namespace {

class Execution : public ::testing::Test {
protected:
    explicit Execution(const QString& reglages = QStringLiteral("[Config]\nTimeout=20\n"))
        : s(reglages) {}
    void SetUp() override {
        std::string erreur;
        ASSERT_EQ(hc11::loadEepromImage(s.board, TESSALINE_EXAMPLES "/compteur.s19", erreur),
                  hc11::EepromImageLoad::Loaded)
            << erreur;
        s.fenetre->demarrer();
        cliquer("cmdLOADTALKER");
        ASSERT_EQ(s.fenetre->ecran().panel(QStringLiteral("Talker")), "Talker Charg\u00e9");
        // Active again once frmInfo has gone, as a window manager makes it.
        QApplication::setActiveWindow(s.fenetre.get());
    }
    QAbstractButton* bouton(const char* nom) { return s.controle<QAbstractButton>(nom); }
    void cliquer(const char* nom) {
        ASSERT_TRUE(bouton(nom)->isEnabled()) << nom;
        bouton(nom)->click();
    }
    void saisirAdresse(const QString& texte) {
        auto* e = s.controle<QLineEdit>("txtADRESSE");
        ASSERT_TRUE(e->isEnabled());
        e->setFocus();
        e->clear();
        QTest::keyClicks(e, texte);
        QTest::keyClick(e, Qt::Key_Return);
    }
    // Run from `adresse`, as the user does it: RUN, the address, Execute.
    void lancer(const QString& adresse) {
        cliquer("cmdRUN");
        saisirAdresse(adresse);
        cliquer("cmdEXECUTE");
    }
    std::string cible() { return s.fenetre->ecran().panel(QStringLiteral("Cible")).toStdString(); }
    QLineEdit* boite(const char* nom) { return s.fenetre->registres()->box(QLatin1String(nom)); }
    // Stopped inside the example's code ($FE00-$FE22).
    bool pcDansLeProgramme() {
        const int pc = boite("tbRegPC")->text().toInt(nullptr, 16);
        return pc >= 0xFE00 && pc <= 0xFE22;
    }
    RichTextArea* echo() { return s.fenetre->console()->echo(); }
    QString symbolePC() {
        return s.fenetre->registres()->findChild<QLabel*>(QStringLiteral("lblSymbolePC"))->text();
    }
    // The echo's text holds on the area's one visible line.
    bool echoSurUneLigne() {
        QTextDocument* d = echo()->document();
        d->documentLayout()->documentSize(); // laid out to the end
        return d->blockCount() == 1 && d->begin().layout()->lineCount() == 1;
    }
    bool executeAuRepos() {
        return !bouton("cmdEXECUTE")->isEnabled() && s.fenetre->console()->boutExecImage() == 4;
    }

    GuiSession s;
};

// The simulated board's history, cycle count and watchpoints behind the session,
// as the windows' own board has them: wired before the windows that offer them
// are built.
struct OutilsCarteEssai {
    explicit OutilsCarteEssai(GuiSession& s)
        : outils([&s]() -> hc11::Board& { return s.board; }) {
        s.board.setHistoryCapacity(InstructionsHistorique);
        s.fenetre->session().outilsCarte = &outils;
    }
    SimBoardTools outils;
};

class ExecutionHistorique : public Execution {
protected:
    OutilsCarteEssai carte{s};
};

class ExecutionLongue : public Execution {
protected:
    ExecutionLongue()
        : Execution(QStringLiteral("[Config]\nTimeout=600\n")) {}
};

} // namespace

TEST_F(Execution, RunStopAndStepDriveTheConsoleAndTheRegisters) {
    lancer(QStringLiteral("FE00"));
    EXPECT_TRUE(executeAuRepos()) << "Run ended the command";

    // Load Reg on the running program leaves it running, and Stop reachable.
    cliquer("cmdDISPLAYREG");
    EXPECT_EQ(cible(), "Cible Tourne");
    EXPECT_TRUE(bouton("cmdSTOP")->isEnabled());

    cliquer("cmdSTOP");
    EXPECT_EQ(s.fenetre->findChild<StatusPanels*>()->panelImage(QStringLiteral("Cible")),
              image::CibleArretee);
    ASSERT_TRUE(pcDansLeProgramme()) << boite("tbRegPC")->text().toStdString();
    EXPECT_TRUE(echo()->toPlainText().startsWith(boite("tbRegPC")->text() + u' '));
    EXPECT_TRUE(echoSurUneLigne()) << echo()->toPlainText().toStdString();

    // Step clicked while a dump talks to the Talker runs nothing inside it.
    const QString avantDump = boite("tbRegPC")->text();
    cliquer("cmdMEMDUMP");
    saisirAdresse(QStringLiteral("FE00"));
    s.horloge.after(0.01, [&] { bouton("cmdSTEP")->click(); });
    cliquer("cmdEXECUTE");
    EXPECT_TRUE(s.fenetre->memoire()->area()->toPlainText().startsWith("FE00 0E 7F 01 00 7F 01 01 BD FE 15 "))
        << s.fenetre->memoire()->area()->toPlainText().toStdString();
    EXPECT_EQ(boite("tbRegPC")->text(), avantDump);

    // A step then: the box shows the session's PC, the dump selected before is
    // dropped and Execute rests.
    cliquer("cmdSTEP");
    EXPECT_NE(boite("tbRegPC")->text(), avantDump);
    EXPECT_EQ(s.fenetre->session().registres.RegPC, boite("tbRegPC")->text());
    EXPECT_TRUE(executeAuRepos());
    EXPECT_TRUE(bouton("chkBreak")->isEnabled());
}

// Step clicked during a step stays on and queues the click: each runs once the
// step before it has ended, up to three; more only beep.
TEST_F(Execution, StepClicksDuringAStepAreQueued) {
    lancer(QStringLiteral("FE00"));
    cliquer("cmdSTOP");
    ASSERT_TRUE(pcDansLeProgramme());
    const auto pas = [&] { return s.fenetre->ecran().text(Zone::Trace).count(QStringLiteral("Step ")); };
    const qsizetype avant = pas();
    int actifPendant = 0;
    s.horloge.after(0.01, [&] {
        for (int i = 0; i < 5; ++i) {
            actifPendant += bouton("cmdSTEP")->isEnabled();
            bouton("cmdSTEP")->click();
        }
    });
    cliquer("cmdSTEP");
    EXPECT_EQ(actifPendant, 5) << "Step stays on during a step";
    EXPECT_EQ(pas() - avant, 4) << "the step clicked, then three of the five clicked during it";
    EXPECT_TRUE(pcDansLeProgramme());
    EXPECT_EQ(s.fenetre->session().registres.RegPC, boite("tbRegPC")->text());
    EXPECT_TRUE(bouton("cmdSTEP")->isEnabled());
    EXPECT_TRUE(executeAuRepos());
}

// Return after STEP, STOP, RUN and Break presses the button used again (or
// Execute, or nothing): never Load Talker, which would download the Talker
// over the program.
TEST_F(Execution, ReturnAfterACommandNeverReloadsTheTalker) {
    int chargements = 0;
    QObject::connect(bouton("cmdLOADTALKER"), &QAbstractButton::clicked, [&] { ++chargements; });
    // A click that gives the button the focus, as the mouse does; then Return
    // on whatever has the focus once the command has ended.
    const auto appuyer = [&](const char* nom) {
        bouton(nom)->setFocus(Qt::MouseFocusReason);
        cliquer(nom);
    };
    const auto entree = [&]() -> QString {
        QWidget* f = QApplication::focusWidget();
        if (!f) return {};
        const QString nom = f->objectName();
        // Pressed, they would wait for a board reset that no one makes.
        if (nom == "cmdLOADTALKER" || nom == "cmdRESET") {
            ADD_FAILURE() << "Return would press " << nom.toStdString();
            return nom;
        }
        QTest::keyClick(f, Qt::Key_Return);
        return nom;
    };

    lancer(QStringLiteral("FE00"));
    entree();
    appuyer("cmdSTOP");
    EXPECT_EQ(cible(), "Cible STOP");
    entree();
    appuyer("cmdSTEP");
    for (int i = 0; i < 3; ++i) {
        const QString pc = boite("tbRegPC")->text();
        EXPECT_EQ(entree(), "cmdSTEP");
        EXPECT_NE(boite("tbRegPC")->text(), pc) << "Return stepped again";
    }
    appuyer("cmdRUN");
    saisirAdresse(QStringLiteral("FE00"));
    appuyer("cmdEXECUTE");
    EXPECT_EQ(cible(), "Cible Tourne");
    entree();
    appuyer("chkBreak");
    saisirAdresse(QStringLiteral("FE15"));
    appuyer("cmdEXECUTE");
    EXPECT_EQ(boite("tbRegPC")->text(), "FE15");
    EXPECT_EQ(entree(), "chkBreak");
    EXPECT_EQ(chargements, 0);
    EXPECT_EQ(s.fenetre->ecran().panel(QStringLiteral("Talker")), "Talker Charg\u00e9");
}

TEST_F(Execution, BreakOnTheRunningProgramStopsThereAndRunsToItAgain) {
    lancer(QStringLiteral("FE00"));
    cliquer("chkBreak");
    EXPECT_EQ(s.fenetre->console()->boutExecImage(), 0) << "armed on a running program";
    EXPECT_FALSE(bouton("cmdSTEP")->isEnabled());
    saisirAdresse(QStringLiteral("FE15"));
    EXPECT_TRUE(bouton("cmdEXECUTE")->hasFocus());
    cliquer("cmdEXECUTE");

    EXPECT_EQ(boite("tbRegPC")->text(), "FE15");
    EXPECT_TRUE(echoSurUneLigne()) << echo()->toPlainText().toStdString();
    EXPECT_TRUE(executeAuRepos());
    EXPECT_TRUE(bouton("chkBreak")->isChecked()) << "the breakpoint stays armed";
    EXPECT_EQ(bouton("chkBreak")->text(), "Break : FE15");

    cliquer("chkBreak");
    EXPECT_EQ(bouton("chkBreak")->text(), "Break : None");
    EXPECT_TRUE(bouton("cmdSTEP")->isEnabled());
    EXPECT_TRUE(executeAuRepos());
    EXPECT_EQ(echo()->toPlainText(), "Break OFF");
}

TEST_F(ExecutionLongue, StopEndsTheWaitForABreakpointNeverReached) {
    lancer(QStringLiteral("FE00"));
    cliquer("chkBreak");
    saisirAdresse(QStringLiteral("FE23")); // erased, after the program's last RTS
    const double debut = s.horloge.boardSeconds();
    // Load Reg and Break clicked meanwhile start nothing of their own inside
    // the wait: an exchange there, or the link watch it switches on after
    // it, would take the bytes the wait and the stop are for.
    s.horloge.after(0.5, [&] {
        bouton("cmdDISPLAYREG")->click();
        EXPECT_FALSE(s.fenetre->session().surveillance().isEnabled()) << "the link watch under the wait";
        bouton("chkBreak")->click();
        bouton("chkBreak")->click();
        EXPECT_FALSE(bouton("cmdEXECUTE")->isEnabled()) << "a second Break inside the first";
    });
    s.horloge.after(1.0, [&] {
        EXPECT_TRUE(bouton("cmdSTOP")->isEnabled()) << "Stop out of reach during the wait";
        bouton("cmdSTOP")->click();
    });
    RepondeurMessages messages;
    messages.repondre(QMessageBox::Ok);
    cliquer("cmdEXECUTE");
    EXPECT_LT(s.horloge.boardSeconds() - debut, 10.0) << "the wait ran to its time-out";
    EXPECT_TRUE(messages.textes.isEmpty()) << messages.textes.join(u'\n').toStdString();
    EXPECT_EQ(cible(), "Cible STOP");
    EXPECT_TRUE(pcDansLeProgramme()) << boite("tbRegPC")->text().toStdString();
    EXPECT_EQ(s.board.peek(0xFE23), 0xFF) << "the SWI was taken back";
    EXPECT_TRUE(executeAuRepos());
}

// Stop clicked while Load Reg talks to the Talker is given once that exchange ends.
TEST_F(Execution, StopDuringLoadRegStopsOnceItHasEnded) {
    lancer(QStringLiteral("FE00"));
    s.horloge.after(0.005, [&] { bouton("cmdSTOP")->click(); });
    cliquer("cmdDISPLAYREG");
    EXPECT_EQ(cible(), "Cible Tourne") << "the check was not disturbed";
    for (int i = 0; i < 400 && cible() != "Cible STOP"; ++i) {
        QApplication::processEvents();
        QThread::msleep(5);
    }
    EXPECT_EQ(cible(), "Cible STOP");
    EXPECT_TRUE(pcDansLeProgramme()) << boite("tbRegPC")->text().toStdString();
    EXPECT_FALSE(bouton("cmdSTOP")->isEnabled());
}

// A program that stops by itself (an SWI of its own) while Execute is armed for
// a Break: the link watch shows the stop and Execute goes back to rest.
TEST_F(Execution, LinkWatchCatchesTheProgramsOwnStop) {
    lancer(QStringLiteral("FE00"));
    cliquer("chkBreak");
    Session& session = s.fenetre->session();
    ASSERT_TRUE(FillMem(session, 1, QStringLiteral("FE15"), QStringLiteral("3F")));
    Tempo(s.horloge, 0.05f); // the program runs on into it, and its $03 comes
    session.surveillance().tick();
    EXPECT_EQ(boite("tbRegPC")->text(), "FE16") << "just after the SWI";
    EXPECT_TRUE(executeAuRepos());
    EXPECT_TRUE(bouton("cmdSTEP")->isEnabled());
}

// What Reg SET leaves in the boxes is what the next step runs with, and each
// register comes back into its box as soon as its bytes are in, not once the
// frame is whole.
TEST_F(Execution, StepRunsTheRegistersSetByHandAndShowsEachAsItArrives) {
    lancer(QStringLiteral("FE00"));
    cliquer("cmdSTOP");
    cliquer("chkREGSET");
    for (auto [nom, texte] : {std::pair{"tbRegPC", "FE18"}, std::pair{"tbRegA", "7F"}}) { // INCA
        QLineEdit* b = boite(nom);
        b->setFocus();
        b->selectAll();
        QTest::keyClicks(b, QLatin1String(texte));
        QTest::keyClick(b, Qt::Key_Return);
    }
    cliquer("chkREGSET");
    std::map<std::string, double> quand;
    for (const char* nom : {"tbRegPC", "tbRegA"})
        QObject::connect(boite(nom), &QLineEdit::textChanged,
                         [&, nom] { quand.try_emplace(nom, s.horloge.boardSeconds()); });
    cliquer("cmdSTEP");
    EXPECT_EQ(boite("tbRegPC")->text(), "FE19");
    EXPECT_EQ(boite("tbRegA")->text(), "80");
    // The PC is first on the line, A five frame bytes and their handshakes
    // later: some 40 ms at 1200 baud.
    ASSERT_EQ(quand.size(), 2u);
    EXPECT_GT(quand["tbRegA"] - quand["tbRegPC"], 0.04);
}

// Débogage > Surveillance, between Affichage and Fenêtre: the counter COMPTE
// ($0100) watched while the program runs moves from refresh to refresh and
// stands out as the last change; once stopped it shows where it stopped.
TEST_F(Execution, WatchWindowFollowsTheRunningCounter) {
    QStringList menus;
    for (QAction* a : s.fenetre->menuBar()->actions())
        menus << a->objectName();
    EXPECT_EQ(menus.indexOf("mnuDebug"), menus.indexOf("mnuView") + 1) << menus.join(u' ').toStdString();
    EXPECT_EQ(menus.indexOf("mnuWindow"), menus.indexOf("mnuDebug") + 1);
    s.controle<QAction>("mnuDebugWatch")->trigger();
    WatchWindow* w = s.fenetre->surveillance();
    ASSERT_TRUE(w && w->isVisible());
    EXPECT_FALSE(w->ajouter(QStringLiteral("COMPTE"), false)) << "no source, no symbols";
    ASSERT_TRUE(w->ajouter(QStringLiteral("100"), false));
    auto* table = s.controle<QTableWidget>("grdSURVEILLANCE");
    lancer(QStringLiteral("FE00"));
    QStringList vus;
    for (int i = 0; i < 4; ++i) {
        Tempo(s.horloge, 0.1f);
        w->tick();
        vus << table->item(0, 2)->text();
    }
    vus.removeDuplicates();
    EXPECT_GE(vus.size(), 3) << vus.join(u' ').toStdString();
    EXPECT_EQ(table->item(0, 2)->font().bold(), true) << "the last change stands out";
    cliquer("cmdSTOP");
    w->tick();
    EXPECT_EQ(table->item(0, 2)->text().toInt(nullptr, 16), s.board.peek(0x0100));
    EXPECT_TRUE(s.controle<QLabel>("lblETAT")->text().startsWith("Programme arr\u00eat\u00e9"));
}

namespace {

// The example assembled beside its source (COMPTEUR.S19, .LST and .SYM) and
// shown in the files window, the EEPROM holding the same program.
class Debogueur : public Execution {
protected:
    void SetUp() override {
        Execution::SetUp();
        const QString source = dossier.filePath(QStringLiteral("COMPTEUR.ASM"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(TESSALINE_EXAMPLES "/compteur.asm"), source));
        QProcess asm11;
        asm11.start(QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("tessaline-asm")),
                    {source});
        ASSERT_TRUE(asm11.waitForFinished(30000));
        ASSERT_EQ(asm11.exitCode(), 0) << asm11.readAllStandardError().toStdString();
        s.fenetre->session().fichiers.FichierCourant = source;
        fichiers()->ChargerFichiers();
        ASSERT_FALSE(fichiers()->listing()->document()->isEmpty());
    }
    FilesWindow* fichiers() { return s.fenetre->fichiers(); }
    // Run and Continue let the program run free to the list's breakpoints:
    // the link watch catches the stop.
    void jusquALArret() {
        for (int i = 0; i < 100 && cible() != "Cible STOP"; ++i) {
            Tempo(s.horloge, 0.02f);
            s.fenetre->session().surveillance().tick();
        }
    }
    QAction* action(const char* nom) { return s.controle<QAction>(nom); }
    void declencher(const char* nom) {
        ASSERT_TRUE(action(nom)->isEnabled()) << nom;
        action(nom)->trigger();
    }
    // The index (from 0) of the source line that starts with `debut`.
    int ligneSource(const QString& debut) {
        const QStringList lignes = fichiers()->source()->toPlainText().split(u'\n');
        for (qsizetype i = 0; i < lignes.size(); ++i)
            if (lignes[i].startsWith(debut)) return int(i);
        ADD_FAILURE() << debut.toStdString();
        return -1;
    }
    // A click in the source tab's margin beside line `index`.
    void cliquerMarge(int index) {
        fichiers()->onglets()->setCurrentIndex(FilesWindow::OngletASM);
        SourceArea* a = fichiers()->source();
        a->setTextCursor(QTextCursor(a->document()->findBlockByNumber(index)));
        a->ensureCursorVisible();
        auto* marge = a->findChild<QWidget*>(QStringLiteral("marge"));
        QTest::mouseClick(marge, Qt::LeftButton, {}, QPoint(4, a->cursorRect().center().y()));
    }
    // The source line highlighted for the PC, and the tab in front.
    int ligneSurlignee() {
        const auto surlignees = fichiers()->source()->extraSelections();
        return surlignees.size() == 1 ? surlignees[0].cursor.blockNumber() : -1;
    }
    QTemporaryDir dossier;
};

} // namespace

// A breakpoint set in the source's margin, then Continue, Step over, Run to the
// caret's line, Step and Stop from the Débogage menu: the PC, the counter, the
// source line highlighted at each stop; the menu follows the console's
// buttons; quitting takes the planted SWI back out of the EEPROM.
TEST_F(Debogueur, MenuCommandsStopAtTheMarginsBreakpointAndShowTheSourceLine) {
    const int boucle = ligneSource(QStringLiteral("boucle"));
    const int bita = ligneSource(QStringLiteral("        BITA"));
    const int impair = ligneSource(QStringLiteral("impair"));
    EXPECT_FALSE(action("mnuDebugStop")->isEnabled());
    cliquerMarge(boucle);
    ASSERT_EQ(s.fenetre->session().points.liste.size(), 1);
    EXPECT_EQ(s.fenetre->session().points.liste[0].adresse, 0xFE07);
    EXPECT_EQ(fichiers()->source()->marques(), (QMap<int, bool>{{boucle, true}}));
    ASSERT_EQ(fichiers()->listing()->marques().size(), 1);
    cliquerMarge(ligneSource(QStringLiteral("COMPTE ")));
    EXPECT_EQ(s.fenetre->session().points.liste.size(), 1) << "an EQU emits no code";

    // The address field takes a label; one the program lacks leaves the address.
    cliquer("cmdMEMDUMP");
    saisirAdresse(QStringLiteral("compte+1"));
    EXPECT_EQ(s.controle<QLineEdit>("txtADRESSE")->text(), "0101");
    saisirAdresse(QStringLiteral("nulle"));
    EXPECT_EQ(s.controle<QLineEdit>("txtADRESSE")->text(), "0101");
    lancer(QStringLiteral("debut"));
    jusquALArret();
    EXPECT_EQ(boite("tbRegPC")->text(), "FE07");
    EXPECT_EQ(fichiers()->onglets()->currentIndex(), FilesWindow::OngletASM);
    EXPECT_EQ(ligneSurlignee(), boucle);
    EXPECT_EQ(s.board.peek(0xFE07), 0x3F) << "planted while stopped";
    EXPECT_EQ(symbolePC(), "boucle");

    declencher("mnuDebugContinue");
    jusquALArret();
    EXPECT_EQ(boite("tbRegPC")->text(), "FE07");
    EXPECT_EQ(s.board.peek(0x0100), 1) << "one pass of the loop";

    // F10 on the main window: the JSR runs through.
    ASSERT_TRUE(action("mnuDebugStepOver")->isEnabled());
    QTest::keyClick(s.fenetre.get(), Qt::Key_F10);
    EXPECT_EQ(boite("tbRegPC")->text(), "FE0A");
    EXPECT_EQ(boite("tbRegA")->text(), "02");
    EXPECT_EQ(ligneSurlignee(), bita);
    EXPECT_EQ(symbolePC(), "boucle+3");

    fichiers()->source()->setTextCursor(
        QTextCursor(fichiers()->source()->document()->findBlockByNumber(impair)));
    declencher("mnuDebugRunTo");
    EXPECT_EQ(boite("tbRegPC")->text(), "FE11");
    EXPECT_EQ(ligneSurlignee(), impair);

    declencher("mnuDebugStep");
    EXPECT_EQ(boite("tbRegPC")->text(), "FE1D") << "into the subroutine";

    // Removed from the margin: Continue runs on, Stop is offered and stops it.
    cliquerMarge(boucle);
    EXPECT_TRUE(s.fenetre->session().points.liste.isEmpty());
    EXPECT_TRUE(fichiers()->source()->marques().isEmpty());
    EXPECT_EQ(s.board.peek(0xFE07), 0xBD);
    declencher("mnuDebugContinue");
    EXPECT_EQ(cible(), "Cible Tourne");
    EXPECT_FALSE(action("mnuDebugContinue")->isEnabled());
    declencher("mnuDebugStop");
    EXPECT_EQ(cible(), "Cible STOP");
    EXPECT_TRUE(pcDansLeProgramme());
    EXPECT_TRUE(action("mnuDebugContinue")->isEnabled());

    // Quitting with a breakpoint planted in the EEPROM leaves the program's byte.
    cliquerMarge(boucle);
    declencher("mnuDebugContinue");
    ASSERT_EQ(s.board.peek(0xFE07), 0x3F);
    RepondeurMessages messages;
    messages.repondre(QMessageBox::No);
    EXPECT_TRUE(s.fenetre->close());
    EXPECT_EQ(s.board.peek(0xFE07), 0xBD);
}

// The breakpoints window adds by address or label, refuses what the list
// refuses and what names nothing, enables and removes, and follows the
// margin and the console's Break.
TEST_F(Debogueur, BreakpointsWindowAddsRefusesAndFollowsTheOtherWindows) {
    declencher("mnuDebugBreakpoints");
    BreakpointsWindow* w = s.fenetre->pointsArret();
    ASSERT_TRUE(w && w->isVisible());
    EXPECT_EQ(w->objectName(), "frmPointsArret");
    EXPECT_FALSE(w->findChild<QGroupBox*>(QStringLiteral("fraObservations")))
        << "a real board watches nothing";
    QTableWidget* t = w->table();
    auto* champ = w->findChild<QLineEdit*>(QStringLiteral("txtPointAdresse"));
    const auto ajouter = [&](const QString& texte) {
        champ->setText(texte);
        w->findChild<QPushButton*>(QStringLiteral("cmdPointAjouter"))->click();
    };
    const auto rangee = [&](int i) { return t->item(i, 0)->text() + u' ' + t->item(i, 1)->text(); };
    ajouter(QStringLiteral("boucle"));
    ajouter(QStringLiteral("fe15"));
    ASSERT_EQ(t->rowCount(), 2);
    EXPECT_EQ(rangee(0), "FE07 boucle");
    EXPECT_EQ(rangee(1), "FE15 incremente");
    EXPECT_EQ(fichiers()->listing()->marques().size(), 2);

    RepondeurMessages messages;
    messages.repondre(QMessageBox::Ok);
    ajouter(QStringLiteral("0010"));
    messages.repondre(QMessageBox::Ok);
    ajouter(QStringLiteral("nulle_part"));
    EXPECT_EQ(t->rowCount(), 2);
    ASSERT_EQ(messages.textes.size(), 2);
    EXPECT_TRUE(messages.textes[0].startsWith("Point d'arr\u00eat refus\u00e9 : 0010 n'est pas dans"))
        << messages.textes[0].toStdString();
    EXPECT_TRUE(messages.textes[1].contains("nulle_part")) << messages.textes[1].toStdString();
    EXPECT_EQ(champ->text(), "nulle_part") << "kept, to be corrected";

    // Disabled: kept in the list, a ring in the margin.
    t->item(0, 2)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(s.fenetre->session().points.liste[0].actif);
    EXPECT_EQ(fichiers()->source()->marques().value(ligneSource(QStringLiteral("boucle")), true), false);
    t->setCurrentCell(1, 0);
    w->findChild<QPushButton*>(QStringLiteral("cmdPointRetirer"))->click();
    ASSERT_EQ(t->rowCount(), 1);
    EXPECT_EQ(rangee(0), "FE07 boucle");

    // A margin click and the console's Break show here too.
    cliquerMarge(ligneSource(QStringLiteral("impair")));
    EXPECT_EQ(t->rowCount(), 2);
    QApplication::setActiveWindow(s.fenetre.get()); // the message boxes gone
    cliquer("chkBreak");
    saisirAdresse(QStringLiteral("FE1F"));
    EXPECT_FALSE(bouton("cmdEXECUTE")->isEnabled()) << "nothing to plant in a stopped program";
    champ->setFocus(); // the console's field left: its address is the Break's
    ASSERT_TRUE(QTest::qWaitFor([&] { return t->rowCount() == 3; }, 2000)) << "the console's Break";
    EXPECT_EQ(rangee(2), "FE1F attente (Break de la console)");

    w->findChild<QPushButton*>(QStringLiteral("cmdPointsToutRetirer"))->click();
    EXPECT_TRUE(s.fenetre->session().points.liste.isEmpty());
    EXPECT_EQ(t->rowCount(), 1) << "the console's Break is the console's";
    EXPECT_TRUE(fichiers()->listing()->marques().isEmpty());
}

namespace {

class DebogueurObservations : public Debogueur {
protected:
    OutilsCarteEssai carte{s};
};

} // namespace

// Watchpoints set in the breakpoints window by label, the one that fires picked
// out in the list; removed, the program runs on.
TEST_F(DebogueurObservations, WatchpointsSetInTheWindowStopTheProgram) {
    declencher("mnuDebugBreakpoints");
    BreakpointsWindow* w = s.fenetre->pointsArret();
    ASSERT_TRUE(w && w->findChild<QGroupBox*>(QStringLiteral("fraObservations")));
    auto* t = w->findChild<QTableWidget*>(QStringLiteral("tblObservations"));
    auto* lecture = w->findChild<QCheckBox*>(QStringLiteral("chkLecture"));
    auto* ecriture = w->findChild<QCheckBox*>(QStringLiteral("chkEcriture"));
    const auto cliquerIci = [&](const char* nom) { w->findChild<QPushButton*>(QLatin1String(nom))->click(); };
    EXPECT_TRUE(ecriture->isChecked() && !lecture->isChecked()) << "writes watched by default";
    const auto ajouter = [&](const QString& texte, bool lu, bool ecrit) {
        lecture->setChecked(lu);
        ecriture->setChecked(ecrit);
        w->findChild<QLineEdit*>(QStringLiteral("txtObservation"))->setText(texte);
        cliquerIci("cmdObservationAjouter");
    };
    const auto rangee = [&](int i) {
        QString r = t->item(i, 0)->text() + u' ' + t->item(i, 1)->text();
        for (int c : {2, 3})
            r += t->item(i, c)->checkState() == Qt::Checked ? u'x' : u'-';
        return r;
    };
    using O = BoardTools::Observation;
    ajouter(QStringLiteral("COMPTE-COMPTE+1"), true, false);
    ajouter(QStringLiteral("101"), false, true);
    RepondeurMessages messages;
    messages.repondre(QMessageBox::Ok);
    ajouter(QStringLiteral("COMPTE+1-COMPTE"), false, true);
    messages.repondre(QMessageBox::Ok);
    ajouter(QStringLiteral("COMPTE"), false, false);
    ASSERT_EQ(messages.textes.size(), 2);
    EXPECT_TRUE(messages.textes[0].contains("COMPTE+1-COMPTE")) << messages.textes[0].toStdString();
    EXPECT_TRUE(messages.textes[1].contains("cochez")) << messages.textes[1].toStdString();
    EXPECT_EQ(carte.outils.observations(),
              (QVector<O>{{0x100, 0x101, true, false}, {0x101, 0x101, false, true}}));
    ASSERT_EQ(t->rowCount(), 2);
    EXPECT_EQ(rangee(0), "0100 0101x-");
    EXPECT_EQ(rangee(1), "0101 -x");

    // CLR COMPTE reads nothing: the write of PAIRS by CLR PAIRS stops the program
    // after it.
    t->setCurrentCell(0, 0);
    QApplication::setActiveWindow(s.fenetre.get()); // the message boxes gone
    lancer(QStringLiteral("debut"));
    jusquALArret();
    EXPECT_EQ(boite("tbRegPC")->text(), "FE07");
    EXPECT_TRUE(s.fenetre->ecran()
                    .text(Zone::Trace)
                    .contains(QStringLiteral(
                        "Point d'observation : $0101 \u00e9crit ($00) par l'instruction en $FE04")))
        << s.fenetre->ecran().text(Zone::Trace).toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return t->currentRow() == 1; }, 2000)) << "the watchpoint that fired";

    cliquerIci("cmdObservationRetirer");
    EXPECT_EQ(carte.outils.observations(), (QVector<O>{{0x100, 0x101, true, false}}));
    cliquerIci("cmdObservationsToutRetirer");
    EXPECT_TRUE(carte.outils.observations().isEmpty());
    EXPECT_EQ(t->rowCount(), 0);
    declencher("mnuDebugContinue");
    Tempo(s.horloge, 0.2f);
    s.fenetre->session().surveillance().tick();
    EXPECT_EQ(cible(), "Cible Tourne") << boite("tbRegPC")->text().toStdString();
}

// Pas arrière after two steps: the register boxes and the echo show each earlier
// stop again, and each stop gives the program's cycles in the trace.
TEST_F(ExecutionHistorique, PasArriereShowsTheStopsBeforeAgain) {
    lancer(QStringLiteral("FE00"));
    cliquer("cmdSTOP");
    ASSERT_TRUE(pcDansLeProgramme());
    const auto registres = [&] {
        QStringList r;
        for (const char* nom : {"tbRegPC", "tbRegA", "tbRegB", "tbRegCCR", "tbRegSP"})
            r << boite(nom)->text();
        return r;
    };
    QList<QStringList> vus{registres()};
    for (int i = 0; i < 2; ++i) {
        cliquer("cmdSTEP");
        vus << registres();
    }
    EXPECT_TRUE(s.fenetre->ecran()
                    .text(Zone::Trace)
                    .contains(QStringLiteral("Cycles depuis le dernier arr\u00eat : ")));
    for (int i = 1; i >= 0; --i) {
        cliquer("cmdPASARRIERE");
        EXPECT_EQ(registres(), vus[i]) << i;
        EXPECT_TRUE(echo()->toPlainText().startsWith(vus[i][0] + u' '))
            << echo()->toPlainText().toStdString();
        EXPECT_EQ(cible(), "Cible STOP");
    }
    EXPECT_TRUE(bouton("cmdPASARRIERE")->isEnabled());
}
