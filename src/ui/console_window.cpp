#include "ui/console_window.h"

#include "link/control_names.h"
#include "link/conversions.h"
#include "link/session.h"
#include "link/trace.h"
#include "operations/board_time_tools.h"
#include "operations/console_commands.h"
#include "operations/execution_commands.h"
#include "operations/talker_commands.h"
#include "ui/key_filter.h"
#include "ui/rich_text_area.h"
#include "ui/twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QVBoxLayout>

namespace tessaline {

namespace {

// How often Load Talker looks again whether the wait it ended has returned,
// and Stop whether the exchange it came during has ended.
constexpr int RepriseApresAbandonMs = 50;

// Step clicks made during a step that wait their turn; more beep.
constexpr int PasEnAttenteMaximum = 3;

// The console keeps this size (twips).
constexpr int LargeurTwips = 9465;
constexpr int HauteurTwips = 4410;
constexpr int ImagesAnimation = 18;

// The frames of the Execute button's animation: an arc turning round.
QVector<QPixmap> imagesExecute() {
    QVector<QPixmap> images;
    for (int i = 0; i <= ImagesAnimation; ++i) {
        QPixmap p(16, 16);
        p.fill(Qt::transparent);
        QPainter peintre(&p);
        peintre.setRenderHint(QPainter::Antialiasing);
        if (i == 0 || i == 4) {
            peintre.setBrush(i == 0 ? QColor(0, 150, 0) : QColor(160, 160, 160));
            peintre.setPen(Qt::NoPen);
            peintre.drawEllipse(3, 3, 10, 10);
        } else {
            peintre.setPen(QPen(QColor(200, 0, 0), 3));
            peintre.drawArc(2, 2, 12, 12, -i * 20 * 16, 120 * 16);
        }
        images << p;
    }
    return images;
}

} // namespace

ConsoleWindow::ConsoleWindow(Session& session, QWidget* parent)
    : QWidget(parent)
    , session_(session)
    , imlBoutExec_(imagesExecute()) {
    setObjectName(QStringLiteral("frmDocument"));
    setWindowTitle(QStringLiteral("Console Talker"));

    auto* commandes = new QGroupBox(QStringLiteral(" Commandes Talker "), this);
    commandes->setObjectName(QStringLiteral("FramCommandesTalker"));
    auto* grille = new QGridLayout(commandes);
    grille->setSpacing(3);

    // The command buttons, as the command table lists them. Those that select a
    // command do it here; the others act by themselves, below.
    int n = 0;
    for (const CommandeConsole& c : commandesConsole()) {
        QAbstractButton* b = bouton(c, commandes);
        grille->addWidget(b, n / 3, n % 3);
        ++n;
        if (!c.selection) continue;
        const int codeCommande = c.code;
        const QString echo = QString::fromUtf8(c.echo);
        const bool executable = c.executer != nullptr;
        connect(b, &QAbstractButton::clicked, this, [this, codeCommande, echo, executable] {
            selectionner(codeCommande, echo, executable);
            // Erase EEPROM asks for its confirmation at once.
            if (codeCommande == code::EraseEeprom) cmdEXECUTE_Click();
        });
    }
    connect(findChild<QPushButton*>(controle::DisplayReg), &QPushButton::clicked, this,
            &ConsoleWindow::cmdDISPLAYREG_Click);
    connect(findChild<QCheckBox*>(controle::RegSet), &QCheckBox::toggled, this, [this](bool coche) {
        executeActif(false);
        emit regSetChange(coche);
    });
    // Step, Stop and Break act when clicked. Break follows the user's click
    // only: the operations untick it as a program does, without a click.
    chkBreak_ = findChild<QCheckBox*>(controle::Break);
    connect(chkBreak_, &QCheckBox::clicked, this, &ConsoleWindow::chkBreak_Click);
    connect(findChild<QPushButton*>(controle::Step), &QPushButton::clicked, this,
            &ConsoleWindow::cmdSTEP_Click);
    connect(findChild<QPushButton*>(controle::Stop), &QPushButton::clicked, this,
            &ConsoleWindow::cmdSTOP_Click);
    connect(findChild<QPushButton*>(controle::LoadTalker), &QPushButton::clicked, this,
            &ConsoleWindow::cmdLOADTALKER_Click);
    auto* test = new QPushButton(QStringLiteral("Test Talker"), commandes);
    test->setObjectName(QStringLiteral("Command1"));
    test->setToolTip(QStringLiteral("V\u00e9rifie le Talker"));
    test->setAutoDefault(false);
    connect(test, &QPushButton::clicked, this, &ConsoleWindow::Command1_Click);
    grille->addWidget(test, n / 3, n % 3);
    ++n;
    // The simulated board keeps its program's last instructions: a step back.
    // Enabled where Run is (MainWindow follows the console's buttons).
    if (session_.outilsCarte) {
        auto* arriere = new QPushButton(QStringLiteral("Pas arri\u00e8re"), commandes);
        arriere->setObjectName(QStringLiteral("cmdPASARRIERE"));
        arriere->setToolTip(
            QStringLiteral("D\u00e9fait la derni\u00e8re instruction du programme arr\u00eat\u00e9 "
                           "(carte simul\u00e9e)"));
        arriere->setAutoDefault(false);
        arriere->setEnabled(false);
        connect(arriere, &QPushButton::clicked, this, &ConsoleWindow::cmdBACK_Click);
        grille->addWidget(arriere, n / 3, n % 3);
    }

    // The data of the command: fields, echo, Execute.
    auto* donnees = new QGroupBox(QStringLiteral(" Donn\u00e9es Commandes Talker "), this);
    donnees->setObjectName(QStringLiteral("FramDatatalker"));
    auto* champs = new QGridLayout(donnees);
    auto champ = [&](QLatin1StringView nom, const char* nomLabel, const QString& legende, int ligne) {
        auto* l = new QLabel(legende, donnees);
        l->setObjectName(QLatin1String(nomLabel));
        auto* e = new QLineEdit(donnees);
        e->setObjectName(nom);
        e->setMaxLength(4);
        e->setFixedWidth(60);
        e->installEventFilter(this);
        champs->addWidget(l, ligne, 0);
        champs->addWidget(e, ligne, 1);
        return e;
    };
    adresse_ = champ(controle::Adresse, "labADRESSE", QStringLiteral("Adresse"), 0);
    adresse_->setText(QStringLiteral("FE00"));
    longueur_ = champ(controle::Longueur, "labLONGUEUR", QStringLiteral("Longueur"), 1);
    valeur_ = champ(controle::Valeur, "labVALEUR", QStringLiteral("Valeur"), 2);
    connect(adresse_, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (session_.console.CmdCourante != code::Break) return;
        session_.console.CmdAdresse = t;
        chkBreak_->setText(QStringLiteral("Break : ") + t);
    });

