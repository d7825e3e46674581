// The link as a first user meets it on the simulated board behind its board
// control (RESET, chip and crystal of the options): start-up and RESET reach
// "Pas de Talker" without a time-out, one click cancels a download, the wait
// panel lies under message boxes and can be given up, and a settings file that
// cannot be written is reported at exit.
#include "board_clock.h"
#include "config/settings_store.h"
#include "link/serial_port.h"
#include "sim/chip.h"
#include "sim_board_control.h"
#include "ui/main_window.h"
#include "ui/wait_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

using namespace tessaline;

namespace {

// The largest time-out the settings hold (tenths of a second): a test that
// waited for it would run an hour of board time and fail its bound below.
constexpr int TimeoutMaximal = 32767;
constexpr double SecondesTimeout = TimeoutMaximal / 10.0;

struct Banc {
    explicit Banc(const QString& contenu, const QString& nomFichier = QStringLiteral("tessaline.ini")) {
        QFile f(dir.filePath(QStringLiteral("tessaline.ini")));
        f.open(QIODevice::WriteOnly);
        f.write(contenu.toUtf8());
        f.close();
        reglages = std::make_unique<SettingsStore>(dir.filePath(nomFichier));
        fenetre = std::make_unique<MainWindow>(carte.ligne(), horloge, *reglages, &carte);
        fenetre->show();
        QApplication::setActiveWindow(fenetre.get());
    }
    ~Banc() { fenetre->hide(); }
    QString panneau(const char* cle) { return fenetre->ecran().panel(QLatin1String(cle)); }
    template <class T>
    T* controle(const char* nom) {
        return fenetre->findChild<T*>(QLatin1String(nom));
    }
    void cliquer(const char* nom) { controle<QPushButton>(nom)->click(); }

    QTemporaryDir dir;
    SimBoardControl carte{*hc11::findChip("68HC11F1"), 8'000'000};
    BoardClock horloge{carte.ligne(), 10 * 3600.0};
    std::unique_ptr<SettingsStore> reglages;
    std::unique_ptr<MainWindow> fenetre;
};

QString reglagesTimeoutMaximal() {
    return QStringLiteral("[Config]\nTimeout=%1\n").arg(TimeoutMaximal);
}

// Runs the next action on each modal window as it comes up (message boxes,
// dialogs), then closes a window the action left open, so that a failed check
// never hangs.
class Modaux {
public:
    explicit Modaux(std::deque<std::function<void(QWidget*)>> actions)
        : actions_(std::move(actions)) {
        minuterie_.setInterval(5);
        QObject::connect(&minuterie_, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || w == dernier_ || actions_.empty()) return;
            dernier_ = w;
            QPointer<QWidget> garde(w);
            auto action = std::move(actions_.front());
            actions_.pop_front();
            action(w);
            if (garde && garde->isVisible()) garde->close();
        });
        minuterie_.start();
    }
    bool tousVus() const { return actions_.empty(); }

private:
    std::deque<std::function<void(QWidget*)>> actions_;
    QPointer<QWidget> dernier_;
    QTimer minuterie_;
};

void cliquerBouton(QWidget* w, QMessageBox::StandardButton b) {
    auto* boite = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(boite, nullptr);
    boite->button(b)->click();
}

} // namespace

TEST(FirstContactLink, StartUpAndResetReachPasDeTalkerWithoutTheTimeOut) {
    // At 9600 baud the board just powered up stays silent, held in reset.
    Banc b(reglagesTimeoutMaximal() + QStringLiteral("Baud=9600\n"));
    b.fenetre->demarrer();
    EXPECT_EQ(b.panneau("Talker"), "Pas de Talker");
    EXPECT_EQ(b.panneau("Cible"), "Cible STOP");
    EXPECT_EQ(b.panneau("Port"), "Carte simul\u00e9e:9600,N,8,1") << "the board, not COM2";
    EXPECT_LT(b.horloge.boardSeconds(), SecondesTimeout) << "the start-up check waited for its time-out";

    b.cliquer("cmdLOADTALKER");
    ASSERT_EQ(b.panneau("Talker"), "Talker Charg\u00e9");
    EXPECT_TRUE(b.controle<QPushButton>("cmdMEMDUMP")->isEnabled());

    const double avant = b.horloge.boardSeconds();
    b.cliquer("cmdRESET");
    EXPECT_EQ(b.panneau("Talker"), "Pas de Talker") << "at once, before any board time passes";
    EXPECT_EQ(b.horloge.boardSeconds(), avant);
    EXPECT_FALSE(b.fenetre->session().liaison.talkerPresent);
    EXPECT_FALSE(b.controle<QPushButton>("cmdMEMDUMP")->isEnabled());

    // The link watch sees the boot ROM's break; its check agrees without a wait.
    b.horloge.waitForEvents(0.05);
    b.fenetre->session().surveillance().tick();
    EXPECT_EQ(b.panneau("Talker"), "Pas de Talker");
    EXPECT_LT(b.horloge.boardSeconds() - avant, 1.0);
}

