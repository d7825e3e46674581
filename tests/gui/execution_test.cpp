// Run, Stop, Step and the breakpoint from the console, on the simulated board
// with the example program (examples/compteur.s19) in its EEPROM.
#include "gui_fixture.h"
#include "link/screen.h"
#include "link/serial_port.h"
#include "link/tempo.h"
#include "operations/memory_write.h"
#include "sim/eeprom_image.h"
#include "ui/console_window.h"
#include "ui/memory_window.h"
#include "ui/registers_window.h"
#include "ui/rich_text_area.h"
#include "ui/status_panels.h"
#include "ui/trace_window.h"
#include "ui/windows_colour.h"

#include <QAbstractTextDocumentLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QThread>

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace tessaline;
using namespace tessaline::test;

namespace {

constexpr int Debut = 0xFE00, Fin = 0xFE22; // the example's code
constexpr int Incremente = 0xFE15;          // LDAA COMPTE, first of the subroutine
constexpr int Compte = 0x0100;

// Where each instruction of examples/compteur.s may go, from its listing.
const std::map<int, std::set<int>> Suites = {
    {0xFE00, {0xFE01}}, {0xFE01, {0xFE04}},         {0xFE04, {0xFE07}}, {0xFE07, {0xFE15}},
    {0xFE0A, {0xFE0C}}, {0xFE0C, {0xFE0E, 0xFE11}}, {0xFE0E, {0xFE11}}, {0xFE11, {0xFE1D}},
    {0xFE13, {0xFE07}}, {0xFE15, {0xFE18}},         {0xFE18, {0xFE19}}, {0xFE19, {0xFE1C}},
    {0xFE1C, {0xFE0A}}, {0xFE1D, {0xFE1F}},         {0xFE1F, {0xFE20}}, {0xFE20, {0xFE1F, 0xFE22}},
    {0xFE22, {0xFE13}},
};

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
    int imageCible() { return s.fenetre->findChild<StatusPanels*>()->panelImage(QStringLiteral("Cible")); }
    QLineEdit* boite(const char* nom) { return s.fenetre->registres()->box(QLatin1String(nom)); }
    int pc() { return boite("tbRegPC")->text().toInt(nullptr, 16); }
    RichTextArea* echo() { return s.fenetre->console()->echo(); }
    // The echo's text holds on the area's one visible line.
    bool echoSurUneLigne() {
        QTextDocument* d = echo()->document();
        d->documentLayout()->documentSize(); // laid out to the end
        return d->blockCount() == 1 && d->begin().layout()->lineCount() == 1;
    }
    bool executeAuRepos() {
        return !bouton("cmdEXECUTE")->isEnabled() && s.fenetre->console()->boutExecImage() == 4;
    }
    // The addresses of the example's code that hold an SWI now.
    QStringList swiRestes() {
        QStringList r;
        for (int a = Debut; a <= Fin; ++a)
            if (s.board.peek(a) == 0x3F) r << QString::number(a, 16);
        return r;
    }
    void attendre(const std::function<bool()>& fait) {
        for (int i = 0; i < 400 && !fait(); ++i) {
            QApplication::processEvents();
            QThread::msleep(5);
        }
    }

    GuiSession s;
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
    EXPECT_EQ(cible(), "Cible Tourne");
    EXPECT_EQ(imageCible(), image::CibleTourne);
    for (const char* actif : {"cmdSTOP", "cmdDISPLAYREG"})
        EXPECT_TRUE(bouton(actif)->isEnabled()) << actif;
    for (const char* inactif : {"cmdRUN", "cmdSTEP", "cmdMEMDUMP", "chkREGSET", "txtADRESSE"})
        EXPECT_FALSE(s.controle<QWidget>(inactif)->isEnabled()) << inactif;