    execute_ = new QPushButton(QStringLiteral("Execute"), donnees);
    execute_->setObjectName(controle::Executer);
    connect(execute_, &QPushButton::clicked, this, &ConsoleWindow::cmdEXECUTE_Click);
    auto* efface = new QPushButton(QStringLiteral("Efface"), donnees);
    efface->setObjectName(controle::Efface);
    connect(efface, &QPushButton::clicked, this, &ConsoleWindow::cmdEFFACE_Click);
    champs->addWidget(execute_, 0, 2);
    champs->addWidget(efface, 1, 2);

    // The receive and transmit lamps.
    auto* lampes = new QWidget(donnees);
    auto* lignesLampes = new QHBoxLayout(lampes);
    lignesLampes->setContentsMargins(0, 0, 0, 0);
    lignesLampes->addWidget(new QLabel(QStringLiteral("RX   TX"), lampes));
    for (const char* nom : {"ImageRX_ON", "ImageRX_OFF", "ImageTX_ON", "ImageTX_OFF"}) {
        auto* lampe = new QLabel(lampes);
        lampe->setObjectName(QLatin1String(nom));
        QPixmap p(10, 10);
        p.fill(QByteArray(nom).endsWith("_ON") ? QColor(0, 200, 0) : QColor(90, 90, 90));
        lampe->setPixmap(p);
        lampe->setVisible(QByteArray(nom).endsWith("_OFF"));
        lignesLampes->addWidget(lampe);
    }
    champs->addWidget(lampes, 2, 2);

