// The files window and the File commands on the simulated board: opening a
// source and its companions, the recent list, Save and Save As, the questions
// about unsaved edits, Compile around its operation, the trace's links into the
// source, the listing following the stop PC, and printing a tab.
#include "gui_fixture.h"
#include "operations/compilation.h"
#include "operations/console_command_table.h"
#include "operations/talker_link.h"
#include "printed_text.h"
#include "ui/console_window.h"
#include "ui/file_commands.h"
#include "ui/files_window.h"
#include "ui/lab_check_command.h"
#include "ui/registers_window.h"
#include "ui/rich_text_area.h"
#include "ui/source_area.h"
#include "ui/trace_window.h"

#include <QAction>
#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QMdiArea>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

const QByteArray Source = "* blink\r\nSTART LDS #$FF\r\nLOOP  LDAA #$55\r\n      BRA LOOP\r\n";
const QByteArray Listing = "    1                  * blink\n"
                           "    2 1000 8E 00 FF    START LDS #$FF\n"
                           "    3 1003 86 55       LOOP  LDAA #$55\n"
                           "    4 1005 20 FC             BRA LOOP\n";

class Fichiers : public ::testing::Test {
protected:
    void SetUp() override {
        s.fenetre->demarrer();
        c = s.fenetre->commandesFichier();
        f = s.fenetre->fichiers();
        c->dialogues.ouvrir = [this](QWidget*, const QString&, const QString&) {
            ++ouvertures;
            return aOuvrir;
        };
        c->dialogues.enregistrer = [this](QWidget*, const QString&) {
            ++enregistrements;
            return aEnregistrer;
        };
    }
    QString chemin(const QString& nom) const { return dossier.filePath(nom); }
    QString ecrire(const QString& nom, const QByteArray& contenu) {
        QFile fichier(chemin(nom));
        EXPECT_TRUE(fichier.open(QIODevice::WriteOnly));
        fichier.write(contenu);
        return fichier.fileName();
    }
    QByteArray lire(const QString& nom) const {
        QFile fichier(chemin(nom));
        return fichier.open(QIODevice::ReadOnly) ? fichier.readAll() : QByteArray("<absent>");
    }
    void ouvrir(const QString& nom) {
        aOuvrir = chemin(nom);
        action("mnuFileOpen")->trigger();
    }
    QAction* action(const char* nom) const { return s.controle<QAction>(nom); }
    QStringList legendes() const {
        QStringList l;
        for (int i = 0; i < 4; ++i)
            l << f->onglets()->tabText(i);
        return l;
    }
    void taper(const QString& texte) {
        f->source()->setFocus();
        f->source()->moveCursor(QTextCursor::End);
        QTest::keyClicks(f->source(), texte);
    }
    QString recents(int i) const { return s.fenetre->session().config.FichiersRecents[size_t(i)]; }

    GuiSession s;
    QTemporaryDir dossier;
    FileCommands* c = nullptr;
    FilesWindow* f = nullptr;
    QString aOuvrir, aEnregistrer;
    int ouvertures = 0, enregistrements = 0;
};

} // namespace

TEST_F(Fichiers, OpenFindsTheCompanionsByBaseName) {
    EXPECT_FALSE(action("tbrCompile")->isEnabled());
    ecrire("TEST.A11", Source);
    ecrire("TEST.LST", Listing);
    ecrire("TEST.SYM", "LOOP 1003\nSTART 1000\n");
    ecrire("TEST.S19", "S00600004844521B\nS1071000CE10008601A3\nS9031000EC\n");
    ouvrir("TEST.A11");
    EXPECT_EQ(legendes(), QStringList({"TEST.S19", "TEST.LST", "TEST.A11", "TEST.SYM"}));
    EXPECT_FALSE(f->sourceModifiee());
    const EtatFichiers& e = s.fenetre->session().fichiers;
    EXPECT_EQ(e.FichierASM, chemin("TEST.A11"));
    EXPECT_EQ(e.NbOctetsS19, 5);
    EXPECT_TRUE(s.fenetre->session().console.s19Present);
    EXPECT_TRUE(action("tbrCompile")->isEnabled());
    // Load S19 needs the S-records and the Talker.
    auto* chargerS19 = s.controle<QPushButton>("cmdLOADS19");
    EXPECT_FALSE(chargerS19->isEnabled()) << "no Talker yet";
    s.controle<QPushButton>("cmdLOADTALKER")->click();
    ASSERT_TRUE(s.fenetre->session().liaison.talkerPresent);
    EXPECT_TRUE(chargerS19->isEnabled());

    // Two dots: the base name is PROG and V2.ASM is no source extension, so
    // the source tab stays empty while PROG's products are shown.
    ecrire("PROG.V2.ASM", Source);
    ecrire("PROG.LST", Listing);
    ouvrir("PROG.V2.ASM");
    EXPECT_EQ(legendes(), QStringList({"S19", "PROG.LST", "ASM", "SYM"}));
    EXPECT_TRUE(f->source()->toPlainText().isEmpty());
    EXPECT_FALSE(s.fenetre->session().console.s19Present);
    EXPECT_FALSE(chargerS19->isEnabled());

    // A cancelled dialog changes nothing; the window stays while the program runs.
    aOuvrir.clear();
    action("mnuFileOpen")->trigger();
    EXPECT_EQ(legendes()[FilesWindow::OngletLST], "PROG.LST");
    EXPECT_FALSE(f->parentWidget()->close());
    ouvrir("TEST.A11");
    EXPECT_TRUE(chargerS19->isEnabled());
}

