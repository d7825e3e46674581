// The options dialog: profiles, memory fields, link settings, assembler files,
// what OK commits, and the Talker download after a change of crystal.
#include "gui_fixture.h"
#include "link/qt_event_clock.h"
#include "link/qt_serial_line.h"
#include "operations/session_config.h"
#include "recording_screen.h"
#include "scripted_serial_line.h"
#include "ui/options_dialog.h"
#include "virtual_clock.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

const QString Incorrect = QStringLiteral("Donn\u00e9es Incorrectes");

// What a click in a list does: the item becomes current and is activated.
void choisir(QComboBox* c, const QString& texte) {
    const int i = c->findText(texte);
    ASSERT_GE(i, 0) << texte.toStdString();
    c->setCurrentIndex(i);
    emit c->activated(i);
}

// The dialog over a plain session: a scripted line, virtual time, and a
// screen that records beeps and answers message boxes.
class Options : public ::testing::Test {
protected:
    Options() {
        horloge.addSource(&ligne);
        IniComboHard(session);
        session.config.Timeout = 1000;
    }
    OptionsDialog& ouvrir() {
        dialogue = std::make_unique<OptionsDialog>(session);
        dialogue->show();
        return *dialogue;
    }
    template <class T>
    T* w(const char* nom) {
        T* t = dialogue->findChild<T*>(QLatin1String(nom));
        EXPECT_NE(t, nullptr) << nom;
        return t;
    }
    QLineEdit* champ(const char* nom) { return w<QLineEdit>(nom); }
    QComboBox* liste(const char* nom) { return w<QComboBox>(nom); }
    void cliquer(const char* nom) { w<QPushButton>(nom)->click(); }
    // Types `texte` in place of the field's characters from `debut` on.
    void remplacer(QLineEdit* e, int debut, const QString& texte) {
        e->setSelection(debut, static_cast<int>(e->text().size()) - debut);
        QTest::keyClicks(e, texte);
    }
    QLineEdit* nomProfil() { return liste("cmbHardware")->lineEdit(); }

    ScriptedSerialLine ligne;
    VirtualClock horloge;
    RecordingScreen ecran;
    Session session{ligne, horloge, ecran};
    std::unique_ptr<OptionsDialog> dialogue;
};

} // namespace

// The rate lists come from the crystal table; a rate the new crystal does not
// offer falls back to 600 at once, one it offers is kept.
TEST_F(Options, ChangeOfCrystalKeepsTheRateWhenOfferedElseFallsBack) {
    session.config.Baud = 2400;
    ouvrir();
    choisir(liste("cmbQuartz"), QStringLiteral("2"));
    EXPECT_EQ(liste("cmbBaud")->currentText(), "2400");
    choisir(liste("cmbQuartz"), QStringLiteral("16"));
    choisir(liste("cmbBaud"), QStringLiteral("19200"));
    choisir(liste("cmbQuartz"), QStringLiteral("4"));
    EXPECT_EQ(liste("cmbBaud")->currentText(), "600") << "19200 is not offered at 4 MHz";
    EXPECT_EQ(session.config.Baud, 600) << "the fall-back reaches the configuration at once";
    choisir(liste("cmbBaud"), QStringLiteral("4800"));
    cliquer("cmdOK");
    EXPECT_EQ(session.config.Quartz, "4");
    EXPECT_EQ(session.config.Baud, 4800);
}