    echo_ = new RichTextArea(donnees);
    echo_->setObjectName(QStringLiteral("rictbECHO"));
    echo_->setReadOnly(true);
    // The echo shows the command about to run; the trace copies it from here,
    // so it has no menu of its own to clear it.
    echo_->setActionMenuEnabled(false);
    echo_->setFixedHeight(36);
    // A stopped program's instruction comes as the disassembler lays it out,
    // in tab-separated columns: a stop every character keeps it on the area's
    // one line.
    echo_->setTabStops(echo_->largeurCaractere(), echo_->largeurCaractere());
    champs->addWidget(echo_, 3, 0, 1, 3);

    auto* tout = new QHBoxLayout(this);
    tout->addWidget(commandes, 3);
    tout->addWidget(donnees, 2);

    tmrBoutExec_.setObjectName(QStringLiteral("tmrBoutExec"));
    connect(&tmrBoutExec_, &QTimer::timeout, this, &ConsoleWindow::tickAnimation);
    executeActif(false);

    // Return and Enter press the focused button, as Space does.
    for (QAbstractButton* b : findChildren<QAbstractButton*>())
        b->installEventFilter(this);
    // Load Talker is reached by a click only: when an operation disables the
    // button that has the focus, Qt hands the focus on along the tab chain,
    // and the next Return would download the Talker over the user's program.
    findChild<QPushButton*>(controle::LoadTalker)->setFocusPolicy(Qt::ClickFocus);

    // The console keeps one size.
    setFixedSize(twipsEnPixels(LargeurTwips, this), twipsEnPixels(HauteurTwips, this));
}

QAbstractButton* ConsoleWindow::bouton(const CommandeConsole& c, QWidget* parent) {
    const QString legende = QString::fromUtf8(c.legende);
    QAbstractButton* b = nullptr;
    if (c.caseACocher) {
        b = new QCheckBox(legende, parent);
    } else {
        auto* p = new QPushButton(legende, parent);
        p->setAutoDefault(false);
        b = p;
    }
    b->setObjectName(c.bouton);
    b->setToolTip(QString::fromUtf8(c.bulle));
    return b;
}

void ConsoleWindow::selectionner(int code, const QString& echo, bool executable) {
    selectionnerCommande(session_, code, echo);
    executeActif(executable);
    focusChamp(adresse_);
}

void ConsoleWindow::remplirEcho() {
    RemplirECHO(session_, adresse_->text(), longueur_->text(), valeur_->text());
}

// Ready: enabled and animated; disabled: frame 4, still.
void ConsoleWindow::executeActif(bool pret) {
    if (pret) {
        execute_->setEnabled(true);
        boutExecImage_ = 0;
        tmrBoutExec_.start(200);
    } else {
        tmrBoutExec_.stop();
        boutExecImage_ = 4;
        execute_->setEnabled(false);
    }
    execute_->setIcon(imlBoutExec_[boutExecImage_]);
}

void ConsoleWindow::tickAnimation() {
    boutExecImage_ = boutExecImage_ >= ImagesAnimation ? 1 : boutExecImage_ + 1;
    tmrBoutExec_.setInterval(boutExecImage_ <= 4 ? 200 : 10);
    execute_->setIcon(imlBoutExec_[boutExecImage_]);
}

void ConsoleWindow::focusChamp(QLineEdit* champ) {
    if (!champ->isEnabled()) return;
    champ->setFocus();
    champ->selectAll();
}

