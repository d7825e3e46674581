#include "ui/main_window.h"

#include "config/crystal_table.h"
#include "config/settings_sections.h"
#include "config/settings_store.h"
#include "config/talker_adaptation.h"
#include "link/control_names.h"
#include "link/error_report.h"
#include "link/serial_port.h"
#include "operations/breakpoint_table.h"
#include "operations/compilation.h"
#include "operations/console_command_table.h"
#include "operations/register_edit.h"
#include "operations/session_config.h"
#include "operations/talker_link.h"
#include "ui/board_control.h"
#include "ui/board_panel.h"
#include "ui/breakpoints_window.h"
#include "ui/config_window.h"
#include "ui/console_window.h"
#include "ui/file_commands.h"
#include "ui/files_window.h"
#include "ui/first_layout.h"
#include "ui/fixed_subwindow.h"
#include "ui/help_pages.h"
#include "ui/help_window.h"
#include "ui/info_dialog.h"
#include "ui/lab_check_command.h"
#include "ui/memory_window.h"
#include "ui/options_dialog.h"
#include "ui/registers_window.h"
#include "ui/rich_text_area.h"
#include "ui/status_panels.h"
#include "ui/terminal_window.h"
#include "ui/trace_window.h"
#include "ui/twips.h"
#include "ui/wait_window.h"
#include "ui/watch_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QWindow>