TEST_F(Options, MemoryFieldsCheckTheEndAgainstTheLastAddress) {
    ouvrir();
    QLineEdit* taille = champ("txtTailleEeprom");
    remplacer(taille, 2, QStringLiteral("2"));
    EXPECT_EQ(champ("txtFinEeprom")->text(), "FFFF") << "512 bytes at FE00 end at FFFF";
    EXPECT_TRUE(ecran.messages.isEmpty());

    remplacer(taille, 2, QStringLiteral("3"));
    QTest::keyClick(taille, Qt::Key_Return);
    ASSERT_EQ(ecran.messages.size(), 1) << "513 bytes would pass FFFF";
    EXPECT_EQ(ecran.messages[0].text, Incorrect);
    EXPECT_EQ(taille->selectedText(), "512");
    EXPECT_EQ(champ("txtFinEeprom")->text(), "FFFF");

    // A start moves the end with it; Backspace is a typed key, Enter is not.
    remplacer(champ("txtDepartEEprom"), 0, QStringLiteral("b600"));
    EXPECT_EQ(champ("txtDepartEEprom")->text(), "B600");
    EXPECT_EQ(champ("txtFinEeprom")->text(), "B7FF");
    QTest::keyClick(champ("txtTailleRam"), Qt::Key_End);
    QTest::keyClick(champ("txtTailleRam"), Qt::Key_Backspace);
    EXPECT_EQ(champ("txtFinRam")->text(), "0065") << "102 bytes";
    QTest::keyClick(champ("txtTailleRam"), Qt::Key_Return);
    EXPECT_EQ(champ("txtTailleRam")->text(), "102");
    remplacer(champ("txtTailleRam"), 0, QStringLiteral("0"));
    QTest::keyClick(champ("txtTailleRam"), Qt::Key_Return);
    EXPECT_EQ(ecran.messages.size(), 2) << "a block holds one byte at least";
    EXPECT_EQ(champ("txtTailleRam")->text(), "102");

    cliquer("cmdOK");
    EXPECT_EQ(session.config.DepartEEprom, 0xB600);
    EXPECT_EQ(session.config.TailleRam, 102);
    EXPECT_EQ(session.profils[2].DepartEEprom, 0xB600) << "the selected profile follows";
    EXPECT_EQ(session.profils[2].TailleRam, 102);
}

TEST_F(Options, MemoryKeysAreDigitsOfTheFieldsBase) {
    ouvrir();
    struct Cas {
        const char* champ;
        const char* touches;
        const char* texte;
        int bips;
    };
    const Cas cas[] = {
        {"txtDepartRam", "a", "A", 0},  {"txtDepartRam", "g", "", 1},      {"txtDepartEEprom", "fG", "F", 1},
        {"txtTailleRam", "1a", "1", 1}, {"txtTailleEeprom", "9g", "9", 0},
    };
    for (const Cas& c : cas) {
        QLineEdit* e = champ(c.champ);
        e->clear();
        const int bips = ecran.beeps;
        QTest::keyClicks(e, QLatin1String(c.touches));
        EXPECT_EQ(e->text(), QLatin1String(c.texte)) << c.champ << " " << c.touches;
        EXPECT_EQ(ecran.beeps - bips, c.bips) << c.champ << " " << c.touches;
    }
    EXPECT_TRUE(ecran.messages.isEmpty());
}

TEST_F(Options, OnlyAddedProfilesAreRenamedAndDeleted) {
    ouvrir();
    QPushButton* supprimer = w<QPushButton>("cmdDELType");
    // The last built-in profile, next to the first added one.
    choisir(liste("cmbHardware"), QStringLiteral("68HC11811E2"));
    EXPECT_FALSE(supprimer->isEnabled());
    cliquer("cmdDELType");
    nomProfil()->selectAll();
    QTest::keyClicks(nomProfil(), QStringLiteral("Autre"));
    QTest::keyClick(nomProfil(), Qt::Key_Return);
    EXPECT_EQ(liste("cmbHardware")->itemText(3), "68HC11811E2") << "a built-in stays, under its name";
    EXPECT_EQ(liste("cmbHardware")->count(), 4);

    // An added profile starts from the default map, and can be deleted.
    cliquer("cmdADDType");
    EXPECT_EQ(liste("cmbHardware")->currentIndex(), 4);
    EXPECT_EQ(champ("txtTailleEeprom")->text(), "512") << "the default map";
    EXPECT_TRUE(supprimer->isEnabled());
    cliquer("cmdDELType");
    EXPECT_EQ(liste("cmbHardware")->count(), 4);
    EXPECT_EQ(dialogue->profilSelectionne(), 3);
    EXPECT_EQ(champ("txtTailleEeprom")->text(), "2048") << "the previous profile's map is shown";
    EXPECT_FALSE(supprimer->isEnabled());

    cliquer("cmdADDType");
    nomProfil()->selectAll();
    QTest::keyClicks(nomProfil(), QStringLiteral("Carte"));
    EXPECT_EQ(liste("cmbHardware")->itemText(4), "Carte");
    EXPECT_EQ(nomProfil()->cursorPosition(), 5);
    cliquer("cmdOK");
    EXPECT_TRUE(ecran.messages.isEmpty());
    ASSERT_EQ(session.profils.size(), 5);
    EXPECT_EQ(session.profils[4].nom, "Carte") << "a rename alone is a change of the table";
    EXPECT_EQ(session.config.HardWare, "Carte");
}

