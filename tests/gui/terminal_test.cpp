// The Terminal window: the program that owns the SCI after a single-chip RESET
// talks to the user there, at its own rate; Load Talker takes the line back.
#include "assembled.h"
#include "gui_fixture.h"
#include "link/serial_port.h"
#include "link/session.h"
#include "operations/talker_link.h"
#include "recording_screen.h"
#include "scripted_serial_line.h"
#include "ui/terminal_window.h"
#include "virtual_clock.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

// At 8 MHz (E = 2 MHz), BAUD = $30 (prescaler 13, SCR 0) gives 9615 baud
// (MC68HC11A8 TD table 5-2); the program echoes each character it receives,
// lower-case letters in upper case.
const char* const EchoMajuscules = R"(
        LDAA #$30
        STAA $102B
        LDAA #$0C
        STAA $102D
ATTEND  LDAA $102E
        ANDA #$20
        BEQ ATTEND
        LDAA $102F
        CMPA #$61
        BLO ENVOI
        CMPA #$7A
        BHI ENVOI
        SUBA #$20
ENVOI   LDAB $102E
        ANDB #$80
        BEQ ENVOI
        STAA $102F
        BRA ATTEND
)";

void taper(QWidget* saisie, const char* texte) {
    QTest::keyClicks(saisie, QLatin1String(texte));
}

} // namespace

TEST(Terminal, SingleChipResetGivesTheProgramTheLineAtItsRateAndLoadTalkerTakesItBack) {
    SessionCarteSimulee b;
    Session& s = b.fenetre->session();
    hc11::Board& carte = b.carte.board();
    uint16_t adresse = 0xFE00;
    for (const uint8_t o : assemble(EchoMajuscules, adresse))
        ASSERT_TRUE(carte.poke(adresse++, o));
    ASSERT_TRUE(carte.poke(0xFFFE, 0xFE) && carte.poke(0xFFFF, 0x00));

    b.controle<QAbstractButton>("optMonopuce")->click();
    b.controle<QPushButton>("cmdRESET")->click();
    b.tourner(0.005);
    TerminalWindow* t = b.fenetre->terminal();
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->tientLigne());
    EXPECT_FALSE(t->isVisible()) << "shown only once the program sends";
    auto* saisie = t->findChild<QLineEdit*>(QStringLiteral("txtSAISIE"));
    taper(saisie, "bonjour");
    QTest::keyClick(saisie, Qt::Key_Return);
    b.tourner(0.02);
    EXPECT_EQ(t->texte(), "BONJOUR\n");
    EXPECT_TRUE(t->isVisible()) << "the program's first byte opens the window";
    EXPECT_NEAR(carte.hostBaud(), 2e6 / 208, 0.01) << "the host's end at the program's own rate";
    EXPECT_EQ(t->findChild<QComboBox*>(QStringLiteral("cmbDEBIT"))->currentText(), "9615");
    EXPECT_EQ(b.panneau("Port"), "Carte simul\u00e9e:9615,N,8,1");

    // The link watch leaves the program's bytes to the Terminal: no Talker check.
    taper(saisie, "x");
    for (int i = 0; i < 5; ++i) {
        carte.runUntil(carte.cycleCount() + 2000);
        s.surveillance().tick();
    }
    EXPECT_EQ(s.surveillance().verifications(), 0);
    t->tick();
    EXPECT_EQ(t->texte(), "BONJOUR\nX");

    b.controle<QPushButton>("cmdLOADTALKER")->click();
    EXPECT_EQ(b.panneau("Talker"), "Talker Charg\u00e9");
    EXPECT_FALSE(s.liaison.ligneAuTerminal);
    EXPECT_FALSE(t->tientLigne());
    EXPECT_EQ(b.panneau("Port"), QStringLiteral("Carte simul\u00e9e:") + texteParametres(s.config.Baud))
        << "back at the Talker's rate";
    taper(saisie, "y");
    EXPECT_EQ(t->texte(), "BONJOUR\nX") << "nothing read from the Talker's line";
}

// A real board: the port opens again at the rate the user picks, and Load
// Talker opens it at the boot rate once the Terminal has let it go.
TEST(Terminal, RealPortOpensAtTheChosenRateAndLoadTalkerReopensItAtTheBootRate) {
    ScriptedSerialLine ligne;
    VirtualClock horloge;
    horloge.addSource(&ligne);
    RecordingScreen ecran;
    Session s(ligne, horloge, ecran);
    ComOpen(s);
    TerminalWindow t(s, nullptr);
    t.prendreLigne();
    EXPECT_EQ(ligne.ouvertures.last().section(u'|', 1), "9600,N,8,1");
    auto* debit = t.findChild<QComboBox*>(QStringLiteral("cmbDEBIT"));
    debit->setCurrentIndex(debit->findText(QStringLiteral("4800")));
    emit debit->activated(debit->currentIndex());
    EXPECT_EQ(ligne.ouvertures.last().section(u'|', 1), "4800,N,8,1");

    ligne.injecter("ok\r\n\x07");
    horloge.waitForEvents(0.01);
    t.tick();
    EXPECT_EQ(t.texte(), "ok\n<$07>");
    taper(t.findChild<QLineEdit*>(QStringLiteral("txtSAISIE")), "a");
    EXPECT_EQ(ligne.envoyes, "a");

    const int ouvertures = static_cast<int>(ligne.ouvertures.size());
    LoadTalker(s, 2);
    ASSERT_GT(ligne.ouvertures.size(), ouvertures);
    EXPECT_EQ(ligne.ouvertures[ouvertures].section(u'|', 1), "1200,N,8,1") << "the boot rate first";
    EXPECT_EQ(ligne.ouvertures.last().section(u'|', 1), "1200,N,8,1") << "then the working rate";
    t.tick();
    EXPECT_FALSE(t.tientLigne());
}
