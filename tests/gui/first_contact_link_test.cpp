// The link as a first user meets it on the simulated board behind its board
// control (RESET, chip and crystal), and a failed settings write at exit.
#include "board_clock.h"
#include "config/settings_store.h"
#include "link/talker_image.h"
#include "link/talker_protocol.h"
#include "operations/talker_commands.h"
#include "sim/chip.h"
#include "sim_board_control.h"
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace tessaline;

namespace {

// The largest time-out the settings take: a wait for it runs 25 minutes of
// board time and fails the bounds below.
const QString TimeoutMaximal = QStringLiteral("[Config]\nTimeout=15000\n");
constexpr double SecondesTimeout = 1500;

struct Banc {
    explicit Banc(const QString& contenu, const QString& nom = QStringLiteral("t.ini")) {
        QFile f(dir.filePath(QStringLiteral("t.ini")));
        f.open(QIODevice::WriteOnly);
        f.write(contenu.toUtf8());
        f.close();
        reglages = std::make_unique<SettingsStore>(dir.filePath(nom));
        fenetre = std::make_unique<MainWindow>(carte.ligne(), horloge, *reglages, &carte);
        fenetre->show();
        QApplication::setActiveWindow(fenetre.get());
        fenetre->demarrer();
    }
    QString panneau(const char* cle) { return fenetre->ecran().panel(QLatin1String(cle)); }
    QPushButton* bouton(const char* nom) { return fenetre->findChild<QPushButton*>(QLatin1String(nom)); }
    double secondes() { return horloge.boardSeconds(); }

    QTemporaryDir dir;
    SimBoardControl carte{*hc11::findChip("68HC11F1"), 8'000'000};
    BoardClock horloge{carte.ligne(), 10 * 3600.0};
    std::unique_ptr<SettingsStore> reglages;
    std::unique_ptr<MainWindow> fenetre;
};

// Runs `action` on the next modal window once it is up.
void auProchainModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(5, [action] {
        if (QWidget* w = QApplication::activeModalWidget())
            action(w);
        else
            auProchainModal(action);
    });
}

void repondre(QWidget* w, QMessageBox::StandardButton b) {
    qobject_cast<QMessageBox*>(w)->button(b)->click();
}

} // namespace

TEST(FirstContactLink, StartUpAndResetReachPasDeTalkerWithoutTheTimeOut) {
    // At 9600 baud the board just powered up stays silent, held in reset.
    Banc b(TimeoutMaximal + QStringLiteral("Baud=9600\n"));
    EXPECT_EQ(b.panneau("Talker"), "Pas de Talker");
    EXPECT_EQ(b.panneau("Port"), "Carte simul\u00e9e:9600,N,8,1");
    EXPECT_LT(b.secondes(), SecondesTimeout);

    b.bouton("cmdLOADTALKER")->click();
    ASSERT_EQ(b.panneau("Talker"), "Talker Charg\u00e9");
    b.bouton("cmdRESET")->click();
    EXPECT_EQ(b.panneau("Talker"), "Pas de Talker") << "at once, with no board time passing";
    EXPECT_FALSE(b.bouton("cmdMEMDUMP")->isEnabled());
}

TEST(FirstContactLink, OneClickOnAnnulerCancelsLoadTalker) {
    // The board's crystal is not the configured one: the Talker never answers.
    Banc b(TimeoutMaximal + QStringLiteral("Quartz=16\nBaud=9600\n"));
    b.horloge.after(8.0, [] {
        QApplication::activeModalWidget()->findChild<QPushButton*>(QStringLiteral("cmdAnnuler"))->click();
    });
    const double debut = b.secondes();
    b.bouton("cmdLOADTALKER")->click();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "frmInfo is gone";
    EXPECT_LT(b.secondes() - debut, SecondesTimeout) << "a check after the cancel waited";
    EXPECT_EQ(b.panneau("Talker"), "Pas de Talker");
}

TEST(FirstContactLink, WaitPanelLiesUnderTheMessageBoxAndCanBeGivenUp) {
    Banc b(TimeoutMaximal);
    b.bouton("cmdLOADTALKER")->click();
    // The board goes silent behind the control's back (RESET held low) just
    // after the Talker has answered the check that opens the dump.
    b.horloge.after(0.02, [&] { b.carte.board().holdReset(); });
    QWidget* attente = b.fenetre->findChild<QWidget*>(QStringLiteral("frmAttendre"));
    b.horloge.after(5.0,
                    [&] { attente->findChild<QPushButton*>(QStringLiteral("cmdAnnulerAttente"))->click(); });
    bool dessous = false;
    auProchainModal([&](QWidget* w) {
        // Still up under "Erreur MemDump", inside the main window's surface.
        dessous = attente->isVisible() && !attente->isWindow() && w->isWindow();
        repondre(w, QMessageBox::Ok);
    });
    const double debut = b.secondes();
    b.bouton("cmdMEMDUMP")->click();
    b.bouton("cmdEXECUTE")->click();
    EXPECT_TRUE(dessous) << "no Erreur MemDump over the wait panel";
    EXPECT_LT(b.secondes() - debut, SecondesTimeout) << "Annuler did not end the wait";
}