TEST_F(Fichiers, RecentListTicksAKnownFileAndDropsTheOldestForAFifth) {
    for (const char* n : {"A.ASM", "B.ASM", "C.ASM", "D.ASM", "E.ASM"})
        ecrire(QLatin1String(n), Source);
    for (const char* n : {"A.ASM", "B.ASM", "C.ASM", "D.ASM"})
        ouvrir(QLatin1String(n));
    // Known: only the tick moves.
    ouvrir("B.ASM");
    EXPECT_EQ(recents(0), chemin("D.ASM"));
    EXPECT_TRUE(action("mnuFileMRU(2)")->isChecked());
    EXPECT_FALSE(action("mnuFileMRU(0)")->isChecked());
    ouvrir("E.ASM");
    EXPECT_EQ(recents(0), chemin("E.ASM"));
    EXPECT_EQ(recents(1), chemin("D.ASM"));
    EXPECT_EQ(recents(3), chemin("B.ASM")) << "A, the oldest, is gone";

    // An item opens its file without reordering the list.
    action("mnuFileMRU(2)")->trigger();
    EXPECT_EQ(s.fenetre->session().fichiers.FichierASM, chemin("C.ASM"));
    EXPECT_EQ(recents(0), chemin("E.ASM"));
    EXPECT_TRUE(action("mnuFileMRU(2)")->isChecked());
}

TEST_F(Fichiers, SaveAsMakesTheNewFileTheSourceAndSaveFallsBackToIt) {
    // An S-record file alone: no source, so Save asks for a name.
    ecrire("OLD.S19", "S1071000CE10008601A3\n");
    ouvrir("OLD.S19");
    EXPECT_EQ(legendes()[FilesWindow::OngletASM], "ASM");
    taper("      NOP");
    aEnregistrer = chemin("NEW");
    action("mnuFileSave")->trigger();
    EXPECT_EQ(enregistrements, 1);
    EXPECT_EQ(lire("NEW.ASM"), "      NOP");
    EXPECT_EQ(legendes(), QStringList({"S19", "LST", "NEW.ASM", "SYM"})) << "OLD.S19 is not NEW's";
    EXPECT_EQ(recents(0), chemin("NEW.ASM"));

    // Save As of an opened CRLF source, then Save: the new file gets the edit
    // with its CR LF line ends, the old one is left as it was.
    ecrire("FIRST.ASM", Source);
    ouvrir("FIRST.ASM");
    aEnregistrer = chemin("SECOND.ASM");
    action("mnuFileSaveAs")->trigger();
    taper("\tEND");
    action("mnuFileSave")->trigger();
    EXPECT_EQ(enregistrements, 2) << "Save wrote without asking";
    EXPECT_EQ(lire("SECOND.ASM"), Source + "\tEND");
    EXPECT_EQ(lire("FIRST.ASM"), Source);
    EXPECT_FALSE(f->sourceModifiee());

    // A name whose base name would not lead back to it is refused.
    RepondeurMessages r;
    r.repondre(QMessageBox::Ok);
    aEnregistrer = chemin("THIRD.V2.ASM");
    action("mnuFileSaveAs")->trigger();
    EXPECT_EQ(r.textes.size(), 1);
    EXPECT_EQ(lire("THIRD.V2.ASM"), "<absent>");
    EXPECT_EQ(s.fenetre->session().fichiers.FichierASM, chemin("SECOND.ASM"));

    // A name that leads to a pipe (standing in for a device node) is refused
    // with the reason, and the pipe stays.
    ASSERT_EQ(::mkfifo(QFile::encodeName(chemin("TUBE.ASM")).constData(), 0644), 0);
    r.repondre(QMessageBox::Ok);
    aEnregistrer = chemin("TUBE.ASM");
    action("mnuFileSaveAs")->trigger();
    ASSERT_EQ(r.textes.size(), 2);
    EXPECT_EQ(r.textes[1], "Impossible d'enregistrer : " + chemin("TUBE.ASM") +
                               " n'est pas un fichier ordinaire (un tube nomm\u00e9)");
    EXPECT_FALSE(QFileInfo(chemin("TUBE.ASM")).isFile());
    EXPECT_EQ(s.fenetre->session().fichiers.FichierASM, chemin("SECOND.ASM"));
}

