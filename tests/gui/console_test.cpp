// The console: command selection, the fields' keys and completion, the echo
// and Execute, on the simulated board.
#include "gui_fixture.h"
#include "operations/console_commands.h"
#include "ui/console_window.h"
#include "ui/memory_window.h"
#include "ui/registers_window.h"
#include "ui/rich_text_area.h"
#include "ui/trace_window.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

class Console : public ::testing::Test {
protected:
    void SetUp() override { s.fenetre->demarrer(); }
    QLineEdit* champ(const char* nom) { return s.controle<QLineEdit>(nom); }
    void cliquer(const char* nom) { s.controle<QPushButton>(nom)->click(); }
    // Types into the field, without Return.
    void taper(const char* nom, const QString& texte) {
        QLineEdit* e = champ(nom);
        EXPECT_TRUE(e->isEnabled()) << nom << ": the command does not take it";
        e->setFocus();
        e->clear();
        QTest::keyClicks(e, texte);
    }
    void saisir(const char* nom, const QString& texte) {
        taper(nom, texte);
        QTest::keyClick(champ(nom), Qt::Key_Return);
    }
    // Execute clicked with the mouse: the field typed in last is left as it is.
    void executerALaSouris() { QTest::mouseClick(s.controle<QPushButton>("cmdEXECUTE"), Qt::LeftButton); }
    RichTextArea* echo() { return s.fenetre->console()->echo(); }
    GuiSession s;
};

} // namespace

TEST_F(Console, FieldsTakeHexDigitsInUpperCaseAndBeepAtTheRest) {
    cliquer("cmdLOADTALKER");
    cliquer("cmdMEMDUMP");
    QLineEdit* adresse = champ("txtADRESSE");
    adresse->clear();
    adresse->setFocus();
    const int avant = s.fenetre->ecran().beeps();
    QTest::keyClicks(adresse, QStringLiteral("a"));
    EXPECT_EQ(adresse->text(), "A");
    QTest::keyClicks(adresse, QStringLiteral("g"));
    EXPECT_EQ(adresse->text(), "A") << "G is no hex digit";
    EXPECT_EQ(s.fenetre->ecran().beeps(), avant + 1);
    QTest::keyClicks(adresse, QStringLiteral("b12f"));
    EXPECT_EQ(adresse->text(), "AB12") << "four characters at most";
}

TEST_F(Console, EnterCompletesTheFieldsAndRebuildsTheEcho) {
    cliquer("cmdLOADTALKER");
    cliquer("cmdMEMFILL");
    saisir("txtADRESSE", QStringLiteral("5"));
    EXPECT_EQ(champ("txtADRESSE")->text(), "0005");
    EXPECT_EQ(s.fenetre->session().console.CmdAdresse, "0005");
    saisir("txtLONGUEUR", QStringLiteral("10"));
    saisir("txtVALEUR", QStringLiteral("7"));
    EXPECT_EQ(champ("txtLONGUEUR")->text(), "0010");
    EXPECT_EQ(champ("txtVALEUR")->text(), "07");
    EXPECT_EQ(echo()->toPlainText(), "MemFill 0005 0010 07");

    cliquer("cmdMEMSET");
    saisir("txtVALEUR", QStringLiteral("123"));
    EXPECT_EQ(echo()->toPlainText(), "MemSet 0005 0123");

    cliquer("cmdMEMDUMP");
    saisir("txtLONGUEUR", QString());
    EXPECT_EQ(champ("txtLONGUEUR")->text(), "0080") << "an empty length is 80";
    EXPECT_EQ(echo()->toPlainText(), "MemDump 0005 0080");

    cliquer("cmdEFFACE");
    EXPECT_TRUE(champ("txtADRESSE")->text().isEmpty());
    EXPECT_TRUE(echo()->toPlainText().isEmpty());
}

TEST_F(Console, ExecuteWithNoCommandStaysDisabled) {
    auto* execute = s.controle<QPushButton>("cmdEXECUTE");
    EXPECT_FALSE(execute->isEnabled());
    s.fenetre->console()->cmdEXECUTE_Click();
    EXPECT_FALSE(execute->isEnabled());
}