namespace tessaline {

namespace {

const QString Titre = QStringLiteral("Tessaline");
const QString QuestionFin = QStringLiteral("Ceci Terminera Tessaline\nVoulez-vous Quiter le Programme \nEn "
                                           "Sauvegardant la Configuration ?...");
const QString PasDAide = QStringLiteral("Impossible d'affichiez le sommaire de l'aide. Il n'y a pas d'aide "
                                        "associ\u00e9e \u00e0 ce projet.");

// Toolbar keys and the menu item each stands for.
const std::pair<const char*, const char*> Outils[] = {
    {"New", "mnuFileNew"},
    {"Open", "mnuFileOpen"},
    {"Save", "mnuFileSave"},
    {"SaveAs", "mnuFileSaveAs"},
    {"Print", "mnuFilePrint"},
    {"PrintPreview", "mnuFilePrintPreview"},
    {"PageSetup", "mnuFilePageSetup"},
    {"Options", "mnuViewOptions"},
    {"Compile", "mnuFileCompile"},
};

int px(double twips, const QWidget* w) {
    return twipsEnPixels(twips, w);
}
float tw(int pixels, const QWidget* w) {
    return static_cast<float>(pixelsEnTwips(pixels, w));
}

void appliquerEtat(QWidget* w, int etat) {
    if (etat == FenetreMinimisee)
        w->showMinimized();
    else if (etat == FenetreMaximisee)
        w->showMaximized();
}

int etatDe(const QWidget* w) {
    if (w->isMinimized()) return FenetreMinimisee;
    if (w->isMaximized()) return FenetreMaximisee;
    return FenetreNormale;
}

} // namespace

MainWindow::MainWindow(SerialLine& ligne, EventClock& horloge, SettingsStore& reglages, BoardControl* board,
                       QWidget* parent)
    : QMainWindow(parent)
    , ecran_(std::make_unique<QtScreen>(this))
    , session_(std::make_unique<Session>(ligne, horloge, *ecran_))
    , reglages_(reglages)
    , board_(board)
    , mdi_(new QMdiArea(this))
    , panneaux_(new StatusPanels(this)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(Titre);
    mdi_->setObjectName(QStringLiteral("mdiArea"));
    // Windows that lie past the area's edges (a smaller screen, a window moved
    // away) stay reachable.
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    statusBar()->setObjectName(QStringLiteral("sbStatusBar"));
    statusBar()->addWidget(panneaux_, 1);
    creerMenus();
    creerBarreOutils();

    attente_ = new WaitWindow(this);
    ecran_->setWaitWindow(attente_);
    // A wait the user gives up: the abort flag, which every wait honours.
    connect(attente_, &WaitWindow::annulee, this, [this] { session_->demanderAbandon(); });
    // frmInfo: the long target operations run inside it; its Cancel button
    // sets this session's cancel flag.
    ecran_->setProgressWindow([this](const QString& titre, const std::function<void()>& operation) {
        InfoDialog info(*session_, titre, operation, this);
        info.executer();
    });
    ecran_->setHelpHandler(
        [this](int contexte, QWidget* question) { aide(pageDuContexte(contexte), question); });
    // A simulated board leaves reset when the download waits for it, as the
    // user would press RESET on a real one.
    if (board_) {
        session_->attenteResetCarte = [this] { board_->reset(); };
        session_->outilsCarte = board_->outils();
        if (session_->outilsCarte) actions_.value(QStringLiteral("mnuDebugStepBack"))->setVisible(true);
        board_->setEcouteur([this](BoardControl::Evenement e) { carteChangee(e); });
    }
}

MainWindow::~MainWindow() {
    // The child windows go first: they may still hold the session's areas.
    fin_ = true;
    if (board_) board_->setEcouteur({});
    if (console_) console_->setQuitting(true);
    if (memoire_) memoire_->setQuitting(true);
    if (trace_) trace_->setQuitting(true);
    if (registres_) registres_->setQuitting(true);
    if (fichiers_) fichiers_->setQuitting(true);
    if (surveillance_) surveillance_->setQuitting(true);
    if (terminal_) terminal_->setQuitting(true);
    delete mdi_;
}

QAction* MainWindow::action(QMenu* menu, const char* nom, const QString& legende,
                            const QKeySequence& raccourci) {
    auto* a = menu->addAction(legende);
    a->setObjectName(QLatin1String(nom));
    if (!raccourci.isEmpty()) a->setShortcut(raccourci);
    actions_.insert(QLatin1String(nom), a);
    return a;
}

void MainWindow::creerMenus() {
    QMenuBar* barre = menuBar();
    auto menu = [&](const char* nom, const QString& legende) {
        QMenu* m = barre->addMenu(legende);
        m->setObjectName(QLatin1String(nom));
        m->menuAction()->setObjectName(QLatin1String(nom));
        return m;
    };
    auto separateur = [](QMenu* m, const char* nom) { m->addSeparator()->setObjectName(QLatin1String(nom)); };

    QMenu* fichier = menu("mnuFile", QStringLiteral("&Fichier"));
    action(fichier, "mnuFileNew", QStringLiteral("&Nouveau"), QKeySequence(QStringLiteral("Ctrl+N")));
    action(fichier, "mnuFileOpen", QStringLiteral("&Ouvrir"), QKeySequence(QStringLiteral("Ctrl+O")));
    action(fichier, "mnuFileSave", QStringLiteral("Enre&gistrer"), QKeySequence(QStringLiteral("Ctrl+S")));
    action(fichier, "mnuFileSaveAs", QStringLiteral("Enregistrer &sous..."));
    separateur(fichier, "mnuFileBar1");
    action(fichier, "mnuFilePageSetup", QStringLiteral("Mise en pa&ge..."));
    action(fichier, "mnuFilePrintPreview", QStringLiteral("A&per\u00e7u avant impression"));
    action(fichier, "mnuFilePrint", QStringLiteral("&Imprimer..."), QKeySequence(QStringLiteral("Ctrl+P")));
    separateur(fichier, "mnuFileBar2");
    action(fichier, "mnuFileCompile", QStringLiteral("&Compiler"));
    action(fichier, "mnuFileCheck", QStringLiteral("&Vérifier avec…"));
    separateur(fichier, "mnuFileBar4");
    for (int i = 0; i < 4; ++i) {
        QAction* a = action(fichier, "mnuFileMRU", QString());
        a->setObjectName(nomIndexe(QStringLiteral("mnuFileMRU"), i));
        actions_.insert(a->objectName(), a);
        a->setVisible(false);
    }
    separateur(fichier, "mnuFileBar");
    actions_.insert(QStringLiteral("mnuFileBar"), fichier->actions().last());
    fichier->actions().last()->setVisible(false);
    separateur(fichier, "mnuFileBar5");
    connect(action(fichier, "mnuFileExit", QStringLiteral("&Quitter")), &QAction::triggered, this,
            [this] { close(); });

    QMenu* edition = menu("mnuEdit", QStringLiteral("Editi&on"));
    action(edition, "mnuEditUndo", QStringLiteral("&Annuler"), QKeySequence(QStringLiteral("Ctrl+Z")));
    separateur(edition, "mnuEditBar1");
    action(edition, "mnuEditCut", QStringLiteral("&Couper"), QKeySequence(QStringLiteral("Ctrl+X")));
    action(edition, "mnuEditCopy", QStringLiteral("Co&pier"), QKeySequence(QStringLiteral("Ctrl+C")));
    action(edition, "mnuEditPaste", QStringLiteral("C&oller"), QKeySequence(QStringLiteral("Ctrl+V")));

    QMenu* affichage = menu("mnuView", QStringLiteral("Aff&ichage"));
    QAction* outils = action(affichage, "mnuViewToolbar", QStringLiteral("Barre d'&outils"));
    QAction* etat = action(affichage, "mnuViewStatusBar", QStringLiteral("Barre d'&\u00e9tat"));
    for (QAction* a : {outils, etat}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    connect(outils, &QAction::triggered, this, [this](bool montre) { outils_->setVisible(montre); });
    connect(etat, &QAction::triggered, this, [this](bool montre) { statusBar()->setVisible(montre); });
    separateur(affichage, "mnuViewBar2");
    connect(action(affichage, "mnuViewOptions", QStringLiteral("&Options ... Mat\u00e9riel")),
            &QAction::triggered, this, &MainWindow::mnuViewOptions);
    connect(action(affichage, "mnuViewConfig", QStringLiteral("&CONFIG...")), &QAction::triggered, this,
            &MainWindow::ouvrirConfig);

    // The debugger's windows and commands.
    QMenu* debogage = menu("mnuDebug", QStringLiteral("&D\u00e9bogage"));
    creerMenuDebogage(debogage);
    debogage->addSeparator();
    connect(action(debogage, "mnuDebugWatch", QStringLiteral("&Surveillance")), &QAction::triggered, this,
            &MainWindow::ouvrirSurveillance);

    QMenu* fenetres = menu("mnuWindow", QStringLiteral("Fe&n\u00eatre"));
    connect(action(fenetres, "mnuWindowCascade", QStringLiteral("&Cascade")), &QAction::triggered, this,
            &MainWindow::cascader);
    connect(action(fenetres, "mnuWindowTileHorizontal", QStringLiteral("Mosa\u00efque &horizontale")),
            &QAction::triggered, this, [this] { disposerFenetres(Qt::Vertical); });
    connect(action(fenetres, "mnuWindowTileVertical", QStringLiteral("Mosa\u00efque &verticale")),
            &QAction::triggered, this, [this] { disposerFenetres(Qt::Horizontal); });
    connect(action(fenetres, "mnuWindowArrangeIcons", QStringLiteral("&R\u00e9organiser les ic\u00f4nes")),
            &QAction::triggered, this, &MainWindow::rangerIcones);
    // Every window back where a first start puts it, for the screen the main
    // window is on now.
    connect(action(fenetres, "mnuWindowDefaultLayout", QStringLiteral("&Disposition par d\u00e9faut")),
            &QAction::triggered, this, [this] { disposerPremiereFois(ecranDisponible()); });
    fenetres->addSeparator();
    connect(action(fenetres, "mnuWindowTerminal", QStringLiteral("&Terminal")), &QAction::triggered, this,
            &MainWindow::ouvrirTerminal);
    fenetres->addSeparator();
    connect(fenetres, &QMenu::aboutToShow, this, [this, fenetres] {
        // The list of the child windows, after the arrangement items.
        const QList<QAction*> toutes = fenetres->actions();
        for (QAction* a : toutes)
            if (a->property("fenetre").isValid()) fenetres->removeAction(a);
        for (QMdiSubWindow* s : mdi_->subWindowList()) {
            QAction* a =
                fenetres->addAction(s->windowTitle(), this, [this, s] { mdi_->setActiveSubWindow(s); });
            a->setProperty("fenetre", true);
        }
    });

    QMenu* aide = menu("mnuHelp", QStringLiteral("&?"));
    connect(action(aide, "mnuHelpContents", QStringLiteral("&Sommaire")), &QAction::triggered, this,
            [this] { this->aide(QLatin1String(PageSommaire)); });
    connect(action(aide, "mnuHelpSearch", QStringLiteral("A&ide sur...")), &QAction::triggered, this, [this] {
        if (HelpWindow* f = this->aide({})) f->rechercher();
    });
    auto* f1 = new QAction(this);
    f1->setObjectName(QStringLiteral("mnuHelpF1"));
    f1->setShortcut(Qt::Key_F1);
    addAction(f1);
    connect(f1, &QAction::triggered, this, &MainWindow::aideContextuelle);
    separateur(aide, "mnuHelpBar1");
    connect(action(aide, "mnuHelpAbout", QStringLiteral("\u00c0 &propos de Tessaline...")),
            &QAction::triggered, this, &MainWindow::aPropos);

    // Shown only as the registers window's context menu.
    auto* talker = new QMenu(QStringLiteral("Commandes Talker"), this);
    talker->setObjectName(QStringLiteral("mnuCmdTalker"));
    QAction* regSet = action(talker, "mnuRegSet", QStringLiteral("Editer Registres ( Reg Set )"));
    connect(regSet, &QAction::triggered, this, [this] {
        auto* chk = findChild<QCheckBox*>(QStringLiteral("chkREGSET"));
        if (chk && chk->isEnabled() && !chk->isChecked()) chk->setChecked(true);
    });

    // Undo, Cut, Copy, Paste and Print Preview have no operation in this
    // program; the files window sets the File items it acts on.
    for (const char* n : {"mnuFilePrintPreview", "mnuEditUndo", "mnuEditCut", "mnuEditCopy", "mnuEditPaste"})
        actions_.value(QLatin1String(n))->setEnabled(false);
}

namespace {

// The debugger's commands that the toolbar holds too, with their icons.
const std::pair<const char*, QStyle::StandardPixmap> OutilsDebogage[] = {
    {"mnuDebugContinue", QStyle::SP_ArrowForward}, // Compile has the play icon
    {"mnuDebugStepOver", QStyle::SP_MediaSeekForward},
    {"mnuDebugStep", QStyle::SP_MediaSkipForward},
    {"mnuDebugStop", QStyle::SP_MediaStop},
};

} // namespace

void MainWindow::creerMenuDebogage(QMenu* debogage) {
    // The keys of the usual debuggers. Each command is the console's own
    // (ConsoleWindow), which checks the Talker and keeps one exchange at a time.
    const auto commande = [this, debogage](const char* nom, const QString& legende,
                                           const QKeySequence& touche,
                                           std::function<void(ConsoleWindow&)> faire) {
        QAction* a = action(debogage, nom, legende, touche);
        a->setEnabled(false);
        connect(a, &QAction::triggered, this, [this, faire] {
            if (console_) faire(*console_);
        });
    };
    commande("mnuDebugContinue", QStringLiteral("&Continuer"), QKeySequence(Qt::Key_F5),
             [](ConsoleWindow& c) { c.cmdCONTINUE_Click(); });
    commande("mnuDebugStepOver", QStringLiteral("Pas &principal"), QKeySequence(Qt::Key_F10),
             [](ConsoleWindow& c) { c.cmdNEXT_Click(); });
    commande("mnuDebugStep", QStringLiteral("Pas \u00e0 pas"), QKeySequence(Qt::Key_F11),
             [](ConsoleWindow& c) { c.cmdSTEP_Click(); });
    commande("mnuDebugStop", QStringLiteral("&Arr\u00eater"), QKeySequence(Qt::SHIFT | Qt::Key_F5),
             [](ConsoleWindow& c) { c.cmdSTOP_Click(); });
    // The simulated board's step back; shown only with it (see the constructor).
    commande("mnuDebugStepBack", QStringLiteral("Pas a&rri\u00e8re"), QKeySequence(Qt::SHIFT | Qt::Key_F11),
             [](ConsoleWindow& c) { c.cmdBACK_Click(); });
    actions_.value(QStringLiteral("mnuDebugStepBack"))->setVisible(false);
    debogage->addSeparator()->setObjectName(QStringLiteral("mnuDebugBar1"));
    QAction* jusquIci = action(debogage, "mnuDebugRunTo", QStringLiteral("E&x\u00e9cuter jusqu'ici"),
                               QKeySequence(Qt::CTRL | Qt::Key_F10));
    jusquIci->setEnabled(false);
    connect(jusquIci, &QAction::triggered, this, &MainWindow::executerJusquIci);
    debogage->addSeparator()->setObjectName(QStringLiteral("mnuDebugBar2"));
    connect(action(debogage, "mnuDebugBreakpoints", QStringLiteral("Points d'a&rr\u00eat...")),
            &QAction::triggered, this, &MainWindow::ouvrirPointsArret);
    for (const auto& [nom, icone] : OutilsDebogage)
        actions_.value(QLatin1String(nom))->setIcon(style()->standardIcon(icone));
}

void MainWindow::suivreBoutonsConsole() {
    const auto actif = [this](QLatin1StringView bouton) {
        const auto* b = console_ ? console_->findChild<QAbstractButton*>(bouton) : nullptr;
        return b && b->isEnabled();
    };
    // Run is on where the Talker holds a stopped program and no exchange runs:
    // where continue, step over and run to can go.
    const bool arrete = actif(controle::Run);
    for (const char* nom : {"mnuDebugContinue", "mnuDebugStepOver", "mnuDebugRunTo", "mnuDebugStepBack"})
        actions_.value(QLatin1String(nom))->setEnabled(arrete);
    if (auto* arriere =
            console_ ? console_->findChild<QAbstractButton*>(QStringLiteral("cmdPASARRIERE")) : nullptr)
        arriere->setEnabled(arrete);
    actions_.value(QStringLiteral("mnuDebugStep"))->setEnabled(actif(controle::Step));
    actions_.value(QStringLiteral("mnuDebugStop"))->setEnabled(actif(controle::Stop));
}

bool MainWindow::eventFilter(QObject* objet, QEvent* evenement) {
    // Only the console's Run, Step and Stop are watched.
    if (evenement->type() == QEvent::EnabledChange && qobject_cast<QAbstractButton*>(objet))
        suivreBoutonsConsole();
    return QMainWindow::eventFilter(objet, evenement);
}

void MainWindow::ouvrirPointsArret() {
    if (!pointsArret_) {
        pointsArret_ = new BreakpointsWindow(*session_, this);
        connect(pointsArret_, &BreakpointsWindow::pointsModifies, this, &MainWindow::suivrePoints);
        ajouter(pointsArret_);
    }
    pointsArret_->actualiser();
    auto* cadre = qobject_cast<QMdiSubWindow*>(pointsArret_->parentWidget());
    cadre->showNormal();
    pointsArret_->show();
    mdi_->setActiveSubWindow(cadre);
    // Ready for an address.
    pointsArret_->findChild<QLineEdit*>(QStringLiteral("txtPointAdresse"))->setFocus();
}

void MainWindow::ouvrirConfig() {
    if (!config_) {
        config_ = new ConfigWindow(*session_, this);
        // A new Talker: CONFIG as the reset latched it (read again after a
        // programming), or not read.
        if (console_) connect(console_, &ConsoleWindow::talkerCharge, config_, &ConfigWindow::suivreLecture);
        ajouter(config_);
    }
    auto* cadre = qobject_cast<QMdiSubWindow*>(config_->parentWidget());
    cadre->showNormal();
    config_->show();
    mdi_->setActiveSubWindow(cadre);
    config_->lire();
}

void MainWindow::executerJusquIci() {
    if (!console_ || !fichiers_) return;
    const std::optional<int> adresse = fichiers_->adresseSousCurseur();
    if (!adresse) {
        AfficheEchec(*ecran_, QStringLiteral("Ex\u00e9cuter jusqu'ici : placez le curseur sur une ligne de "
                                             "code de l'onglet LST ou ASM de la fen\u00eatre Fichiers"));
        return;
    }
    console_->cmdRUNTO_Click(*adresse);
}

void MainWindow::suivrePoints() {
    pointsAffiches_ = etatPointsAffiche(*session_);
    if (pointsArret_) pointsArret_->actualiser();
    if (fichiers_) fichiers_->actualiserPoints();
}

void MainWindow::creerBarreOutils() {
    outils_ = addToolBar(QStringLiteral("Outils"));
    outils_->setObjectName(QStringLiteral("tbToolBar"));
    outils_->setMovable(false);
    const std::pair<const char*, QStyle::StandardPixmap> icones[] = {
        {"New", QStyle::SP_FileIcon},
        {"Open", QStyle::SP_DialogOpenButton},
        {"Save", QStyle::SP_DialogSaveButton},
        {"SaveAs", QStyle::SP_DriveFDIcon},
        {"Print", QStyle::SP_FileDialogDetailedView},
        {"PrintPreview", QStyle::SP_FileDialogContentsView},
        {"PageSetup", QStyle::SP_FileDialogListView},
        {"Options", QStyle::SP_ComputerIcon},
        {"Compile", QStyle::SP_MediaPlay},
    };
    for (const auto& [cle, menu] : Outils) {
        QAction* a = outils_->addAction(QLatin1String(cle));
        for (const auto& [k, icone] : icones)
            if (qstrcmp(k, cle) == 0) a->setIcon(style()->standardIcon(icone));
        a->setObjectName(QStringLiteral("tbr") + QLatin1String(cle));
        a->setData(QLatin1String(cle));
        a->setToolTip(actions_.value(QLatin1String(menu))->text().remove(u'&'));
        a->setEnabled(actions_.value(QLatin1String(menu))->isEnabled());
        const QString k = QLatin1String(cle);
        connect(a, &QAction::triggered, this, [this, k] { toolbarClick(k); });
    }
    // The run commands: the menu's own actions, enabled with them.
    outils_->addSeparator();
    for (const auto& [nom, icone] : OutilsDebogage)
        outils_->addAction(actions_.value(QLatin1String(nom)));
}

namespace {

// The open windows (neither hidden nor minimised) in the order they were
// created, back in their normal state.
QList<QMdiSubWindow*> fenetresOuvertes(QMdiArea* mdi) {
    QList<QMdiSubWindow*> ouvertes;
    for (QMdiSubWindow* s : mdi->subWindowList(QMdiArea::CreationOrder))
        if (s->isVisible() && !s->isMinimized()) ouvertes << s;
    for (QMdiSubWindow* s : ouvertes)
        if (s->isMaximized()) s->showNormal();
    return ouvertes;
}

// `largeurFixe`: the window whose width snaps back (the memory window's).
QList<TuileFenetre> tuiles(const QList<QMdiSubWindow*>& fenetres, const QWidget* largeurFixe) {
    QList<TuileFenetre> t;
    for (const QMdiSubWindow* s : fenetres) {
        TuileFenetre f;
        f.taille = s->size();
        f.largeurFixe = s->minimumWidth() == s->maximumWidth() || s->widget() == largeurFixe;
        f.hauteurFixe = s->minimumHeight() == s->maximumHeight();
        f.minimum = s->minimumSizeHint().expandedTo(s->minimumSize()).expandedTo(QSize(160, 120));
        t << f;
    }
    return t;
}

} // namespace

// The area's own scroll position back at its origin, so that the places
// computed from the viewport's top-left corner are the area's.
void MainWindow::zoneAuDebut() {
    mdi_->horizontalScrollBar()->setValue(mdi_->horizontalScrollBar()->minimum());
    mdi_->verticalScrollBar()->setValue(mdi_->verticalScrollBar()->minimum());
}

// The places `disposer` gives in the area: the whole area when they fit in
// it, else the area less the scroll bars their overflow will bring.
QList<QRect> MainWindow::placesDansLaZone(const std::function<QList<QRect>(const QSize&)>& disposer) const {
    const QSize pleine = mdi_->contentsRect().size();
    const int barreVerticale = mdi_->verticalScrollBar()->sizeHint().width();
    const int barreHorizontale = mdi_->horizontalScrollBar()->sizeHint().height();
    QSize zone = pleine;
    QList<QRect> places = disposer(zone);
    for (int essai = 0; essai < 2; ++essai) {
        QRect etendue;
        for (const QRect& r : places)
            etendue |= r;
        const QSize voulue(pleine.width() - (etendue.bottom() >= zone.height() ? barreVerticale : 0),
                           pleine.height() - (etendue.right() >= zone.width() ? barreHorizontale : 0));
        if (voulue == zone) break;
        zone = voulue;
        places = disposer(zone);
    }
    return places;
}

// Tiles the open windows one under the other (Qt::Vertical: horizontal strips)
// or side by side, under the windows of one size.
void MainWindow::disposerFenetres(Qt::Orientation sens) {
    const QList<QMdiSubWindow*> ouvertes = fenetresOuvertes(mdi_);
    if (ouvertes.isEmpty()) return;
    zoneAuDebut();
    const QList<TuileFenetre> t = tuiles(ouvertes, memoire_);
    const QList<QRect> places = placesDansLaZone([&](const QSize& zone) { return mosaique(t, zone, sens); });
    for (qsizetype i = 0; i < ouvertes.size(); ++i)
        ouvertes[i]->setGeometry(places[i]);
}

// Each window a title bar lower and to the right of the one before, the last
// one on top.
void MainWindow::cascader() {
    const QList<QMdiSubWindow*> ouvertes = fenetresOuvertes(mdi_);
    if (ouvertes.isEmpty()) return;
    zoneAuDebut();
    const QMdiSubWindow* premiere = ouvertes.front();
    const int pas = premiere->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, premiere) +
                    premiere->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, premiere);
    const QList<TuileFenetre> t = tuiles(ouvertes, memoire_);
    const QList<QRect> places = placesDansLaZone([&](const QSize& zone) { return cascade(t, zone, pas); });
    for (qsizetype i = 0; i < ouvertes.size(); ++i) {
        ouvertes[i]->setGeometry(places[i]);
        ouvertes[i]->raise();
    }
    mdi_->setActiveSubWindow(ouvertes.back());
}