TEST_F(Fichiers, UnsavedEditsAreAskedAboutBeforeOpenNewAndQuit) {
    ecrire("ONE.ASM", Source);
    ecrire("TWO.ASM", "      SWI\n");
    ouvrir("ONE.ASM");
    // Typing enables Compile again; the Tab key writes a tab.
    action("mnuFileCompile")->setEnabled(false);
    taper("      RTS");
    QTest::keyClick(f->source(), Qt::Key_Tab);
    EXPECT_TRUE(action("tbrCompile")->isEnabled());
    RepondeurMessages r;

    r.repondre(QMessageBox::Cancel);
    ouvrir("TWO.ASM");
    EXPECT_EQ(ouvertures, 1) << "Annuler: no dialog";
    r.repondre(QMessageBox::Cancel);
    EXPECT_FALSE(s.fenetre->quitter());
    EXPECT_TRUE(f->source()->toPlainText().endsWith("RTS\t"));

    r.repondre(QMessageBox::Yes);
    ouvrir("TWO.ASM");
    EXPECT_EQ(lire("ONE.ASM"), Source + "      RTS\t");
    EXPECT_EQ(f->source()->toPlainText(), "      SWI\n");

    taper("      NOP");
    r.repondre(QMessageBox::No);
    action("mnuFileNew")->trigger();
    EXPECT_EQ(lire("TWO.ASM"), "      SWI\n");
    EXPECT_EQ(legendes(), QStringList({"S19", "LST", "ASM", "SYM"}));
    EXPECT_EQ(r.textes.size(), 4);
    // A new text's first Save asks for a name rather than writing over TWO.
    taper("      WAI");
    aEnregistrer.clear();
    action("mnuFileSave")->trigger();
    EXPECT_EQ(enregistrements, 1);
    EXPECT_EQ(lire("TWO.ASM"), "      SWI\n");
}