TEST_F(Console, MemDumpFromTheConsoleFillsMemoryAndTraceAndContinues) {
    cliquer("cmdLOADTALKER");
    cliquer("cmdMEMDUMP");
    EXPECT_TRUE(s.controle<QPushButton>("cmdEXECUTE")->isEnabled());
    saisir("txtADRESSE", QStringLiteral("0"));
    saisir("txtLONGUEUR", QStringLiteral("20"));
    cliquer("cmdEXECUTE");
    const QStringList lignes = s.fenetre->memoire()->area()->toPlainText().split(u'\n');
    ASSERT_GE(lignes.size(), 2);
    EXPECT_TRUE(lignes[0].startsWith("0000 CE 10 00 DC FE A7 2B E7 2D 6F 35 8E 00 E8 7E 00 "))
        << lignes[0].toStdString();
    EXPECT_TRUE(lignes[1].startsWith("0010 "));
    EXPECT_TRUE(s.fenetre->trace()->area()->toPlainText().contains("\tMemDump 0000 0020 "));
    EXPECT_EQ(champ("txtADRESSE")->text(), "0020");
    EXPECT_TRUE(s.controle<QPushButton>("cmdEXECUTE")->isEnabled()) << "ready for the next block";

    cliquer("cmdEXECUTE");
    EXPECT_TRUE(s.fenetre->memoire()->area()->toPlainText().contains("\n0020 "));
    EXPECT_EQ(champ("txtADRESSE")->text(), "0040");
}

// Execute runs what the fields show, whether the last one typed in was
// confirmed with Return or left for Execute with the mouse.
TEST_F(Console, ExecuteTakesTheFieldsAsTheyShowWithoutReturn) {
    cliquer("cmdLOADTALKER");
    cliquer("cmdMEMDUMP");
    saisir("txtADRESSE", QStringLiteral("0"));
    taper("txtLONGUEUR", QStringLiteral("40"));
    executerALaSouris();
    EXPECT_EQ(s.fenetre->memoire()->area()->toPlainText().count(u'\n'), 4) << "0x40 bytes, 16 a line";

    for (int a = 0x0200; a < 0x0220; ++a)
        s.board.poke(uint16_t(a), 0x11);
    cliquer("cmdMEMFILL");
    saisir("txtADRESSE", QStringLiteral("200"));
    taper("txtLONGUEUR", QStringLiteral("10"));
    QTest::keyClick(champ("txtLONGUEUR"), Qt::Key_Tab);
    taper("txtVALEUR", QStringLiteral("AA"));
    executerALaSouris();
    for (int a = 0x0200; a < 0x0220; ++a)
        ASSERT_EQ(s.board.peek(uint16_t(a)), a < 0x0210 ? 0xAA : 0x11) << std::hex << a;
}

// The console and the registers window go only with the main window (their
// fixed size is PremierContact.ConsoleAndRegistersKeepTheirSizeWhateverTheWindowMenuDoes).
TEST_F(Console, ConsoleAndRegistersRefuseToClose) {
    ConsoleWindow* c = s.fenetre->console();
    EXPECT_FALSE(c->close());
    EXPECT_TRUE(c->isVisible());
    auto* registres = qobject_cast<QMdiSubWindow*>(s.fenetre->registres()->parentWidget());
    ASSERT_NE(registres, nullptr);
    EXPECT_FALSE(registres->close());
    EXPECT_TRUE(registres->isVisible());
}