// Lines the minimised windows up along the bottom of the area.
void MainWindow::rangerIcones() {
    int x = 0;
    for (QMdiSubWindow* s : mdi_->subWindowList())
        if (s->isMinimized()) {
            s->move(x, mdi_->viewport()->height() - s->height());
            x += s->width();
        }
}

void MainWindow::toolbarClick(const QString& cle) {
    for (const auto& [k, menu] : Outils)
        if (cle == QLatin1String(k)) {
            QAction* a = actions_.value(QLatin1String(menu));
            if (a && a->isEnabled()) a->trigger();
            return;
        }
}

QMdiSubWindow* MainWindow::ajouter(QWidget* fenetre) {
    QMdiSubWindow* s = mdi_->addSubWindow(fenetre);
    s->setObjectName(fenetre->objectName() + QStringLiteral("Cadre"));
    s->setAttribute(Qt::WA_DeleteOnClose, false);
    return s;
}

void MainWindow::demarrer() {
    Session& s = *session_;
    // No link watch and no flags until the Talker check has run.
    SurvCom(s, false);
    s.liaison.abandon = false;
    s.config.CompilateurDisponible = false;

    // The console, the memory and trace windows (and the board's panel).
    console_ = new ConsoleWindow(s, this);
    memoire_ = new MemoryWindow(this);
    trace_ = new TraceWindow(this);
    registres_ = new RegistersWindow(s, this);
    registres_->setPopupMenu(findChild<QMenu*>(QStringLiteral("mnuCmdTalker")));
    ecran_->setAreas(trace_->area(), memoire_->area(), console_->echo());
    // The debugger's commands follow the console's Run, Step and Stop.
    for (QLatin1StringView bouton : {controle::Run, controle::Step, controle::Stop})
        console_->findChild<QAbstractButton*>(bouton)->installEventFilter(this);
    for (QWidget* f : {static_cast<QWidget*>(console_), static_cast<QWidget*>(memoire_),
                       static_cast<QWidget*>(trace_), static_cast<QWidget*>(registres_)})
        ajouter(f)->show();
    creerFichiers();
    // The console and the registers window keep one size whatever the window
    // menu does.
    QMdiSubWindow* cadreConsole = qobject_cast<QMdiSubWindow*>(console_->parentWidget());
    garderTailleFixe(cadreConsole, cadreConsole->sizeHint());
    garderTailleFixe(qobject_cast<QMdiSubWindow*>(registres_->parentWidget()), registres_->tailleCadre());
    // Reg SET: the console's box drives the registers window.
    connect(console_, &ConsoleWindow::regSetChange, this, [this](bool coche) {
        if (coche) {
            entrerRegSet(*session_);
            registres_->setEditable(true);
        } else {
            registres_->setEditable(false);
            quitterRegSet(*session_);
        }
    });

    // The built-in chips, then the settings (which adapt the Talker).
    IniComboHard(s);
    baudNonStocke_ = ChargerConfig(s, reglages_, disposition_, QApplication::applicationDirPath(),
                                   board_ ? Liaison::CarteSimulee : Liaison::Port);
    commandesFichier_->afficherMRU();
    if (board_) {
        panneauCarte_ = new BoardPanel(*board_, this);
        carte_ = ajouter(panneauCarte_);
        carte_->show();
        garderTailleFixe(carte_, carte_->sizeHint());
    }
    if (dispositionStockee(reglages_)) {
        appliquerDisposition();
        ramenerDansEcran();
        placerFichiersSansPlaceStockee();
    } else {
        disposerPremiereFois(ecranDisponible());
    }

    // No target commands until a Talker answers; the port; the check.
    EnableCommandes(s, false);
    if (portAChoisir_) {
        // The user knows the port is not there and asked to choose another.
        ComClose(s);
        ecran_->setPanel(QStringLiteral("Port"), s.config.Port + u':' + texteParametres(s.config.Baud), 0);
        ouvrirOptions(false);
    } else {
        ComOpen(s);
        // A port that does not open: the options dialog, not modal, to choose another.
        if (!s.liaison.portOuvert) ouvrirOptions(false);
    }
    // On a real port the check may wait its whole time-out: say that it runs.
    ecran_->setPanel(QStringLiteral("Talker"), QStringLiteral("Test du Talker..."), 0);
    TestTalker(s);
    installerVerificationLiaison(s);
    SurvCom(s, true);
    suivreBoutonsConsole();
    // The breakpoints change from the margins and the breakpoints window, which
    // say so, and from the console's Break and the operations, which a look
    // four times a second catches.
    connect(fichiers_, &FilesWindow::pointsModifies, this, &MainWindow::suivrePoints);
    connect(fichiers_, &FilesWindow::symbolesCharges, registres_, &RegistersWindow::nommerPC);
    if (console_) {
        connect(fichiers_, &FilesWindow::symbolesCharges, console_, &ConsoleWindow::prendreSymboles);
        console_->prendreSymboles();
    }
    registres_->nommerPC();
    pointsSuivis_ = new QTimer(this);
    pointsSuivis_->setInterval(250);
    connect(pointsSuivis_, &QTimer::timeout, this, [this] {
        if (etatPointsAffiche(*session_) != pointsAffiches_) suivrePoints();
    });
    pointsSuivis_->start();
    demarre_ = true;
}