TEST(FirstContactLink, CrystalChangeInTheOptionsRebuildsTheBoardAndLoadTalkerWorks) {
    Banc b(QStringLiteral("[Config]\nTimeout=20\n"));
    ASSERT_TRUE(b.carte.board().poke(0xFE00, 0x0E)); // a program in the EEPROM
    auProchainModal([](QWidget* w) {
        for (auto [nom, texte] : {std::pair{"cmbQuartz", "16"}, std::pair{"cmbBaud", "9600"}}) {
            auto* liste = w->findChild<QComboBox*>(QLatin1String(nom));
            liste->setCurrentIndex(liste->findText(QLatin1String(texte)));
            emit liste->activated(liste->currentIndex());
        }
        w->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    b.fenetre->findChild<QAction*>(QStringLiteral("mnuViewOptions"))->trigger();
    b.horloge.after(600.0, [&] { b.fenetre->session().demanderAnnulation(); }); // never hang
    b.bouton("cmdLOADTALKER")->click();
    EXPECT_EQ(b.panneau("Talker"), "Talker Charg\u00e9");
    EXPECT_EQ(b.carte.generation(), 1);
    EXPECT_EQ(b.carte.board().peek(0xFE00), 0x0E) << "the same chip keeps its EEPROM";
}

// The simulated board has no cable: with no rate stored it runs at the
// fastest the crystal allows, and that rate is not written at exit, so that a
// later start on a real port keeps its own; a stored rate is used and kept.
TEST(FirstContactLink, SimulatedBoardRunsFastWithNoRateStoredAndLeavesTheStoredRateAlone) {
    for (const auto& [stocke, port] : {std::pair{"", "Carte simul\u00e9e:9600,N,8,1"},
                                       std::pair{"Baud=1200\n", "Carte simul\u00e9e:1200,N,8,1"}}) {
        Banc b(QStringLiteral("[Config]\nTimeout=20\n") + QLatin1String(stocke));
        EXPECT_EQ(b.panneau("Port"), QString::fromUtf8(port));
        b.bouton("cmdLOADTALKER")->click();
        EXPECT_EQ(b.panneau("Talker"), "Talker Charg\u00e9") << stocke;
        auProchainModal([](QWidget* oui) { repondre(oui, QMessageBox::Yes); });
        ASSERT_TRUE(b.fenetre->close());
        const SettingsStore relu(b.dir.filePath(QStringLiteral("t.ini")));
        EXPECT_EQ(relu.lire(QStringLiteral("Config"), QStringLiteral("Baud")),
                  QString::fromUtf8(stocke).mid(5).trimmed());
        EXPECT_EQ(relu.lire(QStringLiteral("Config"), QStringLiteral("Timeout")), "20")
            << "the rest is written";
    }
}

TEST(FirstContactLink, FailedSettingsWriteAtExitIsReportedBeforeTheEnd) {
    // The settings file lies under a "folder" that is a plain file.
    Banc b(QStringLiteral("[Config]\nTimeout=20\n"), QStringLiteral("t.ini/t.ini"));
    QString rapport;
    auProchainModal([&](QWidget* oui) {
        auProchainModal([&](QWidget* w) {
            rapport = qobject_cast<QMessageBox*>(w)->text();
            repondre(w, QMessageBox::Ok);
        });
        repondre(oui, QMessageBox::Yes);
    });
    EXPECT_TRUE(b.fenetre->close());
    EXPECT_TRUE(rapport.contains("SauverConfig")) << rapport.toStdString();
}

// Load Talker clicked while a check waits on a Talker that cannot answer: the
// check ends first, then the download runs, and its state is the one that
// stays (it was overwritten when the check went on to its time-out).
TEST(FirstContactLink, LoadTalkerDuringACheckEndsTheCheckThenDownloads) {
    Banc b(TimeoutMaximal);
    b.bouton("cmdLOADTALKER")->click();
    ASSERT_EQ(b.panneau("Talker"), "Talker Charg\u00e9");
    // SEI; BRA *: a program that masks the SCI interrupt, so the Talker is deaf.
    Session& s = b.fenetre->session();
    ASSERT_TRUE(ecrireMemoire(s, 0x0100, QByteArray("\x0F\x20\xFE", 3), 50).ok());
    TrameRegistres trame;
    trame.adresse = talker::IdleFrame;
    trame.ccr = 0xD0;
    trame.pc = 0x0100;
    ASSERT_TRUE(ecrireTrameEtReprendre(s, trame, 50).ok());

    // Within the 2 s the check gives the Talker's echo.
    b.horloge.after(1.0, [&] { b.bouton("cmdLOADTALKER")->click(); });
    auProchainModal([](QWidget* w) { repondre(w, QMessageBox::Ok); }); // the reset advice
    const double debut = b.secondes();
    chargerRegistres(s);
    EXPECT_LT(b.secondes() - debut, SecondesTimeout) << "the check waited for its time-out";
    for (int i = 0; i < 400 && b.panneau("Talker") != QStringLiteral("Talker Charg\u00e9"); ++i) {
        QApplication::processEvents();
        QThread::msleep(5);
    }
    EXPECT_EQ(b.panneau("Talker"), "Talker Charg\u00e9");
    EXPECT_EQ(s.registres.RegSP, "00E8") << "a fresh Talker";
}