TEST_F(Fichiers, CompileAsksToSaveFirstAndDisablesItselfWhenTold) {
    ecrire("C.ASM", Source);
    ouvrir("C.ASM");
    QList<QByteArray> surDisque;
    bool resultat = true;
    c->compilateur = [&](Session& session, const std::function<void()>& recharger) {
        surDisque << lire("C.ASM");
        ecrire("C.LST", Listing);
        session.ecran().append(Zone::Trace,
                               QStringLiteral("\r\nC.ASM(3): error: bad operand\r\n"
                                              "C.ASM:4: warning: far\r\nfin\r\n"),
                               couleur::Vert, true);
        recharger();
        BilanCompilation b;
        b.actif = resultat;
        return b;
    };
    RepondeurMessages r;

    taper("      NOP");
    r.repondre(QMessageBox::Cancel);
    action("mnuFileCompile")->trigger();
    EXPECT_TRUE(surDisque.isEmpty());

    // Non: the file as it is on disk, and the edits stay in the tab.
    resultat = false;
    r.repondre(QMessageBox::No);
    action("mnuFileCompile")->trigger();
    ASSERT_EQ(surDisque.size(), 1);
    EXPECT_EQ(surDisque[0], Source);
    EXPECT_TRUE(f->source()->toPlainText().endsWith("NOP"));
    EXPECT_EQ(legendes()[FilesWindow::OngletLST], "C.LST");
    EXPECT_FALSE(action("tbrCompile")->isEnabled());

    resultat = true;
    taper(" ");
    r.repondre(QMessageBox::Yes);
    action("mnuFileCompile")->trigger();
    ASSERT_EQ(surDisque.size(), 2);
    EXPECT_EQ(surDisque[1], Source + "      NOP ");
    EXPECT_FALSE(f->sourceModifiee());
    EXPECT_TRUE(action("mnuFileCompile")->isEnabled());

    // The report's lines that name a source line are links.
    RichTextArea* trace = s.fenetre->trace()->area();
    int liens = 0;
    for (const QTextEdit::ExtraSelection& e : trace->extraSelections())
        liens += e.format.fontUnderline() ? 1 : 0;
    EXPECT_EQ(liens, 4) << "two lines in each of two reports";
    const QTextBlock erreur = trace->document()->findBlock(int(trace->toPlainText().lastIndexOf("C.ASM(3)")));
    f->onglets()->setCurrentIndex(FilesWindow::OngletS19);
    QTextCursor debut(erreur);
    debut.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
    QTest::mouseClick(trace->viewport(), Qt::LeftButton, {}, trace->cursorRect(debut).center());
    EXPECT_EQ(f->onglets()->currentIndex(), FilesWindow::OngletASM);
    EXPECT_EQ(f->source()->textCursor().blockNumber(), 2);
}

TEST_F(Fichiers, TheStopPcShowsItsListingLine) {
    ecrire("L.ASM", Source);
    ecrire("L.LST", Listing);
    ouvrir("L.ASM");
    f->onglets()->setCurrentIndex(FilesWindow::OngletASM);
    ASSERT_EQ(s.fenetre->ecran().panel(QStringLiteral("Cible")), CibleStop);
    // As the stopped target's display writes it: the line in both tabs, the
    // source in front.
    s.fenetre->ecran().setText(QStringLiteral("tbRegPC"), QStringLiteral("1003"));
    EXPECT_EQ(f->onglets()->currentIndex(), FilesWindow::OngletASM);
    RichTextArea* listing = f->zone(FilesWindow::OngletLST);
    for (RichTextArea* a : {listing, static_cast<RichTextArea*>(f->source())}) {
        ASSERT_EQ(a->extraSelections().size(), 1);
        EXPECT_EQ(a->extraSelections()[0].cursor.blockNumber(), 2);
    }
    // The listing in front stays in front.
    f->onglets()->setCurrentIndex(FilesWindow::OngletLST);
    s.fenetre->ecran().setText(QStringLiteral("tbRegPC"), QStringLiteral("1005"));
    EXPECT_EQ(f->onglets()->currentIndex(), FilesWindow::OngletLST);
    EXPECT_EQ(f->source()->extraSelections()[0].cursor.blockNumber(), 3);
    // An address the listing does not hold: the highlights go, the tab stays.
    f->onglets()->setCurrentIndex(FilesWindow::OngletASM);
    s.fenetre->ecran().setText(QStringLiteral("tbRegPC"), QStringLiteral("E000"));
    EXPECT_EQ(f->onglets()->currentIndex(), FilesWindow::OngletASM);
    EXPECT_TRUE(listing->extraSelections().isEmpty());
    EXPECT_TRUE(f->source()->extraSelections().isEmpty());
}