void MainWindow::appliquerDisposition() {
    const WindowLayout& d = disposition_;
    // The position is the frame's (title bar included), the size the inside's.
    placerPrincipale(QPoint(px(d.MainLeft, this), px(d.MainTop, this)),
                     QSize(px(d.MainWidth, this), px(d.MainHeight, this)));
    appliquerEtat(this, d.frmMainWindowState);
    if (QMdiSubWindow* c = qobject_cast<QMdiSubWindow*>(console_->parentWidget())) {
        c->move(px(d.frmDocumentLeft, this), px(d.frmDocumentTop, this));
        appliquerEtat(c, d.frmDocumenWindowStatet);
    }
    if (QMdiSubWindow* m = qobject_cast<QMdiSubWindow*>(memoire_->parentWidget())) {
        m->move(px(d.frmMemoireLeft, this), px(d.frmMemoireTop, this));
        memoire_->setWindowSizeTwips(QSize(memoire_->loadSizeTwips().width(), qRound(d.frmMemoireHeight)));
        appliquerEtat(m, d.frmMemoireWindowState);
    }
    if (QMdiSubWindow* r = qobject_cast<QMdiSubWindow*>(registres_->parentWidget())) {
        r->move(px(d.frmRegistresLeft, this), px(d.frmRegistresTop, this));
        // The board's panel, which has no stored place: beside the registers.
        if (carte_) carte_->move(r->geometry().right() + 8, r->y());
    }
    if (QMdiSubWindow* f = qobject_cast<QMdiSubWindow*>(fichiers_->parentWidget())) {
        f->setGeometry(px(d.frmFichiersLeft, this), px(d.frmFichiersTop, this), px(d.frmFichiersWidth, this),
                       px(d.frmFichiersHeight, this));
        appliquerEtat(f, d.frmFichiersWindowState);
    }
    if (QMdiSubWindow* t = qobject_cast<QMdiSubWindow*>(trace_->parentWidget())) {
        t->move(px(d.frmTraceCommandesLeft, this), px(d.frmTraceCommandesTop, this));
        trace_->setWindowSizeTwips(
            QSize(qRound(d.frmTraceCommandesWidth), qRound(d.frmTraceCommandesHeight)));
        appliquerEtat(t, d.frmTraceCommandesWindowState);
    }
}