void ConsoleWindow::focusExecute() {
    if (!execute_->isEnabled()) return;
    // Given by the keyboard's flow: the button shows its focus frame.
    window()->setAttribute(Qt::WA_KeyboardFocusChange);
    execute_->setFocus(Qt::OtherFocusReason);
}

// After an operation: the focus goes back to the button that started it, or
// to Execute, or to the console itself; never where Qt's tab chain left it
// while that button was disabled.
void ConsoleWindow::rendreFocus(QAbstractButton* utilise) {
    window()->setAttribute(Qt::WA_KeyboardFocusChange);
    if (utilise && utilise->isEnabled() && utilise->isVisible())
        utilise->setFocus(Qt::OtherFocusReason);
    else if (execute_->isEnabled())
        execute_->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
}

bool ConsoleWindow::eventFilter(QObject* objet, QEvent* evenement) {
    // Execute disabled by an operation (a program that stopped by itself, a
    // lost link) is at rest: its animation stops with it.
    if (objet == execute_ && evenement->type() == QEvent::EnabledChange && !execute_->isEnabled() &&
        tmrBoutExec_.isActive())
        executeActif(false);
    if (auto* b = qobject_cast<QAbstractButton*>(objet); b && evenement->type() == QEvent::KeyPress) {
        auto* touche = static_cast<QKeyEvent*>(evenement);
        const bool entree = touche->key() == Qt::Key_Return || touche->key() == Qt::Key_Enter;
        if (entree && touche->modifiers() == Qt::NoModifier) {
            if (!touche->isAutoRepeat() && b->isEnabled()) b->click();
            return true;
        }
    }
    auto* champ = qobject_cast<QLineEdit*>(objet);
    if (champ && (champ == adresse_ || champ == longueur_ || champ == valeur_)) {
        if (evenement->type() == QEvent::KeyPress)
            return toucheChamp(champ, static_cast<QKeyEvent*>(evenement));
        // Only a field the user leaves: one that an operation disables while it
        // has the focus (the stopped display) keeps what the operation set.
        if (evenement->type() == QEvent::FocusOut && champ->isEnabled()) sortieChamp(champ);
    }
    return QWidget::eventFilter(objet, evenement);
}

// Keys in the three fields: Backspace and Enter pass, hexadecimal digits pass
// in upper case, anything else is dropped with a beep.
bool ConsoleWindow::toucheChamp(QLineEdit* champ, QKeyEvent* touche) {
    if (touche->key() == Qt::Key_Return || touche->key() == Qt::Key_Enter) {
        entreeChamp(champ);
        return true;
    }
    // With the program's symbols, the address field takes a label too.
    static const QString CaracteresEtiquette = ChiffresHexa + QStringLiteral("GHIJKLMNOPQRSTUVWXYZ_.+-");
    const bool etiquette = champ == adresse_ && !session_.symboles.vide();
    QString majuscule;
    switch (trierTouche(touche, etiquette ? CaracteresEtiquette : ChiffresHexa, majuscule)) {
    case SortTouche::Laisser: return false;
    case SortTouche::Inserer: champ->insert(majuscule); break;
    case SortTouche::Refuser: session_.ecran().beep(); break;
    }
    return true;
}

void ConsoleWindow::entreeChamp(QLineEdit* champ) {
    EtatConsole& c = session_.console;
    if (champ == adresse_) {
        adresse_->setText(adresseSaisie());
        c.CmdAdresse = adresse_->text();
        remplirEcho();
        switch (c.CmdCourante) {
        case code::MemFill: focusChamp(longueur_); break;
        case code::MemSet: focusChamp(valeur_); break;
        case code::Run:
        case code::Break:
        case code::Disassemble: focusExecute(); break;
        default: focusChamp(longueur_); break;
        }
    } else if (champ == longueur_) {
        c.CmdLongueur = longueur_->text();
        remplirEcho();
        if (c.CmdCourante == code::MemFill)
            focusChamp(valeur_);
        else
            focusExecute();
    } else {
        c.CmdValeur = valeur_->text();
        remplirEcho();
        focusExecute();
    }
}