// Printing a tab: the title line and an empty line before the first copy
// only, then the whole text in each copy, in black, in Courier New bold since
// the areas' Fixedsys is nowhere to be found.
TEST_F(Fichiers, PrintGivesTheFirstCopyTheTitleAndEveryCopyTheWholeTextInBlack) {
    ecrire("P.ASM", Source);
    ecrire("P.LST", Listing);
    ouvrir("P.ASM");
    // Page Setup chooses the printer and its settings for the later prints.
    c->dialogues.imprimante = [&](QWidget*, QPrinter& printer, bool) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setCopyCount(2);
        return true;
    };
    action("mnuFilePageSetup")->trigger();
    bool selectionOfferte = false;
    c->dialogues.imprimante = [&](QWidget*, QPrinter&, bool selection) {
        selectionOfferte = selection;
        return true;
    };
    QStringList pdfs;
    c->avantCopie = [&](QPrinter& printer, int copie) {
        pdfs << chemin(QStringLiteral("copie%1.pdf").arg(copie));
        printer.setOutputFileName(pdfs.last());
    };
    const auto texte = [](const QString& pdf) { return texteImprime(pdf); };
    QStringList listing;
    for (const QString& l : QString::fromLatin1(Listing).trimmed().split(u'\n'))
        listing << l.simplified();
    f->onglets()->setCurrentIndex(FilesWindow::OngletLST);
    action("mnuFilePrint")->trigger();
    ASSERT_EQ(pdfs.size(), 2);
    EXPECT_EQ(texte(pdfs[0]), QStringList({"P.LST", ""}) + listing);
    EXPECT_EQ(texte(pdfs[1]), listing) << "no title before the second copy";

    // The S19 view is coloured on black: its printout is black on white.
    ecrire("P.S19", "S1071000CE10008601A3\nS9031000EC\n");
    ouvrir("P.ASM");
    pdfs.clear();
    f->onglets()->setCurrentIndex(FilesWindow::OngletS19);
    action("mnuFilePrint")->trigger();
    ASSERT_EQ(pdfs.size(), 2);
    EXPECT_EQ(texte(pdfs[0]).mid(2).join(u' '), "S1 07 1000 CE 10 00 86 01 A3 S9 03 1000 EC");
    QProcess polices;
    polices.start(QStandardPaths::findExecutable(QStringLiteral("pdffonts")), {pdfs[0]});
    ASSERT_TRUE(polices.waitForFinished(30000));
    EXPECT_TRUE(polices.readAllStandardOutput().contains("LiberationMono-Bold"));
    QProcess image;
    image.start(QStandardPaths::findExecutable(QStringLiteral("pdftoppm")),
                {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-png"),
                 QStringLiteral("-singlefile"), pdfs[0], chemin(QStringLiteral("page"))});
    ASSERT_TRUE(image.waitForFinished(30000));
    const QImage page(chemin(QStringLiteral("page.png")));
    ASSERT_FALSE(page.isNull());
    int encre = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            ASSERT_TRUE(c.red() == c.green() && c.green() == c.blue()) << x << "," << y << " is coloured";
            encre += c.red() < 128 ? 1 : 0;
        }
    EXPECT_GT(encre, 20) << "the text is printed";

    // A selection in the source is offered, yet the whole source is printed.
    pdfs.clear();
    f->onglets()->setCurrentIndex(FilesWindow::OngletASM);
    QTextCursor deux(f->source()->document()->findBlockByNumber(1));
    deux.select(QTextCursor::BlockUnderCursor);
    f->source()->setTextCursor(deux);
    action("tbrPrint")->trigger();
    EXPECT_TRUE(selectionOfferte);
    ASSERT_EQ(pdfs.size(), 2);
    EXPECT_EQ(texte(pdfs[0]).size(), 6) << "the title, an empty line and the four lines";
    EXPECT_EQ(texte(pdfs[1]).size(), 4) << "the four lines";
}

// Load *.S19 programs the S-record file the files window shows.
TEST_F(Fichiers, LoadS19ProgramsTheFileShown) {
    QFile exemple(QStringLiteral(TESSALINE_EXAMPLES "/compteur.s19"));
    ASSERT_TRUE(exemple.open(QIODevice::ReadOnly));
    ecrire("S.ASM", Source);
    ecrire("S.S19", exemple.readAll());
    ouvrir("S.ASM");
    s.controle<QPushButton>("cmdLOADTALKER")->click();
    s.controle<QPushButton>("cmdLOADS19")->click();
    s.controle<QPushButton>("cmdEXECUTE")->click();
    EXPECT_EQ(s.board.peek(0xFE00), 0x0E);
    EXPECT_EQ(s.board.peek(0xFE22), 0x39);
    EXPECT_EQ(s.board.peek(0xFE23), 0xFF) << "nothing past the records";
}