QRect MainWindow::ecranDisponible() const {
    const QScreen* ecran = screen() ? screen() : QGuiApplication::primaryScreen();
    return ecran ? ecran->availableGeometry() : QRect(0, 0, 1024, 768);
}

void MainWindow::disposerPremiereFois(const QRect& ecran) {
    auto cadre = [](QWidget* w) { return qobject_cast<QMdiSubWindow*>(w->parentWidget()); };
    // Every window at the area's corner first: none lies outside it, so that
    // no scroll bar takes from the area that is measured below.
    for (QMdiSubWindow* s : mdi_->subWindowList()) {
        if (s->isMinimized() || s->isMaximized()) s->showNormal();
        s->move(0, 0);
    }
    zoneAuDebut();
    if (layout()) layout()->activate();
    TaillesFenetres tailles;
    tailles.console = cadre(console_)->size();
    tailles.registres = cadre(registres_)->size();
    if (carte_) tailles.carte = carte_->size();
    tailles.largeurMemoire = cadre(memoire_)->width();
    tailles.pourtour = size() - mdi_->viewport()->size();
    const PremiereDisposition d = premiereDisposition(ecran, tailles);
    showNormal();
    placerPrincipale(d.principale.topLeft(), d.principale.size());
    if (layout()) layout()->activate();
    cadre(console_)->move(d.console.topLeft());
    cadre(registres_)->move(d.registres.topLeft());
    cadre(memoire_)->setGeometry(d.memoire);
    cadre(trace_)->setGeometry(d.trace);
    cadre(fichiers_)->setGeometry(d.fichiers);
    if (carte_) {
        carte_->move(d.carte.topLeft());
        carte_->raise();
    }
}