TEST_F(Options, NamesTheStoreCannotKeepAreRefused) {
    ouvrir();
    cliquer("cmdADDType");
    for (const char* nom : {"", "a/b", "a\\b", "a=b", "68hc11f1", "config", "Ports"}) {
        const qsizetype avant = ecran.messages.size();
        nomProfil()->selectAll();
        if (*nom)
            QTest::keyClicks(nomProfil(), QLatin1String(nom));
        else
            QTest::keyClick(nomProfil(), Qt::Key_Backspace);
        QTest::keyClick(nomProfil(), Qt::Key_Return);
        ASSERT_EQ(ecran.messages.size(), avant + 1) << nom;
        EXPECT_EQ(ecran.messages.last().text, Incorrect);
        EXPECT_EQ(liste("cmbHardware")->itemText(4), "68HCxxxxx") << nom;
        EXPECT_TRUE(dialogue->isVisible()) << nom;
    }
    // Two added profiles under one name would share one section of the store.
    cliquer("cmdADDType");
    cliquer("cmdOK");
    EXPECT_EQ(ecran.messages.last().text, Incorrect);
    EXPECT_EQ(session.profils.size(), 4) << "nothing committed";
    nomProfil()->selectAll();
    QTest::keyClicks(nomProfil(), QStringLiteral("Second"));
    cliquer("cmdOK");
    EXPECT_FALSE(dialogue->isVisible());
    EXPECT_EQ(session.profils.size(), 6);
}

// What is committed is Commit.PortThatDoesNotOpenComesBackAndTheRestStays'.
TEST_F(Options, PortThatDoesNotOpenKeepsTheDialogWithThePreviousPort) {
    ligne.refuserOuverture = true;
    ouvrir();
    choisir(liste("cmbPort"), QStringLiteral("COM4"));
    cliquer("cmdOK");
    EXPECT_TRUE(dialogue->isVisible());
    EXPECT_EQ(liste("cmbPort")->currentText(), "COM2");
    EXPECT_EQ(ecran.beeps, 2) << "the error report's and the dialog's";
    EXPECT_FALSE(session.liaison.portOuvert);

    ligne.refuserOuverture = false;
    cliquer("cmdOK");
    EXPECT_FALSE(dialogue->isVisible());
    EXPECT_EQ(ligne.ouvertures.last(), "/dev/ttyS1|1200,N,8,1");
}