// A compile with errors says so in the files window's own bar; the S19 tab
// warns while the source is newer than its S-records; File > New greys Load
// *.S19 and drops it when it was the command chosen.
TEST_F(Fichiers, AFailedCompileIsToldInTheWindowAndAnOldS19IsMarked) {
    QFile exemple(QStringLiteral(TESSALINE_EXAMPLES "/compteur.s19"));
    ASSERT_TRUE(exemple.open(QIODevice::ReadOnly));
    ecrire("K.ASM", Source);
    ecrire("K.S19", exemple.readAll());
    // The S-records written after the source: up to date.
    const QDateTime avant = QDateTime::currentDateTime().addSecs(-60);
    QFile source(chemin("K.ASM"));
    ASSERT_TRUE(source.open(QIODevice::ReadWrite));
    ASSERT_TRUE(source.setFileTime(avant, QFileDevice::FileModificationTime));
    source.close();
    ouvrir("K.ASM");
    auto* bandeau = f->findChild<QWidget*>("lblS19Ancien");
    ASSERT_NE(bandeau, nullptr);
    EXPECT_FALSE(f->s19Ancien());
    EXPECT_TRUE(bandeau->isHidden());

    // An edit not compiled yet: the tab says so, and so does a source saved
    // after the S-records.
    taper("      NOP");
    EXPECT_TRUE(f->s19Ancien());
    EXPECT_FALSE(bandeau->isHidden());
    action("mnuFileSave")->trigger();
    EXPECT_FALSE(f->sourceModifiee());
    EXPECT_TRUE(f->s19Ancien()) << "the source file is newer than K.S19";

    BilanCompilation bilan;
    bilan.lance = bilan.termine = true;
    bilan.statut = 1;
    bilan.lignesErreur = 2;
    c->compilateur = [&](Session&, const std::function<void()>& recharger) {
        recharger();
        return bilan;
    };
    action("mnuFileCompile")->trigger();
    EXPECT_TRUE(f->texteBilanCompilation().startsWith("Erreurs de compilation"));
    EXPECT_TRUE(f->s19Ancien()) << "the products are still the old ones";

    // File > New: Load *.S19 greyed, and no longer the chosen command.
    s.controle<QPushButton>("cmdLOADTALKER")->click();
    auto* chargerS19 = s.controle<QPushButton>("cmdLOADS19");
    ASSERT_TRUE(chargerS19->isEnabled());
    chargerS19->click();
    EXPECT_EQ(s.fenetre->session().console.CmdCourante, code::LoadS19);
    action("mnuFileNew")->trigger();
    EXPECT_FALSE(chargerS19->isEnabled());
    EXPECT_NE(s.fenetre->session().console.CmdCourante, code::LoadS19);
    EXPECT_FALSE(s.controle<QPushButton>("cmdEXECUTE")->isEnabled());
    EXPECT_TRUE(f->texteBilanCompilation().isEmpty());
    EXPECT_FALSE(f->s19Ancien());
}

TEST(FichiersRestart, PlaceAndRecentListComeBackFromTheSettingsAndGoBackToThem) {
    QTemporaryDir dossier;
    const QString ancien = dossier.filePath(QStringLiteral("OLD.ASM"));
    const QString nouveau = dossier.filePath(QStringLiteral("NEW.ASM"));
    for (const QString& chemin : {ancien, nouveau}) {
        QFile f(chemin);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Source);
    }
    GuiSession s(QStringLiteral("[Config]\nTimeout=20\n[Settings]\nfrmFichiersLeft=1500\nfrmFichiersTop=300\n"
                                "frmFichiersWidth=6000\nfrmFichiersHeight=4500\n[File]\nFile1=") +
                 ancien + u'\n');
    s.fenetre->demarrer();
    QWidget* cadre = s.fenetre->fichiers()->parentWidget();
    EXPECT_EQ(cadre->geometry(), QRect(100, 20, 400, 300));
    EXPECT_FALSE(s.controle<QAction>("mnuFileMRU(1)")->isVisible());

    s.fenetre->commandesFichier()->dialogues.ouvrir = [&](QWidget*, const QString&, const QString&) {
        return nouveau;
    };
    s.controle<QAction>("mnuFileOpen")->trigger();
    cadre->move(150, 20);
    RepondeurMessages r;
    r.repondre(QMessageBox::Yes);
    EXPECT_TRUE(s.fenetre->close());
    EXPECT_EQ(r.textes.size(), 1) << "only the exit question: nothing was edited";
    QSettings relu(s.fichier(), QSettings::IniFormat);
    EXPECT_EQ(relu.value(QStringLiteral("File/File1")).toString(), nouveau);
    EXPECT_EQ(relu.value(QStringLiteral("File/File2")).toString(), ancien);
    EXPECT_EQ(relu.value(QStringLiteral("Settings/frmFichiersLeft")).toString(), "2250");
}