TEST(FirstContactLink, OneClickOnAnnulerCancelsLoadTalker) {
    // The board's crystal is not the configured one: the Talker sent never
    // answers and the download's check waits; one click must end it all.
    Banc b(reglagesTimeoutMaximal() + QStringLiteral("Quartz=16\nBaud=9600\n"));
    b.fenetre->demarrer();
    int clics = 0;
    b.horloge.after(8.0, [&] {
        QWidget* info = QApplication::activeModalWidget();
        ASSERT_NE(info, nullptr);
        ASSERT_EQ(info->objectName(), "frmInfo");
        info->findChild<QPushButton*>(QStringLiteral("cmdAnnuler"))->click();
        ++clics;
    });
    const double debut = b.horloge.boardSeconds();
    b.cliquer("cmdLOADTALKER");
    EXPECT_EQ(clics, 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the progress window is gone";
    EXPECT_LT(b.horloge.boardSeconds() - debut, SecondesTimeout) << "a check after the cancel waited";
    EXPECT_EQ(b.panneau("Talker"), "Pas de Talker");
    EXPECT_TRUE(b.fenetre->session().surveillance().isEnabled());
}

TEST(FirstContactLink, WaitPanelLiesUnderTheMessageBoxAndCanBeGivenUp) {
    Banc b(reglagesTimeoutMaximal());
    b.fenetre->demarrer();
    b.cliquer("cmdLOADTALKER");
    ASSERT_EQ(b.panneau("Talker"), "Talker Charg\u00e9");
    // The board goes silent without the board control knowing (its supply
    // cut, RESET held low): the dump waits for an echo that never comes.
    b.carte.board().holdReset();
    auto* attente = b.fenetre->findChild<WaitWindow*>(QStringLiteral("frmAttendre"));
    ASSERT_NE(attente, nullptr);
    b.horloge.after(5.0, [&] {
        EXPECT_TRUE(attente->isVisible());
        attente->findChild<QPushButton*>(QStringLiteral("cmdAnnulerAttente"))->click();
    });
    bool attenteVue = false;
    bool dessous = false;
    Modaux m({[&](QWidget* w) {
        // The wait panel is still up under the failure report: it belongs to
        // the main window's surface, which every message box stands above.
        attenteVue = attente->isVisible();
        dessous = !attente->isWindow() && attente->window() == b.fenetre.get() && w->isWindow();
        cliquerBouton(w, QMessageBox::Ok);
    }});
    const double debut = b.horloge.boardSeconds();
    b.cliquer("cmdMEMDUMP");
    b.cliquer("cmdEXECUTE");
    EXPECT_TRUE(m.tousVus()) << "Erreur MemDump";
    EXPECT_TRUE(attenteVue);
    EXPECT_TRUE(dessous);
    EXPECT_FALSE(attente->isVisible());
    EXPECT_LT(b.horloge.boardSeconds() - debut, SecondesTimeout) << "Annuler did not end the wait";
}

TEST(FirstContactLink, CrystalChangeInTheOptionsRebuildsTheBoardAndLoadTalkerWorks) {
    Banc b(QStringLiteral("[Config]\nTimeout=20\n"));
    b.fenetre->demarrer();
    Modaux m({[](QWidget* w) {
        for (auto [nom, texte] : {std::pair{"cmbQuartz", "16"}, std::pair{"cmbBaud", "9600"}}) {
            auto* liste = w->findChild<QComboBox*>(QLatin1String(nom));
            const int i = liste->findText(QLatin1String(texte));
            ASSERT_GE(i, 0) << nom;
            liste->setCurrentIndex(i);
            emit liste->activated(i);
        }
        w->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    }});
    b.controle<QAction>("mnuViewOptions")->trigger();
    ASSERT_TRUE(m.tousVus());
    EXPECT_EQ(b.carte.board().crystalHz(), 16'000'000u);
    EXPECT_EQ(b.controle<QLabel>("lblCarte")->text(), "68HC11F1, quartz 16 MHz");

    // A download still going after ten minutes of board time is cancelled, so
    // that a board that did not follow fails the test instead of hanging it.
    b.horloge.after(600.0, [&] { b.fenetre->session().demanderAnnulation(); });
    b.cliquer("cmdLOADTALKER");
    EXPECT_EQ(b.panneau("Talker"), "Talker Charg\u00e9");
    EXPECT_EQ(b.fenetre->session().registres.RegSP, "00E8");
}

TEST(FirstContactLink, FailedSettingsWriteAtExitIsReportedBeforeTheEnd) {
    // The settings "file" lies under a path whose folder is a plain file.
    Banc b(QStringLiteral("[Config]\nTimeout=20\n"), QStringLiteral("tessaline.ini/tessaline.ini"));
    b.fenetre->demarrer();
    QString rapport;
    Modaux m({[](QWidget* w) { cliquerBouton(w, QMessageBox::Yes); },
              [&](QWidget* w) {
                  rapport = qobject_cast<QMessageBox*>(w)->text();
                  EXPECT_TRUE(b.fenetre->isVisible()) << "the program waits for the user";
                  cliquerBouton(w, QMessageBox::Ok);
              }});
    EXPECT_TRUE(b.fenetre->close());
    EXPECT_TRUE(m.tousVus()) << "no report of the failed write";
    EXPECT_TRUE(rapport.contains("SauverConfig")) << rapport.toStdString();
}