#ifndef Q_OS_WIN
TEST_F(Options, DeviceBehindThePortIsShownAndEdited) {
    ouvrir();
    QLineEdit* peripherique = champ("txtPeripherique");
    choisir(liste("cmbPort"), QStringLiteral("COM3"));
    EXPECT_EQ(peripherique->text(), "/dev/ttyS2");
    peripherique->selectAll();
    QTest::keyClicks(peripherique, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(session.config.Peripheriques[2], "/dev/ttyS2") << "a copy until OK";
    cliquer("cmdOK");
    EXPECT_EQ(session.config.Peripheriques[2], "/dev/ttyUSB0");
    EXPECT_EQ(ligne.ouvertures.last(), "/dev/ttyUSB0|1200,N,8,1");

    qputenv("TESSALINE_COM1", "/dev/pts/7");
    ouvrir();
    peripherique = champ("txtPeripherique");
    choisir(liste("cmbPort"), QStringLiteral("COM1"));
    EXPECT_EQ(peripherique->text(), "/dev/pts/7");
    EXPECT_TRUE(peripherique->isReadOnly());
    cliquer("cmdOK");
    qunsetenv("TESSALINE_COM1");
    EXPECT_EQ(ligne.ouvertures.last(), "/dev/pts/7|1200,N,8,1");
    EXPECT_EQ(session.config.Peripheriques[0], "/dev/ttyS0") << "the override is not saved";
}
#endif

// The dialog in the program: the menu, the Talker adaptation, the assembler
// files, the console's field, the store.
TEST(OptionsProgramme, StartUpWithAPortThatDoesNotOpenShowsTheDialogNotModally) {
    QTemporaryDir dir;
    const QString fichier = dir.filePath(QStringLiteral("t.ini"));
    {
        QSettings init(fichier, QSettings::IniFormat);
        init.setValue(QStringLiteral("Config/Timeout"), 1);
        init.setValue(QStringLiteral("Ports/COM2"), QStringLiteral("/dev/tessaline-no-such-port"));
    }
    SettingsStore reglages(fichier);
    QtSerialLine ligne;
    QtEventClock horloge;
    MainWindow fenetre(ligne, horloge, reglages);
    fenetre.show();
    RepondeurMessages r;
    r.repondre(QMessageBox::Ok);
    fenetre.demarrer();
    EXPECT_TRUE(fenetre.demarre()) << "the rest of start-up went on";
    EXPECT_EQ(r.textes.size(), 1) << "the open failure, reported once (its text: QtSerialLine's tests)";
    auto* options = fenetre.findChild<OptionsDialog*>(QStringLiteral("frmOptions"));
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(options->isVisible());
    EXPECT_FALSE(options->isModal());
    EXPECT_EQ(options->findChild<QLineEdit*>("txtPeripherique")->text(), "/dev/tessaline-no-such-port");
    fenetre.hide();
}

TEST(OptionsProgramme, AssemblerFileIsChosenInTheCommonDialog) {
    GuiSession s;
    s.fenetre->demarrer();
    QFile bat(s.dir.filePath(QStringLiteral("MONASM.BAT")));
    ASSERT_TRUE(bat.open(QIODevice::WriteOnly));
    const QByteArray contenu = "as11 %1\r\n";
    bat.write(contenu);
    bat.close();
    OptionsDialog d(s.fenetre->session(), s.fenetre.get());
    d.show();
    d.findChild<QRadioButton*>("optCompilateur(2)")->click();
    {
        PiloteModal<QFileDialog> p([&](QFileDialog* f) {
            f->selectFile(bat.fileName());
            QMetaObject::invokeMethod(f, "accept");
        });
        d.findChild<QPushButton*>("cmdSelFichierCompilateur")->click();
    }
    EXPECT_EQ(d.findChild<QLabel*>("lblCheminCompilateurBAT")->text(),
              QDir::toNativeSeparators(bat.fileName()));
    EXPECT_EQ(d.findChild<QLabel*>("lblTailleCompilateur")->text(),
              QString::number(contenu.size()) + " Octets");
    // With no assembler in the settings, the one installed beside the program is chosen.
    const QFileInfo installe(
        QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("tessaline-asm")));
    d.findChild<QRadioButton*>("optCompilateur(0)")->click();
    EXPECT_EQ(d.findChild<QLabel*>("lblTailleCompilateur")->text(),
              QString::number(installe.size()) + " Octets");
    {
        PiloteModal<QFileDialog> p([&](QFileDialog* f) { f->reject(); });
        d.findChild<QPushButton*>("cmdSelFichierCompilateur")->click();
    }
    d.findChild<QPushButton*>("cmdOK")->click();
    const Configuration& c = s.fenetre->session().config;
    EXPECT_EQ(c.FichierCompilateurBAT, QDir::toNativeSeparators(bat.fileName()));
    EXPECT_EQ(c.FichCompilateurBAT, "MONASM.BAT");
    EXPECT_EQ(c.FichierCompilateur, QDir::toNativeSeparators(installe.filePath()))
        << "the cancelled choice changed nothing";

    // Shown again: of the files with a path, the assembler comes first.
    d.show();
    EXPECT_TRUE(d.findChild<QRadioButton*>("optCompilateur(0)")->isChecked());
    EXPECT_EQ(d.findChild<QLabel*>("lblTailleCompilateur")->text(),
              QString::number(installe.size()) + " Octets");
    d.reject();
}