void MainWindow::ramenerDansEcran() {
    if (const QScreen* ecran = screen(); ecran && !isMinimized() && !isMaximized()) {
        // The frame, title bar included, within the screen.
        const QRect dispo = ecran->availableGeometry();
        const QSize cadre = frameGeometry().size() - size();
        // The size just asked for: under a window manager size() lags until
        // it has granted it.
        const QSize dedans = (dedansVoulu_.isValid() ? dedansVoulu_ : size()).boundedTo(dispo.size() - cadre);
        placerPrincipale(ramenerDans(QRect(cadreVoulu_, dedans + cadre), dispo).topLeft(), dedans);
    }
    if (layout()) layout()->activate();
    // A window larger than the area (a layout made on a larger screen) takes
    // the area's size where it can change, then every window comes inside.
    const QRect zone = mdi_->viewport()->rect();
    for (QMdiSubWindow* s : mdi_->subWindowList()) {
        if (s->isMinimized() || s->isMaximized()) continue;
        s->resize(s->size().boundedTo(zone.size()).expandedTo(s->minimumSize()));
        s->move(ramenerDans(s->geometry(), zone).topLeft());
    }
}

// The frame's top-left corner at `cadre` and the inside `dedans` large. A
// window manager draws the frame once it has taken the window, and only then
// says how wide the frame is: until it has, the place is the inside's, and it
// is set again for the frame as soon as the frame is known. (Placed as the
// inside's, the title bar would go above the wanted place, and further up at
// each quit and restart.)
void MainWindow::placerPrincipale(const QPoint& cadre, const QSize& dedans) {
    cadreVoulu_ = cadre;
    dedansVoulu_ = dedans;
    const QWindow* w = windowHandle();
    const QMargins bords = w ? w->frameMargins() : QMargins();
    setGeometry(QRect(cadre + QPoint(bords.left(), bords.top()), dedans));
    if (!w || !bords.isNull()) return;
    if (!cadreAttendu_) {
        cadreAttendu_ = new QTimer(this);
        cadreAttendu_->setInterval(20);
        connect(cadreAttendu_, &QTimer::timeout, this, [this] {
            const QMargins m = windowHandle() ? windowHandle()->frameMargins() : QMargins();
            if (m.isNull()) {
                if (--attentesCadre_ <= 0) cadreAttendu_->stop();
                return;
            }
            cadreAttendu_->stop();
            if (isMaximized() || isMinimized()) return;
            // The frame now known, the window within the screen with it.
            const QSize pourtour(m.left() + m.right(), m.top() + m.bottom());
            const QRect dispo = ecranDisponible();
            // The size asked for, not size(): the window manager may not
            // have granted it yet.
            const QSize dedans = dedansVoulu_.boundedTo(dispo.size() - pourtour);
            const QPoint coin = ramenerDans(QRect(cadreVoulu_, dedans + pourtour), dispo).topLeft();
            if (coin != frameGeometry().topLeft() || dedans != size()) {
                cadreVoulu_ = coin;
                setGeometry(QRect(coin + QPoint(m.left(), m.top()), dedans));
            }
        });
    }
    // Two seconds at most: with no window manager there is no frame at all.
    attentesCadre_ = 100;
    cadreAttendu_->start();
}

