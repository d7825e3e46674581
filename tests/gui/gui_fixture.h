// The main window on the in-process simulated board in virtual time, with a
// settings file of its own, and a way to answer the message boxes it asks.
#pragma once

#include "board_clock.h"
#include "config/settings_store.h"
#include "sim/board.h"
#include "sim/chip.h"
#include "sim_serial_line.h"
#include "ui/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace tessaline::test {

// Clicks `bouton` in the next message box that opens, and remembers its text.
// It looks for the box every few milliseconds: events may be processed before
// the box is up (every wait of the program processes them).
class RepondeurMessages {
public:
    RepondeurMessages() { minuterie_.setInterval(5); }
    void repondre(QMessageBox::StandardButton bouton) {
        QObject::disconnect(&minuterie_, nullptr, nullptr, nullptr);
        QObject::connect(&minuterie_, &QTimer::timeout, [this, bouton] {
            auto* boite = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!boite) return;
            minuterie_.stop();
            textes << boite->text();
            boutonsVus << boite->standardButtons();
            boite->button(bouton)->click();
        });
        minuterie_.start();
    }
    QStringList textes;
    QList<QMessageBox::StandardButtons> boutonsVus;

private:
    QTimer minuterie_;
};

struct GuiSession {
    explicit GuiSession(const QString& contenuReglages = QStringLiteral("[Config]\nTimeout=20\n"),
                        uint32_t quartzHz = 8'000'000)
        : board(*hc11::findChip("68HC11F1"), quartzHz) {
        QFile f(dir.filePath(QStringLiteral("tessaline.ini")));
        f.open(QIODevice::WriteOnly);
        f.write(contenuReglages.toUtf8());
        f.close();
        reglages = std::make_unique<SettingsStore>(f.fileName());
        fenetre = std::make_unique<MainWindow>(ligne, horloge, *reglages);
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

} // namespace tessaline::test