    // Load Reg on the running program leaves it running, and Stop reachable.
    cliquer("cmdDISPLAYREG");
    EXPECT_EQ(cible(), "Cible Tourne");
    EXPECT_TRUE(bouton("cmdSTOP")->isEnabled());
    EXPECT_FALSE(bouton("cmdMEMDUMP")->isEnabled());

    cliquer("cmdSTOP");
    EXPECT_EQ(cible(), "Cible STOP");
    EXPECT_EQ(imageCible(), image::CibleArretee);
    EXPECT_FALSE(imagePanneau(image::CibleArretee).isNull());
    EXPECT_NE(imagePanneau(image::CibleTourne).toImage(), imagePanneau(image::CibleArretee).toImage());
    ASSERT_TRUE(Suites.count(pc())) << boite("tbRegPC")->text().toStdString() << ": not an instruction";
    const QTextBlock ligne = echo()->document()->begin();
    const QTextFragment tete = ligne.begin().fragment();
    EXPECT_EQ(tete.text(), boite("tbRegPC")->text() + u' ');
    EXPECT_EQ(tete.charFormat().foreground().color(), couleurQt(couleur::Rouge));
    EXPECT_TRUE(echoSurUneLigne()) << echo()->toPlainText().toStdString();
    for (const char* actif : {"cmdSTEP", "cmdRUN", "cmdMEMDUMP"})
        EXPECT_TRUE(bouton(actif)->isEnabled()) << actif;
    EXPECT_FALSE(bouton("cmdSTOP")->isEnabled());
    EXPECT_FALSE(bouton("cmdDISPLAYREG")->isEnabled());

    // Step clicked while a dump talks to the Talker runs nothing inside it.
    const QString avantDump = boite("tbRegPC")->text();
    cliquer("cmdMEMDUMP");
    saisirAdresse(QStringLiteral("FE00"));
    s.horloge.after(0.01, [&] { bouton("cmdSTEP")->click(); });
    cliquer("cmdEXECUTE");
    EXPECT_TRUE(s.fenetre->memoire()->area()->toPlainText().startsWith("FE00 0E 7F 01 00 7F 01 01 BD FE 15 "))
        << s.fenetre->memoire()->area()->toPlainText().toStdString();
    EXPECT_EQ(boite("tbRegPC")->text(), avantDump);

    // Step after step the PC follows the program, across its branches, its
    // calls and its returns, and no SWI stays behind. The dump selected
    // before is dropped: Execute rests.
    for (int i = 0; i < 24; ++i) {
        const int avant = pc();
        cliquer("cmdSTEP");
        ASSERT_TRUE(Suites.at(avant).count(pc()))
            << "step " << i << " from " << std::hex << avant << " to " << pc();
        ASSERT_EQ(s.fenetre->session().registres.RegPC, boite("tbRegPC")->text());
        ASSERT_TRUE(swiRestes().isEmpty()) << swiRestes().join(u' ').toStdString();
        ASSERT_EQ(cible(), "Cible STOP");
        ASSERT_TRUE(executeAuRepos());
        ASSERT_TRUE(bouton("cmdSTEP")->isEnabled());
        ASSERT_TRUE(bouton("chkBreak")->isEnabled());
    }
}