TEST(OptionsProgramme, ProfilesSurviveTheStore) {
    QString enregistre;
    {
        GuiSession s;
        s.fenetre->demarrer();
        PiloteModal<OptionsDialog> p([](OptionsDialog* d) {
            d->findChild<QPushButton*>("cmdADDType")->click();
            QLineEdit* nom = d->findChild<QComboBox*>("cmbHardware")->lineEdit();
            nom->selectAll();
            QTest::keyClicks(nom, QStringLiteral("Carte-1"));
            QLineEdit* taille = d->findChild<QLineEdit*>("txtTailleRam");
            taille->selectAll();
            QTest::keyClicks(taille, QStringLiteral("2048"));
            d->findChild<QPushButton*>("cmdOK")->click();
        });
        s.controle<QAction>("mnuViewOptions")->trigger();
        RepondeurMessages r;
        r.repondre(QMessageBox::Yes);
        ASSERT_TRUE(s.fenetre->close());
        QFile f(s.fichier());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        enregistre = QString::fromUtf8(f.readAll());
    }
    GuiSession relu(enregistre);
    relu.fenetre->demarrer();
    const Session& session = relu.fenetre->session();
    ASSERT_EQ(session.profils.size(), 5);
    EXPECT_EQ(session.profils[4].nom, "Carte-1");
    EXPECT_EQ(session.profils[4].TailleRam, 2048);
    EXPECT_EQ(session.config.HardWare, "Carte-1");
    OptionsDialog d(relu.fenetre->session(), relu.fenetre.get());
    d.show();
    EXPECT_EQ(d.profilSelectionne(), 4);
    EXPECT_EQ(d.findChild<QLineEdit*>("txtFinRam")->text(), "07FF");
    d.reject();
}

namespace {

void choisir16MHz(OptionsDialog* d) {
    choisir(d->findChild<QComboBox*>("cmbQuartz"), QStringLiteral("16"));
    choisir(d->findChild<QComboBox*>("cmbBaud"), QStringLiteral("19200"));
}

} // namespace

// The menu and the toolbar show the dialog modally; the Talker is adapted
// only when OK changes the crystal or the rate. That the adapted Talker loads
// is FirstContactLink.CrystalChangeInTheOptionsRebuildsTheBoardAndLoadTalkerWorks'.
TEST(OptionsProgramme, MenuShowsTheDialogModallyAndOnlyOkAdaptsTheTalker) {
    GuiSession s(QStringLiteral("[Config]\nTimeout=20\n"));
    s.fenetre->demarrer();
    Configuration& c = s.fenetre->session().config;
    c.TalkerPrepare = "marque";
    QLineEdit* adresse = s.controle<QLineEdit>("txtADRESSE");
    adresse->setText(QStringLiteral("0040"));
    auto* menu = s.controle<QAction>("mnuViewOptions");
    {
        PiloteModal<OptionsDialog> p([](OptionsDialog* d) {
            EXPECT_TRUE(d->isModal());
            d->findChild<QSpinBox*>("UpDnTimeout")->stepUp();
            d->findChild<QPushButton*>("cmdOK")->click();
        });
        menu->trigger();
        EXPECT_TRUE(p.vu);
    }
    EXPECT_EQ(c.TalkerPrepare, "marque") << "same crystal, same rate: the image stays";
    EXPECT_EQ(adresse->text(), "FE00") << "OK puts the EEPROM start into the console";
    EXPECT_EQ(c.Timeout, OptionsDialog::TimeoutMinimum + OptionsDialog::TimeoutPas)
        << "the stored 20 was shown as 500, then stepped up once";
    {
        PiloteModal<OptionsDialog> p([](OptionsDialog* d) {
            choisir16MHz(d);
            d->findChild<QPushButton*>("cmdAnnuler")->click();
        });
        s.fenetre->toolbarClick(QStringLiteral("Options"));
        EXPECT_TRUE(p.vu);
    }
    EXPECT_EQ(c.TalkerPrepare, "marque") << "Annuler";
    {
        PiloteModal<OptionsDialog> p([](OptionsDialog* d) {
            choisir16MHz(d);
            d->findChild<QPushButton*>("cmdOK")->click();
        });
        menu->trigger();
    }
    EXPECT_EQ(s.fenetre->ecran().panel(QStringLiteral("Port")), "Carte simul\u00e9e:19200,N,8,1");
    EXPECT_EQ(c.QuartzTalker, "16") << "OK adapted the Talker to the new crystal";
    EXPECT_EQ(c.TalkerPrepare.size(), 257);
}
