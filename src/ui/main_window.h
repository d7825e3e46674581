// frmMain: the multiple-document main window. It holds the session and its
// screen, the menus, the toolbar and the status bar, and hosts the console, the
// memory and trace windows (and the simulated board's panel); it runs the
// start-up sequence and asks before ending the program.
#pragma once

#include "config/window_layout.h"
#include "link/session.h"
#include "ui/board_control.h"
#include "ui/qt_screen.h"

#include <QMainWindow>
#include <QMap>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QToolBar;

namespace tessaline {

class BoardPanel;
class BreakpointsWindow;
class ConfigWindow;
class CommandeVerification;
class ConsoleWindow;
class FileCommands;
class FilesWindow;
class HelpWindow;
class MemoryWindow;
class OptionsDialog;
class RegistersWindow;
class SettingsStore;
class StatusPanels;
class TerminalWindow;
class TraceWindow;
class WaitWindow;
class WatchWindow;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // `board` is the simulated board behind the line, when there is one.
    MainWindow(SerialLine& ligne, EventClock& horloge, SettingsStore& reglages, BoardControl* board = nullptr,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    Session& session() { return *session_; }
    QtScreen& ecran() { return *ecran_; }
    ConsoleWindow* console() const { return console_; }
    MemoryWindow* memoire() const { return memoire_; }
    TraceWindow* trace() const { return trace_; }
    RegistersWindow* registres() const { return registres_; }
    FilesWindow* fichiers() const { return fichiers_; }
    // The watch window, once Débogage > Surveillance has opened it.
    WatchWindow* surveillance() const { return surveillance_; }
    FileCommands* commandesFichier() const { return commandesFichier_; }
    CommandeVerification* commandeVerification() const { return verification_; }
    // The breakpoints window, once Débogage > Points d'arrêt has opened it.
    BreakpointsWindow* pointsArret() const { return pointsArret_; }
    // The Terminal window, once made: by Fenêtre > Terminal, or by a
    // single-chip RESET of the simulated board.
    TerminalWindow* terminal() const { return terminal_; }
    // The help window, once it has been opened.
    HelpWindow* fenetreAide() const { return aide_.get(); }
    const WindowLayout& disposition() const { return disposition_; }
    // True once the start-up sequence has run to its end.
    bool demarre() const { return demarre_; }
    // The start-up opens the options dialog for another port instead of
    // opening the configured one (the user was told it does not exist).
    void setPortAChoisir(bool choisir) { portAChoisir_ = choisir; }

public slots:
    // The start-up sequence: configuration, port, Talker check, link watch.
    void demarrer();
    // The exit question; true when the program may end.
    bool quitter();
    void toolbarClick(const QString& cle);
    // View > Options: the options dialog, modally; the Talker is adapted again
    // when the crystal or the baud rate changed.
    void mnuViewOptions();
    // The layout of a first start on a screen whose available geometry is
    // `ecran`: the main window over most of it, the child windows side by side.
    void disposerPremiereFois(const QRect& ecran);

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    void creerMenus();
    // The Débogage menu's commands (and the run ones in the toolbar).
    void creerMenuDebogage(QMenu* debogage);
    // The debugger's commands enabled as the console's matching buttons are.
    void suivreBoutonsConsole();
    // Débogage > Points d'arrêt: the breakpoints window, made the first time.
    void ouvrirPointsArret();
    void ouvrirConfig();
    // Run to the line under the caret of the files window's listing or source.
    void executerJusquIci();
    // The breakpoints window and the margins' marks in step with the list.
    void suivrePoints();
    void creerBarreOutils();
    QAction* action(QMenu* menu, const char* nom, const QString& legende, const QKeySequence& raccourci = {});
    QMdiSubWindow* ajouter(QWidget* fenetre);
    void appliquerDisposition();
    // A stored layout brought back inside the screen and the child area.
    void ramenerDansEcran();
    void placerPrincipale(const QPoint& cadre, const QSize& dedans);
    void relireDisposition();
    void disposerFenetres(Qt::Orientation sens);
    void cascader();
    QList<QRect> placesDansLaZone(const std::function<QList<QRect>(const QSize&)>& disposer) const;
    void zoneAuDebut();
    void rangerIcones();
    // The available geometry of the screen the main window is on.
    QRect ecranDisponible() const;
    // The help window on `page` (beside `question` when one asked for it), or
    // the message that there is no help when its pages cannot be found.
    HelpWindow* aide(const QString& page, QWidget* question = nullptr);
    // F1: the help page of the active child window.
    void aideContextuelle();
    void aPropos();
    // Débogage > Surveillance: the watch window, made the first time.
    void ouvrirSurveillance();
    // The Terminal window, made the first time (not shown).
    TerminalWindow* fenetreTerminal();
    // Fenêtre > Terminal: shown, and given the line when no Talker has it.
    void ouvrirTerminal();
    void montrerTerminal();
    void ouvrirOptions(bool modal);
    void optionsFermees();
    void carteChangee(BoardControl::Evenement e);
    void creerFichiers();
    void placerFichiersSansPlaceStockee();

    std::unique_ptr<QtScreen> ecran_;
    std::unique_ptr<Session> session_;
    SettingsStore& reglages_;
    BoardControl* board_;
    BoardPanel* panneauCarte_ = nullptr;
    WindowLayout disposition_;
    // The simulated board's rate when none was stored: not written at exit
    // unless the user changes it.
    std::optional<int> baudNonStocke_;
    QMdiArea* mdi_;
    StatusPanels* panneaux_;
    QToolBar* outils_;
    ConsoleWindow* console_ = nullptr;
    MemoryWindow* memoire_ = nullptr;
    TraceWindow* trace_ = nullptr;
    RegistersWindow* registres_ = nullptr;
    FilesWindow* fichiers_ = nullptr;
    FileCommands* commandesFichier_ = nullptr;
    CommandeVerification* verification_ = nullptr;
    WatchWindow* surveillance_ = nullptr;
    TerminalWindow* terminal_ = nullptr;
    QMdiSubWindow* carte_ = nullptr;
    WaitWindow* attente_ = nullptr;
    BreakpointsWindow* pointsArret_ = nullptr;
    ConfigWindow* config_ = nullptr;
    // What the windows show of the breakpoints, and the look that catches
    // the changes made elsewhere (the console's Break, the operations).
    QByteArray pointsAffiches_;
    QTimer* pointsSuivis_ = nullptr;
    QMap<QString, QAction*> actions_;
    QPointer<OptionsDialog> options_;
    bool demarre_ = false;
    bool portAChoisir_ = false;
    bool fin_ = false;
    // Asks for the close again once the operation that was running has returned.
    QTimer* fermetureDifferee_ = nullptr;
    // Where the main window's frame is to stand, and the wait for the window
    // manager's frame that places it there.
    QPoint cadreVoulu_;
    QSize dedansVoulu_;
    QTimer* cadreAttendu_ = nullptr;
    int attentesCadre_ = 0;
    // A window of its own, so that a question left open does not block it.
    std::unique_ptr<HelpWindow> aide_;
};

} // namespace tessaline