void MainWindow::relireDisposition() {
    WindowLayout& d = disposition_;
    d.frmMainWindowState = etatDe(this);
    if (d.frmMainWindowState == FenetreNormale) {
        d.MainLeft = tw(frameGeometry().x(), this);
        d.MainTop = tw(frameGeometry().y(), this);
        d.MainWidth = tw(width(), this);
        d.MainHeight = tw(height(), this);
    }
    auto cadre = [](QWidget* w) { return w ? qobject_cast<QMdiSubWindow*>(w->parentWidget()) : nullptr; };
    if (QMdiSubWindow* c = cadre(console_)) {
        d.frmDocumenWindowStatet = etatDe(c);
        if (!c->isMinimized()) {
            d.frmDocumentLeft = tw(c->x(), this);
            d.frmDocumentTop = tw(c->y(), this);
        }
    }
    if (QMdiSubWindow* m = cadre(memoire_)) {
        d.frmMemoireWindowState = etatDe(m);
        if (!m->isMinimized()) {
            d.frmMemoireLeft = tw(m->x(), this);
            d.frmMemoireTop = tw(m->y(), this);
            d.frmMemoireHeight = tw(m->height(), this);
        }
    }
    if (QMdiSubWindow* r = cadre(registres_); r && !r->isMinimized()) {
        d.frmRegistresLeft = tw(r->x(), this);
        d.frmRegistresTop = tw(r->y(), this);
    }
    if (QMdiSubWindow* f = cadre(fichiers_)) {
        d.frmFichiersWindowState = etatDe(f);
        if (!f->isMinimized()) {
            d.frmFichiersLeft = tw(f->x(), this);
            d.frmFichiersTop = tw(f->y(), this);
            d.frmFichiersWidth = tw(f->width(), this);
            d.frmFichiersHeight = tw(f->height(), this);
        }
    }
    if (QMdiSubWindow* t = cadre(trace_)) {
        d.frmTraceCommandesWindowState = etatDe(t);
        if (!t->isMinimized()) {
            d.frmTraceCommandesLeft = tw(t->x(), this);
            d.frmTraceCommandesTop = tw(t->y(), this);
            d.frmTraceCommandesWidth = tw(t->width(), this);
            d.frmTraceCommandesHeight = tw(t->height(), this);
        }
    }
}

bool MainWindow::quitter() {
    if (commandesFichier_ && !commandesFichier_->modificationsReglees()) return false;
    ecran_->beep();
    const Reponse r = ecran_->messageAvecAide(QuestionFin, windowTitle(), Icone::Critique,
                                              Boutons::OuiNonAnnuler, contexteAide::QuestionFin);
    if (r == Reponse::Annuler) {
        // The program goes on: so do the exchanges an interrupted close stopped.
        session_->liaison.interruption = false;
        return false;
    }
    if (r == Reponse::Oui) {
        relireDisposition();
        // The report is modal: the program ends only once the user has seen it.
        if (!SauverConfig(*session_, reglages_, disposition_, baudNonStocke_))
            AfficheErreur(
                *ecran_, QStringLiteral("SauverConfig"),
                {int(QSettings::AccessError),
                 QStringLiteral("La configuration n'a pas pu \u00eatre \u00e9crite dans ") +
                     reglages_.emplacement() +
                     (reglages_.refus().isEmpty() ? QString() : QStringLiteral("\r\n") + reglages_.refus())});
    }
    // Every planted SWI taken back while the Talker answers: the chip must
    // not keep one that no host knows of. No link watch in between.
    SurvCom(*session_, false);
    lacherPoints(*session_);
    ComClose(*session_);
    session_->surveillance().setEnabled(false);
    // Whatever wait is still running ends now.
    session_->demanderAbandon();
    session_->demanderAnnulation();
    fin_ = true;
    for (QWidget* w :
         {static_cast<QWidget*>(console_), static_cast<QWidget*>(memoire_), static_cast<QWidget*>(trace_)})
        if (w) w->setProperty("quitting", true);
    if (console_) console_->setQuitting(true);
    if (memoire_) memoire_->setQuitting(true);
    if (trace_) trace_->setQuitting(true);
    if (registres_) registres_->setQuitting(true);
    if (fichiers_) fichiers_->setQuitting(true);
    if (surveillance_) surveillance_->setQuitting(true);
    return true;
}

void MainWindow::closeEvent(QCloseEvent* e) {
    // A close that comes while an operation waits on the target is handled
    // inside that wait: the windows and the session it works on must outlive
    // it. The operation is asked to stop (it finishes the exchange in
    // progress) and the close comes again once it has returned.
    if (!fin_ && session_->horloge().dansUneAttente()) {
        session_->demanderInterruption();
        e->ignore();
        if (!fermetureDifferee_) {
            fermetureDifferee_ = new QTimer(this);
            fermetureDifferee_->setInterval(100);
            connect(fermetureDifferee_, &QTimer::timeout, this, [this] {
                if (session_->horloge().dansUneAttente()) return;
                fermetureDifferee_->stop();
                close();
            });
        }
        fermetureDifferee_->start();
        return;
    }
    if (fin_ || quitter()) {
        // The program ends with its last window.
        if (aide_) aide_->close();
        e->accept();
    } else {
        e->ignore();
    }
}

void MainWindow::mnuViewOptions() {
    ouvrirOptions(true);
}

void MainWindow::ouvrirOptions(bool modal) {
    if (!options_) {
        options_ = new OptionsDialog(*session_, this);
        connect(options_, &QDialog::finished, this, &MainWindow::optionsFermees);
    }
    if (options_->isVisible()) {
        if (!modal) return;
        // Left open since start-up: shown again, modally, with fresh copies.
        options_->hide();
    }
    if (modal) {
        options_->exec();
    } else {
        options_->setModal(false);
        options_->show();
    }
}

// The Talker image follows the crystal and the working rate, which the dialog
// may also have changed when it opened (a saved pair its lists do not offer).
void MainWindow::optionsFermees() {
    AdapteTalkerSiChange(session_->config);
    // The simulated board is the user's board: it becomes the chip and crystal
    // chosen, so that the Talker adapted to them runs on it.
    if (const ReglageQuartz* q = reglageQuartz(session_->config.Quartz); board_ && q)
        board_->suivreOptions(session_->config.HardWare, q->mhz * 1e6);
}

// A reset or a new board: a Talker it held is gone.
void MainWindow::carteChangee(BoardControl::Evenement e) {
    if (session_->liaison.talkerPresent || session_->liaison.cibleTourne) EtatPasDeTalker(*session_);
    // After a single-chip RESET the program owns the SCI: its line goes to the
    // Terminal, which shows itself when the program first sends. Any other
    // reset leaves no program on it.
    if (fin_) return;
    if (e == BoardControl::Evenement::ResetMonopuce)
        fenetreTerminal()->prendreLigne(true);
    else if (terminal_)
        terminal_->rendreLigne(true);
    if (e == BoardControl::Evenement::Reconstruite && panneauCarte_) panneauCarte_->actualiser();
}