QString ConsoleWindow::adresseSaisie() {
    const QString texte = adresse_->text();
    static const QRegularExpression hexa(QStringLiteral("^[0-9A-F]{0,4}$"));
    if (hexa.match(texte).hasMatch()) return completer(texte, 4);
    if (const std::optional<int> a = session_.symboles.adresse(texte)) return DecHexa4(*a);
    session_.ecran().beep();
    return session_.console.CmdAdresse;
}

void ConsoleWindow::prendreSymboles() {
    adresse_->setMaxLength(session_.symboles.vide() ? 4 : 32);
    if (adresse_->text().size() > adresse_->maxLength()) adresse_->setText(session_.console.CmdAdresse);
}

void ConsoleWindow::sortieChamp(QLineEdit* champ) {
    EtatConsole& c = session_.console;
    if (champ == adresse_) {
        adresse_->setText(adresseSaisie());
        c.CmdAdresse = adresse_->text();
        if (c.CmdCourante == code::Break) {
            remplirEcho();
            chkBreak_->setText(QStringLiteral("Break : ") + c.CmdAdresse);
            session_.pointArret.BreakAdr = c.CmdAdresse;
            TraceEcho(session_);
        } else if (c.CmdCourante == code::MemDump) {
            remplirEcho();
        }
    } else {
        // The length and the value are taken as they are left, by the mouse
        // as by Tab: what the field shows is what Execute will use.
        remplirEcho();
    }
}

void ConsoleWindow::cmdEXECUTE_Click() {
    // Clicked while an exchange is on the line (a read of the watch window,
    // the link watch's check): given again once it has ended, so that the
    // Talker never gets the bytes of two exchanges mixed.
    if (session_.horloge().dansUneAttente()) {
        QTimer::singleShot(RepriseApresAbandonMs, this, [this] {
            if (execute_->isEnabled() && !quitting_) cmdEXECUTE_Click();
        });
        return;
    }
    const int commande = session_.console.CmdCourante;
    // Execute runs what the fields show, whether or not the user confirmed
    // or left the field last typed in.
    if (adresse_->isEnabled() || longueur_->isEnabled() || valeur_->isEnabled()) remplirEcho();
    // Disabling Execute while it has the focus passes the focus on to the next
    // button, Efface, where a Space would empty the command: it comes back.
    const bool focusSurExecute = execute_->hasFocus();
    executeActif(false);
    const bool pret = executerCommande(session_);
    executeActif(pret);
    if (commande == code::Run || commande == code::Break) {
        // Execute is at rest after them: back to their own button.
        const CommandeConsole* c = commandeParCode(commande);
        rendreFocus(c ? findChild<QAbstractButton*>(c->bouton) : nullptr);
    } else if (pret && (commande == code::MemDump || focusSurExecute)) {
        focusExecute();
    } else if (QWidget* f = QApplication::focusWidget(); f && f->objectName() == controle::Efface) {
        if (adresse_->isEnabled())
            focusChamp(adresse_);
        else
            setFocus();
    }
}

void ConsoleWindow::cmdDISPLAYREG_Click() {
    // Load Reg stays on while the program runs, also while Break or Run wait
    // for it to stop. Its check must not run inside that wait: it would talk
    // over the stop the wait is for, and switch the link watch on under it.
    if (session_.horloge().dansUneAttente()) {
        session_.ecran().beep();
        return;
    }
    chargerRegistres(session_);
}

void ConsoleWindow::chkBreak_Click(bool coche) {
    // Execute is armed only while the program runs (a stopped one gets the
    // breakpoint at its next Run), and not inside the wait of another Break.
    const bool arme = tessaline::chkBreak_Click(session_, coche);
    executeActif(arme && !session_.horloge().dansUneAttente());
    if (coche) focusChamp(adresse_);
}

