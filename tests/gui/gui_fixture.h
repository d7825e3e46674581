// The main window on the in-process simulated board in virtual time, with a
// settings file of its own, and a way to answer the message boxes it asks.
#pragma once

#include "board_clock.h"
#include "config/settings_store.h"
#include "sim/board.h"
#include "sim/chip.h"
#include "sim_board_control.h"
#include "sim_serial_line.h"
#include "ui/board_control.h"
#include "ui/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>

namespace tessaline::test {

// Runs `actions` on the next modal window of type T once it is up, then
// closes it if the actions left it open, so that a failed check never hangs.
// It looks every few milliseconds: events may be processed before the window
// is up (every wait of the program processes them).
template <class T>
class PiloteModal {
public:
    explicit PiloteModal(std::function<void(T*)> actions) {
        minuterie_.setInterval(5);
        QObject::connect(&minuterie_, &QTimer::timeout, [this, actions] {
            auto* fenetre = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!fenetre) return;
            minuterie_.stop();
            vu = true;
            actions(fenetre);
            if (fenetre->isVisible()) fenetre->reject();
        });
        minuterie_.start();
    }
    bool vu = false;

private:
    QTimer minuterie_;
};

// Clicks `bouton` in the next message box that opens, and remembers its text
// and buttons.
struct RepondeurMessages {
    void repondre(QMessageBox::StandardButton bouton) {
        pilote = std::make_unique<PiloteModal<QMessageBox>>([this, bouton](QMessageBox* boite) {
            textes << boite->text();
            boutonsVus << boite->standardButtons();
            boite->button(bouton)->click();
        });
    }
    QStringList textes;
    QList<QMessageBox::StandardButtons> boutonsVus;
    std::unique_ptr<PiloteModal<QMessageBox>> pilote;
};

// A board panel's board that does nothing: the windows as they stand with
// the simulated board's panel among them.
class CarteEssai : public BoardControl {
public:
    QString description() const override { return QStringLiteral("68HC11F1, quartz 8 MHz"); }
    void reset() override {}
    void resetMonopuce() override {}
    void suivreOptions(const QString&, double) override {}
    uint8_t niveaux(char) override { return 0; }
    uint8_t sorties(char) override { return 0; }
    void poserEntree(char, int, bool) override {}
    void poserIrq(bool) override {}
    void poserXirq(bool) override {}
    void poserTension(int, double) override {}
};

struct GuiSession {
    // `carte`: the board behind the board's panel, when the windows show one.
    explicit GuiSession(const QString& contenuReglages = QStringLiteral("[Config]\nTimeout=20\n"),
                        uint32_t quartzHz = 8'000'000, BoardControl* carte = nullptr)
        : board(*hc11::findChip("68HC11F1"), quartzHz) {
        QFile f(dir.filePath(QStringLiteral("tessaline.ini")));
        f.open(QIODevice::WriteOnly);
        f.write(contenuReglages.toUtf8());
        f.close();
        reglages = std::make_unique<SettingsStore>(f.fileName());
        fenetre = std::make_unique<MainWindow>(ligne, horloge, *reglages, carte);
        fenetre->session().attenteResetCarte = [this] { board.resetBootstrap(); };
        fenetre->show();
        // Focus moves (and the rules on leaving a field) need an active window.
        QApplication::setActiveWindow(fenetre.get());
    }
    ~GuiSession() { fenetre->hide(); }
    QString fichier() const { return dir.filePath(QStringLiteral("tessaline.ini")); }
    template <class T>
    T* controle(const char* nom) const {
        return fenetre->findChild<T*>(QLatin1String(nom));
    }

    QTemporaryDir dir;
    hc11::Board board;
    SimSerialLine ligne{board};
    BoardClock horloge{ligne, 10 * 3600.0};
    std::unique_ptr<SettingsStore> reglages;
    std::unique_ptr<MainWindow> fenetre;
};

// The main window started on the simulated board behind its board control (the
// panel's RESET buttons, the chip and crystal of the options), in virtual time.
struct SessionCarteSimulee {
    explicit SessionCarteSimulee(const QString& contenuReglages = QStringLiteral("[Config]\nTimeout=20\n")) {
        QFile f(dir.filePath(QStringLiteral("tessaline.ini")));
        f.open(QIODevice::WriteOnly);
        f.write(contenuReglages.toUtf8());
        f.close();
        reglages = std::make_unique<SettingsStore>(f.fileName());
        fenetre = std::make_unique<MainWindow>(carte.ligne(), horloge, *reglages, &carte);
        fenetre->show();
        QApplication::setActiveWindow(fenetre.get());
        fenetre->demarrer();
    }
    ~SessionCarteSimulee() { fenetre->hide(); }
    // Runs the board `secondes` of its time outside any wait of the program,
    // a millisecond at a time, as the real-time board does: after each slice
    // the line says that bytes have come.
    void tourner(double secondes) {
        hc11::Board& b = carte.board();
        const auto fin = b.cycleCount() + static_cast<uint64_t>(secondes * b.eClockHz());
        while (b.cycleCount() < fin) {
            b.runUntil(std::min(fin, b.cycleCount() + static_cast<uint64_t>(b.eClockHz() / 1000)));
            carte.ligne().signalerDonnees();
        }
    }
    QString panneau(const char* cle) { return fenetre->ecran().panel(QLatin1String(cle)); }
    template <class T>
    T* controle(const char* nom) const {
        return fenetre->findChild<T*>(QLatin1String(nom));
    }

    QTemporaryDir dir;
    SimBoardControl carte{*hc11::findChip("68HC11F1"), 8'000'000};
    BoardClock horloge{carte.ligne(), 10 * 3600.0};
    std::unique_ptr<SettingsStore> reglages;
    std::unique_ptr<MainWindow> fenetre;
};

} // namespace tessaline::test