TEST(FichiersRestart, ALayoutStoredWithoutTheFilesWindowLeavesTheConsoleUncovered) {
    GuiSession s(
        QStringLiteral("[Config]\nTimeout=20\n[Settings]\nMainWidth=15000\nMainHeight=9000\n"
                       "frmDocumentLeft=0\nfrmDocumentTop=0\nfrmRegistresLeft=9750\nfrmRegistresTop=0\n"));
    s.fenetre->demarrer();
    const QRect fichiers = s.fenetre->fichiers()->parentWidget()->geometry();
    const QRect zone = s.controle<QMdiArea>("mdiArea")->viewport()->rect();
    EXPECT_TRUE(zone.contains(fichiers));
    for (QWidget* autre :
         {static_cast<QWidget*>(s.fenetre->console()), static_cast<QWidget*>(s.fenetre->registres())})
        EXPECT_FALSE(fichiers.intersects(autre->parentWidget()->geometry()))
            << autre->objectName().toStdString();
}

// Fichier > Vérifier avec… runs the chaser lab on the open source, edits included, and
// writes its lines in the trace; the windows stay live while it runs.
TEST_F(Fichiers, CheckWithRunsALabOnTheOpenSourceAndReportsInTheTrace) {
    QFile sansCop(QStringLiteral(TESSALINE_EXAMPLES "/labs/chenillard/submissions/sans_cop.asm"));
    ASSERT_TRUE(sansCop.open(QIODevice::ReadOnly));
    ecrire("CHASER.ASM", sansCop.readAll());
    ouvrir("CHASER.ASM");
    aOuvrir = QStringLiteral(TESSALINE_EXAMPLES "/labs/chenillard/lab.toml");
    RichTextArea* trace = s.fenetre->trace()->area();
    CommandeVerification* v = s.fenetre->commandeVerification();
    QSignalSpy fin(v, &CommandeVerification::terminee);
    action("mnuFileCheck")->trigger();
    EXPECT_FALSE(action("mnuFileCheck")->isEnabled());
    ASSERT_TRUE(fin.wait(30'000));
    EXPECT_TRUE(action("mnuFileCheck")->isEnabled());
    const QString texte = trace->toPlainText();
    EXPECT_TRUE(
        texte.contains(QStringLiteral("Vérification « TP chenillard » (lab.toml) de CHASER.ASM sur la carte "
                                      "simulée (68HC11F1, quartz 8 MHz) :")))
        << texte.toStdString();
    EXPECT_TRUE(texte.contains(QStringLiteral("RÉUSSI  CHASER.ASM : période  6/6")));
    EXPECT_TRUE(
        texte.contains(QStringLiteral("ÉCHEC   CHASER.ASM : COP servi  0/3  le COP a remis la puce à zéro")));
    EXPECT_TRUE(texte.contains(QStringLiteral("les 50 dernières instructions")));
    EXPECT_TRUE(texte.contains(QStringLiteral("TOTAL   CHASER.ASM : 11/14")));

    // An edit not yet saved is what is checked: the COP fed again, every case passes.
    QTextCursor curseur = f->source()->document()->find(QStringLiteral("boucle  BRA     boucle"));
    ASSERT_FALSE(curseur.isNull());
    curseur.insertText(
        QStringLiteral("boucle  LDAA #$55\n STAA $103A\n LDAA #$AA\n STAA $103A\n BRA boucle"));
    action("mnuFileCheck")->trigger();
    ASSERT_TRUE(fin.wait(30'000));
    EXPECT_TRUE(trace->toPlainText().contains(QStringLiteral("RÉUSSI  CHASER.ASM : COP servi  3/3")));
    EXPECT_TRUE(trace->toPlainText().endsWith(QStringLiteral("TOTAL   CHASER.ASM : 14/14\n")))
        << trace->toPlainText().right(200).toStdString();

    // A check file the reader refuses: its line, and nothing run.
    aOuvrir = ecrire("FAUX.TOML", "limite = 10\n[[cas]]\nnom = 3\n");
    action("mnuFileCheck")->trigger();
    EXPECT_EQ(fin.size(), 3);
    EXPECT_TRUE(trace->toPlainText().contains(
        QStringLiteral("FAUX.TOML:3: nom doit être un texte entre guillemets")));
}