// Erase EEPROM asks at the click; No leaves the EEPROM, Yes erases it inside
// the progress window.
TEST_F(Console, EraseEepromAsksAtTheClickThenErases) {
    cliquer("cmdLOADTALKER");
    for (int a = 0xFE00; a <= 0xFFFF; ++a)
        s.board.poke(uint16_t(a), 0x5A);
    RepondeurMessages non;
    non.repondre(QMessageBox::No);
    cliquer("cmdErasEEPROM");
    ASSERT_EQ(non.textes.size(), 1);
    EXPECT_EQ(non.textes[0], "Etes vous Sur de Vouloir \r\nEffacer l'EEPROM ? ....\r\n");
    EXPECT_EQ(s.board.peek(0xFE00), 0x5A);
    EXPECT_FALSE(champ("txtADRESSE")->isEnabled());

    RepondeurMessages oui;
    oui.repondre(QMessageBox::Yes);
    cliquer("cmdErasEEPROM");
    EXPECT_EQ(oui.textes.size(), 1);
    for (int a = 0xFE00; a <= 0xFFFF; ++a)
        ASSERT_EQ(s.board.peek(uint16_t(a)), 0xFF) << a;
    EXPECT_EQ(s.fenetre->trace()->area()->toPlainText().count("\tErase EEPROM FE00 - FFFF"), 1);
}

// Upload BIN from the console: the save dialog names the file, the file holds
// the target's bytes, and the console is ready again.
TEST_F(Console, UploadBinSavesThroughTheSaveDialog) {
    cliquer("cmdLOADTALKER");
    cliquer("cmdUPLOADBIN");
    saisir("txtADRESSE", QStringLiteral("0"));
    taper("txtLONGUEUR", QStringLiteral("10"));
    const QString chemin = s.dir.filePath(QStringLiteral("T.BIN"));
    PiloteModal<QFileDialog> dialogue([&](QFileDialog* d) {
        d->selectFile(chemin);
        static_cast<QDialog*>(d)->accept();
    });
    RepondeurMessages ok;
    ok.repondre(QMessageBox::Ok);
    executerALaSouris();
    EXPECT_TRUE(dialogue.vu);
    QFile f(chemin);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray::fromHex("CE1000DCFEA72BE72D6F358E00E87E00"));
    EXPECT_EQ(ok.textes, QStringList{"Fichier Sauvegard\u00e9 :\r\n" + chemin});
    EXPECT_TRUE(s.controle<QPushButton>("cmdEXECUTE")->isEnabled());
}

// CONFIG... reads the register into its boxes, each saying what its bit does;
// unticking NOCOP makes $FB, and Programmer writes the cell and says the value
// reads back only after RESET.
TEST_F(Console, ConfigWindowShowsTheBitsAndProgramsForTheNextReset) {
    cliquer("cmdLOADTALKER");
    s.controle<QAction>("mnuViewConfig")->trigger();
    ASSERT_TRUE(s.controle<QWidget>("frmConfig"));
    EXPECT_EQ(s.controle<QLabel>("lblConfigLu")->text(), "CONFIG lu : $FF (68HC11F1)");
    auto* nocop = s.controle<QCheckBox>("chkNOCOP");
    EXPECT_TRUE(nocop->isChecked());
    EXPECT_EQ(nocop->text(), "NOCOP : chien de garde COP arr\u00eat\u00e9");
    EXPECT_FALSE(s.controle<QPushButton>("cmdConfigProgrammer")->isEnabled()) << "nothing to change yet";
    nocop->setChecked(false);
    EXPECT_EQ(nocop->text(), "NOCOP : chien de garde COP en marche (modes normaux)");
    EXPECT_EQ(s.controle<QCheckBox>("chkEE0")->text(), "EE0 : EEPROM en $FE00");
    EXPECT_EQ(s.controle<QLabel>("lblConfigNouvelle")->text(), "Valeur \u00e0 programmer : $FB");

    RepondeurMessages ok;
    ok.repondre(QMessageBox::Ok);
    cliquer("cmdConfigProgrammer");
    ASSERT_EQ(ok.textes.size(), 1);
    EXPECT_TRUE(ok.textes[0].contains("encore $FF, ce qui est normal")) << ok.textes[0].toStdString();
    EXPECT_EQ(s.board.eeprom().configCell(), 0xFB);

    // RESET and Load Talker: the new value is read, and the window shows it.
    s.board.resetBootstrap();
    cliquer("cmdLOADTALKER");
    EXPECT_EQ(s.controle<QLabel>("lblConfigLu")->text(), "CONFIG lu : $FB (68HC11F1)");
}