TEST_F(Execution, BreakOnTheRunningProgramStopsThereAndRunsToItAgain) {
    lancer(QStringLiteral("FE00"));
    cliquer("chkBreak");
    EXPECT_TRUE(bouton("cmdEXECUTE")->isEnabled()) << "armed on a running program";
    EXPECT_EQ(s.fenetre->console()->boutExecImage(), 0);
    EXPECT_FALSE(bouton("cmdSTEP")->isEnabled());
    EXPECT_TRUE(s.controle<QLineEdit>("txtADRESSE")->hasFocus());
    saisirAdresse(QStringLiteral("FE15"));
    EXPECT_TRUE(bouton("cmdEXECUTE")->hasFocus());
    cliquer("cmdEXECUTE");

    EXPECT_EQ(boite("tbRegPC")->text(), "FE15");
    EXPECT_EQ(cible(), "Cible STOP");
    EXPECT_EQ(s.board.peek(Incremente), 0xB6) << "LDAA back in place";
    EXPECT_TRUE(swiRestes().isEmpty()) << swiRestes().join(u' ').toStdString();
    EXPECT_TRUE(echo()->toPlainText().startsWith("FE15 ")) << echo()->toPlainText().toStdString();
    EXPECT_TRUE(echoSurUneLigne()) << echo()->toPlainText().toStdString();
    EXPECT_TRUE(executeAuRepos());
    EXPECT_TRUE(bouton("chkBreak")->isChecked()) << "the breakpoint stays armed";
    EXPECT_EQ(bouton("chkBreak")->text(), "Break : FE15");
    EXPECT_TRUE(s.fenetre->trace()->area()->toPlainText().contains("Execute Break : FE15"));

    // Run from the breakpoint: one more pass of the loop, and there again.
    const int compte = s.board.peek(Compte);
    lancer(QStringLiteral("FE15"));
    EXPECT_EQ(boite("tbRegPC")->text(), "FE15");
    EXPECT_EQ(s.board.peek(Compte), (compte + 1) & 0xFF);
    EXPECT_TRUE(swiRestes().isEmpty()) << swiRestes().join(u' ').toStdString();
    EXPECT_TRUE(executeAuRepos());

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
    EXPECT_TRUE(Suites.count(pc())) << boite("tbRegPC")->text().toStdString();
    EXPECT_EQ(s.board.peek(0xFE23), 0xFF) << "the SWI was taken back";
    EXPECT_FALSE(bouton("cmdSTOP")->isEnabled());
    EXPECT_TRUE(executeAuRepos());
}

// Stop clicked while Load Reg talks to the Talker is given once that exchange ends.
TEST_F(Execution, StopDuringLoadRegStopsOnceItHasEnded) {
    lancer(QStringLiteral("FE00"));
    s.horloge.after(0.005, [&] { bouton("cmdSTOP")->click(); });
    cliquer("cmdDISPLAYREG");
    EXPECT_EQ(cible(), "Cible Tourne") << "the check was not disturbed";
    attendre([&] { return cible() == "Cible STOP"; });
    EXPECT_EQ(cible(), "Cible STOP");
    EXPECT_TRUE(Suites.count(pc())) << boite("tbRegPC")->text().toStdString();
    EXPECT_FALSE(bouton("cmdSTOP")->isEnabled());
}

// A program that stops by itself (an SWI of its own) is caught by the link
// watch; Execute, armed for a Break meanwhile, goes back to rest.
TEST_F(Execution, LinkWatchCatchesTheProgramsOwnStop) {
    lancer(QStringLiteral("FE00"));
    cliquer("chkBreak");
    ASSERT_EQ(s.fenetre->console()->boutExecImage(), 0);
    Session& session = s.fenetre->session();
    ASSERT_TRUE(FillMem(session, 1, QStringLiteral("FE15"), QStringLiteral("3F")));
    Tempo(s.horloge, 0.05f); // the program runs on into it, and its $03 comes
    session.surveillance().tick();
    EXPECT_EQ(cible(), "Cible STOP");
    EXPECT_EQ(boite("tbRegPC")->text(), "FE16") << "just after the SWI";
    EXPECT_TRUE(echo()->toPlainText().startsWith("FE16 ")) << echo()->toPlainText().toStdString();
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
    ASSERT_TRUE(s.fenetre->registres()->editable());
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
    // INCA on $7F sets N and V (CCR bits 3 and 1).
    EXPECT_EQ(boite("tbRegCCR")->text().toInt(nullptr, 16) & 0x0A, 0x0A);
    // The PC is first on the line, A five frame bytes and their handshakes
    // later: some 40 ms at 1200 baud.
    ASSERT_EQ(quand.size(), 2u);
    EXPECT_GT(quand["tbRegA"] - quand["tbRegPC"], 0.04);
}