// frmFichiers and the File commands on it.
void MainWindow::creerFichiers() {
    fichiers_ = new FilesWindow(*session_, this);
    ajouter(fichiers_)->show();
    commandesFichier_ = new FileCommands(*session_, fichiers_, this, trace_->area());
    commandesFichier_->compilateur = [](Session& s, const std::function<void()>& recharger) {
        return compilerSource(s, recharger);
    };
    verification_ = new CommandeVerification(*session_, fichiers_, commandesFichier_,
                                             actions_.value(QStringLiteral("mnuFileCheck")));
    FileCommands* c = commandesFichier_;
    const std::pair<const char*, void (FileCommands::*)()> commandes[] = {
        {"mnuFileOpen", &FileCommands::ouvrir},          {"mnuFileNew", &FileCommands::nouveau},
        {"mnuFileCompile", &FileCommands::compiler},     {"mnuFilePrint", &FileCommands::imprimer},
        {"mnuFilePageSetup", &FileCommands::miseEnPage},
    };
    for (const auto& [nom, commande] : commandes)
        connect(actions_.value(QLatin1String(nom)), &QAction::triggered, c, commande);
    connect(actions_.value(QStringLiteral("mnuFileSave")), &QAction::triggered, c, [c] { c->enregistrer(); });
    connect(actions_.value(QStringLiteral("mnuFileSaveAs")), &QAction::triggered, c,
            [c] { c->enregistrerSous(); });
    for (int i = 0; i < 4; ++i)
        connect(actions_.value(nomIndexe(QStringLiteral("mnuFileMRU"), i)), &QAction::triggered, c,
                [c, i] { c->fichierRecent(i); });
    // A stop of the target's program shows its PC in the listing. The PC box
    // is written once "Cible STOP" is up; Reg SET edits it by hand.
    if (auto* pc = registres_->findChild<QLineEdit*>(QStringLiteral("tbRegPC")))
        connect(pc, &QLineEdit::textChanged, this, [this](const QString& texte) {
            auto* regSet = findChild<QCheckBox*>(QStringLiteral("chkREGSET"));
            if (ecran_->panel(QStringLiteral("Cible")) != CibleStop || (regSet && regSet->isChecked()))
                return;
            bool ok = false;
            const int adresse = texte.toInt(&ok, 16);
            if (ok) fichiers_->montrerAdresse(adresse);
        });
}

// A layout stored before the files window existed has no place for it: it
// goes on the right of the windows along the top, rather than over the console.
void MainWindow::placerFichiersSansPlaceStockee() {
    if (!reglages_.lire(QLatin1String(SectionFenetres), QStringLiteral("frmFichiersLeft")).isEmpty()) return;
    QRect rangee;
    for (QWidget* w : {static_cast<QWidget*>(console_), static_cast<QWidget*>(registres_),
                       static_cast<QWidget*>(panneauCarte_)})
        if (w && w->parentWidget()) rangee |= w->parentWidget()->geometry();
    if (rangee.isEmpty()) return;
    const QSize zone = mdi_->viewport()->size();
    const int largeur = zone.width() - (rangee.right() + 1);
    QWidget* cadre = fichiers_->parentWidget();
    // Too narrow there: under the row, the area's width.
    if (largeur < cadre->minimumSizeHint().width())
        cadre->setGeometry(0, rangee.bottom() + 1, zone.width(),
                           std::max(zone.height() - rangee.bottom() - 1, cadre->minimumSizeHint().height()));
    else
        cadre->setGeometry(rangee.right() + 1, rangee.top(), largeur, rangee.height());
}

HelpWindow* MainWindow::aide(const QString& page, QWidget* question) {
    if (!aide_) {
        const QString dossier = dossierAide(QApplication::applicationDirPath());
        if (dossier.isEmpty()) {
            ecran_->message(PasDAide, Titre, Icone::Information, Boutons::Ok);
            return nullptr;
        }
        aide_ = std::make_unique<HelpWindow>(dossier);
    }
    if (question)
        aide_->afficherACote(page, question);
    else if (!page.isEmpty())
        aide_->afficher(page);
    return aide_.get();
}

void MainWindow::aideContextuelle() {
    const QMdiSubWindow* active = mdi_->activeSubWindow();
    const QWidget* w = active ? active->widget() : nullptr;
    const char* page = PageSommaire;
    if (w && w == console_) page = pageAide::Commandes;
    if (w && w == registres_) page = pageAide::Registres;
    if (w && w == fichiers_) page = pageAide::Fichiers;
    if (w && (w == panneauCarte_ || w == terminal_)) page = pageAide::CarteSimulee;
    if (w && w == surveillance_) page = pageAide::Surveillance;
    if (w && w == pointsArret_) page = pageAide::Debogueur;
    aide(QLatin1String(page));
}

void MainWindow::ouvrirSurveillance() {
    if (!surveillance_) {
        surveillance_ = new WatchWindow(*session_, this);
        ajouter(surveillance_);
    }
    auto* cadre = qobject_cast<QMdiSubWindow*>(surveillance_->parentWidget());
    cadre->showNormal();
    surveillance_->show();
    mdi_->setActiveSubWindow(cadre);
}

TerminalWindow* MainWindow::fenetreTerminal() {
    if (!terminal_) {
        terminal_ = new TerminalWindow(*session_, board_, this);
        ajouter(terminal_);
        connect(terminal_, &TerminalWindow::premierOctet, this, &MainWindow::montrerTerminal);
    }
    return terminal_;
}

void MainWindow::ouvrirTerminal() {
    TerminalWindow* t = fenetreTerminal();
    const EtatLiaison& l = session_->liaison;
    if (!t->tientLigne() && !l.talkerPresent && !l.cibleTourne && !session_->horloge().dansUneAttente())
        t->prendreLigne();
    montrerTerminal();
}

void MainWindow::montrerTerminal() {
    auto* cadre = qobject_cast<QMdiSubWindow*>(terminal_->parentWidget());
    cadre->showNormal();
    terminal_->show();
    mdi_->setActiveSubWindow(cadre);
    terminal_->setFocus();
}

void MainWindow::aPropos() {
    QMessageBox::about(
        this, QStringLiteral("\u00c0 propos de Tessaline"),
        QStringLiteral("<b>Tessaline</b> %1<br>Chargeur et d\u00e9bogueur pour 68HC11<br><br>"
                       "Logiciel libre sous la licence publique g\u00e9n\u00e9rale GNU, version 3 ou "
                       "ult\u00e9rieure (GPL-3.0-or-later) : vous pouvez le redistribuer et le modifier "
                       "selon ses termes. Il est fourni sans aucune garantie.")
            .arg(QApplication::applicationVersion()));
}

} // namespace tessaline