void ConsoleWindow::cmdSTEP_Click() {
    // Clicked during a step (Step stays on while it runs): a step more, run
    // once this one has ended, as many as the user clicked up to a few.
    if (pasEnCours_) {
        if (pasEnAttente_ < PasEnAttenteMaximum)
            ++pasEnAttente_;
        else
            session_.ecran().beep();
        return;
    }
    // Step stays on while a command on the stopped program runs (a dump, a
    // fill): its exchanges must not run inside that command's.
    if (session_.horloge().dansUneAttente()) {
        session_.ecran().beep();
        return;
    }
    auto* step = findChild<QPushButton*>(controle::Step);
    pasEnCours_ = true;
    for (;;) {
        tessaline::cmdSTEP_Click(session_);
        executeActif(false);
        // The steps waiting are dropped when this one left no stopped
        // program to step (Step off: the Talker lost, a break armed) or the
        // windows close.
        if (pasEnAttente_ == 0 || !step->isEnabled() || quitting_ || session_.liaison.interruption) break;
        --pasEnAttente_;
    }
    pasEnAttente_ = 0;
    pasEnCours_ = false;
    rendreFocus(step);
}

void ConsoleWindow::cmdCONTINUE_Click() {
    executerSurArret([this] { tessaline::cmdCONTINUE_Click(session_); });
}

void ConsoleWindow::cmdNEXT_Click() {
    executerSurArret([this] { tessaline::cmdNEXT_Click(session_); });
}

void ConsoleWindow::cmdBACK_Click() {
    executerSurArret([this] {
        executerPas(session_, QStringLiteral("Pas arri\u00e8re"), [](Session& s) { PasArriere(s, 1); });
    });
}

void ConsoleWindow::cmdRUNTO_Click(int adresse) {
    executerSurArret([this, adresse] { tessaline::cmdRUNTO_Click(session_, adresse); });
}

void ConsoleWindow::executerSurArret(const std::function<void()>& operation) {
    // Their exchanges must not run inside another's (a step, whose Step stays
    // on, or a dump).
    if (pasEnCours_ || session_.horloge().dansUneAttente()) {
        session_.ecran().beep();
        return;
    }
    pasEnCours_ = true;
    operation();
    executeActif(false);
    // Step clicked meanwhile was for a step that is not running: dropped.
    pasEnAttente_ = 0;
    pasEnCours_ = false;
}

void ConsoleWindow::cmdSTOP_Click() {
    if (stopDiffere_) return; // already to be given again
    if (tessaline::cmdSTOP_Click(session_)) {
        executeActif(false);
        rendreFocus(findChild<QPushButton*>(controle::Stop));
        return;
    }
    // Another exchange is under way (a Load Reg, the link watch's check): the
    // Talker takes the stop command once it has ended. Given again then,
    // unless the program has stopped meanwhile and Stop is off.
    stopDiffere_ = true;
    QTimer::singleShot(RepriseApresAbandonMs, this, [this] {
        stopDiffere_ = false;
        if (findChild<QPushButton*>(controle::Stop)->isEnabled()) cmdSTOP_Click();
    });
}

void ConsoleWindow::cmdEFFACE_Click() {
    adresse_->clear();
    longueur_->clear();
    valeur_->clear();
    echo_->clear();
}

void ConsoleWindow::Command1_Click() {
    TestTalker(session_);
}

void ConsoleWindow::cmdLOADTALKER_Click() {
    executeActif(false);
    // Clicked while an operation waits for the target (the check at start-up
    // on a board that does not answer, a dump): a download run from inside
    // that wait would leave it waiting on, to its time-out, and then its own
    // failure would overwrite the state the download left. The wait is ended
    // first (the abort flag), and the download runs once it has returned.
    if (session_.horloge().dansUneAttente()) {
        session_.demanderAbandon();
        QTimer::singleShot(RepriseApresAbandonMs, this, &ConsoleWindow::cmdLOADTALKER_Click);
        return;
    }
    chargerTalker(session_);
    emit talkerCharge();
}

void ConsoleWindow::closeEvent(QCloseEvent* e) {
    if (!quitting_) e->ignore();
}

} // namespace tessaline
