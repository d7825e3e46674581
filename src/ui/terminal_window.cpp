#include "ui/terminal_window.h"

#include "config/crystal_table.h"
#include "link/serial_port.h"
#include "link/session.h"
#include "link/trace.h"
#include "operations/talker_link.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <functional>

namespace tessaline {

namespace {

constexpr char Cr = '\r';
constexpr char Lf = '\n';
// What the window keeps of a long session, in lines.
constexpr int LignesGardees = 5000;

// The line the user types into: each key goes out at once (Enter as CR,
// Backspace as BS, Escape as ESC, Ctrl+letter as its control code); the line
// keeps what was typed since the last Enter, as a reminder.
class SaisieTerminal : public QLineEdit {
public:
    SaisieTerminal(std::function<void(const QByteArray&)> envoyer, QWidget* parent)
        : QLineEdit(parent)
        , envoyer_(std::move(envoyer)) {}

protected:
    void keyPressEvent(QKeyEvent* e) override {
        switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            envoyer_(QByteArray(1, Cr));
            clear();
            return;
        case Qt::Key_Backspace:
            envoyer_(QByteArray(1, '\b'));
            backspace();
            return;
        case Qt::Key_Escape: envoyer_(QByteArray(1, '\x1b')); return;
        default: break;
        }
        const QString texte = e->text();
        if (texte.isEmpty()) {
            QLineEdit::keyPressEvent(e); // the cursor keys move in the reminder
            return;
        }
        QByteArray octets;
        for (const QChar c : texte)
            if (c.unicode() < 0x100) octets += static_cast<char>(c.unicode());
        if (octets.isEmpty()) return;
        envoyer_(octets);
        end(false);
        for (const char c : octets)
            if (static_cast<uchar>(c) >= 0x20) insert(QString(QChar::fromLatin1(c)));
    }

private:
    std::function<void(const QByteArray&)> envoyer_;
};

} // namespace

QString texteTerminal(const QByteArray& octets, bool& apresCr) {
    QString t;
    for (const char c : octets) {
        const auto o = static_cast<uchar>(c);
        if (c == Lf && apresCr) {
            apresCr = false;
            continue;
        }
        apresCr = c == Cr;
        if (c == Cr || c == Lf)
            t += u'\n';
        else if (o >= 0x20 && o < 0x7f)
            t += QChar::fromLatin1(c);
        else
            t += QStringLiteral("<$%1>").arg(o, 2, 16, QLatin1Char('0')).toUpper();
    }
    return t;
}

QVector<int> debitsTerminal(const QString& quartz) {
    QVector<int> d{300, 600, 1200, 2400, 4800, 9600, 19200};
    // Prescaler 1 (SCP1:0 = 00): E/16, E/32, E/64 (MC68HC11A8 TD table 5-2).
    if (const ReglageQuartz* q = reglageQuartz(quartz))
        for (int scr = 2; scr >= 0; --scr) {
            const int debit = q->mhz * 1'000'000 / 4 / 16 / (1 << scr);
            if (debit > d.last()) d << debit;
        }
    return d;
}

TerminalWindow::TerminalWindow(Session& session, BoardControl* carte, QWidget* parent)
    : QWidget(parent)
    , session_(session)
    , carte_(carte) {
    setObjectName(QStringLiteral("frmTerminal"));
    setWindowTitle(QStringLiteral("Terminal"));

    recu_ = new QPlainTextEdit(this);
    recu_->setObjectName(QStringLiteral("txtRECU"));
    recu_->setReadOnly(true);
    recu_->setMaximumBlockCount(LignesGardees);
    recu_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont fixe = recu_->font();
    fixe.setFamily(QStringLiteral("Courier New"));
    fixe.setStyleHint(QFont::TypeWriter);
    recu_->setFont(fixe);

    saisie_ = new SaisieTerminal([this](const QByteArray& o) { envoyer(o); }, this);
    saisie_->setObjectName(QStringLiteral("txtSAISIE"));
    saisie_->setFont(fixe);
    saisie_->setPlaceholderText(QStringLiteral("Tapez ici : chaque touche part aussit\u00f4t"));

    auto* efface = new QPushButton(QStringLiteral("&Effacer"), this);
    efface->setObjectName(QStringLiteral("cmdEFFACER"));
    efface->setAutoDefault(false);
    connecter_ = new QPushButton(QStringLiteral("&Connecter"), this);
    connecter_->setObjectName(QStringLiteral("cmdCONNECTER"));
    connecter_->setAutoDefault(false);
    connecter_->setToolTip(QStringLiteral("Donner la ligne au programme (apr\u00e8s un RESET monopuce)"));

    debit_ = new QComboBox(this);
    debit_->setObjectName(QStringLiteral("cmbDEBIT"));
    debit_->setEditable(true);
    debit_->setInsertPolicy(QComboBox::NoInsert);
    debit_->setValidator(new QIntValidator(50, 1'000'000, debit_));
    if (carte_) {
        // The simulated board's line follows the program: the box only shows its rate.
        debit_->setEnabled(false);
        debit_->setToolTip(QStringLiteral("Le d\u00e9bit du SCI du programme (registre BAUD)"));
    } else {
        for (const int d : debitsTerminal(session_.config.Quartz))
            debit_->addItem(QString::number(d));
        debit_->setCurrentText(QString::number(DebitDefaut));
        debit_->setToolTip(QStringLiteral("Le d\u00e9bit que le programme donne au SCI"));
    }
    auto* libelle = new QLabel(QStringLiteral("&D\u00e9bit :"), this);
    libelle->setBuddy(debit_);

    etat_ = new QLabel(this);
    etat_->setObjectName(QStringLiteral("lblETAT"));
    etat_->setWordWrap(true);

    auto* bas = new QHBoxLayout;
    bas->addWidget(libelle);
    bas->addWidget(debit_);
    bas->addWidget(connecter_);
    bas->addStretch();
    bas->addWidget(efface);
    auto* tout = new QVBoxLayout(this);
    tout->setContentsMargins(4, 4, 4, 4);
    tout->addWidget(recu_, 1);
    tout->addWidget(saisie_);
    tout->addLayout(bas);
    tout->addWidget(etat_);

    connect(efface, &QPushButton::clicked, this, [this] {
        recu_->clear();
        apresCr_ = false;
        saisie_->setFocus();
    });
    connect(connecter_, &QPushButton::clicked, this, &TerminalWindow::connecter);
    connect(debit_, &QComboBox::activated, this, &TerminalWindow::changerDebit);
    connect(debit_->lineEdit(), &QLineEdit::editingFinished, this, &TerminalWindow::changerDebit);

    minuterie_.setObjectName(QStringLiteral("tmrTerminal"));
    minuterie_.setInterval(IntervalleMs);
    connect(&minuterie_, &QTimer::timeout, this, &TerminalWindow::tick);
    // Bytes that come are shown at once, not at the next look.
    connect(&session_.ligne(), &SerialLine::dataArrived, this, [this] {
        if (tient_) tick();
    });
    setFocusProxy(saisie_);
    montrerEtat();
    resize(480, 300);
}

int TerminalWindow::debitChoisi() const {
    bool ok = false;
    const int d = debit_->currentText().toInt(&ok);
    return ok && d > 0 ? d : DebitDefaut;
}

QString TerminalWindow::texte() const {
    return recu_->toPlainText();
}

bool TerminalWindow::ligneLibre() const {
    const EtatLiaison& l = session_.liaison;
    return l.ligneAuTerminal && !l.talkerPresent && !l.cibleTourne && l.receptionsEnCours == 0 &&
           !session_.horloge().dansUneAttente() && session_.ligne().isOpen();
}

void TerminalWindow::prendreLigne(bool montrerAuPremierOctet) {
    if (quitting_) return;
    session_.liaison.ligneAuTerminal = true;
    tient_ = true;
    montrerAuPremierOctet_ = montrerAuPremierOctet;
    if (carte_) {
        carte_->suivreSciProgramme(true);
    } else {
        ouvrirAuDebitChoisi();
    }
    minuterie_.start();
    montrerEtat();
}

void TerminalWindow::rendreLigne(bool rouvrir) {
    if (!tient_) return;
    tient_ = false;
    montrerAuPremierOctet_ = false;
    if (!isVisible()) minuterie_.stop();
    // Taken back already (Load Talker): the line is no longer the window's to touch.
    if (session_.liaison.ligneAuTerminal) {
        session_.liaison.ligneAuTerminal = false;
        if (carte_) carte_->suivreSciProgramme(false);
        if (rouvrir && session_.ligne().isOpen()) ComOpen(session_);
    }
    montrerEtat();
}

void TerminalWindow::connecter() {
    if (tient_ || quitting_) return;
    // An operation is waiting on the line: it is not the window's to take.
    if (session_.horloge().dansUneAttente() || session_.liaison.receptionsEnCours > 0) {
        session_.ecran().beep();
        return;
    }
    EtatLiaison& l = session_.liaison;
    if (l.talkerPresent || l.cibleTourne) {
        const Reponse r = session_.ecran().message(
            QStringLiteral(
                "Le Talker tient la ligne. La donner au programme lanc\u00e9 par un RESET monopuce "
                "de la carte ? Les commandes du Talker attendront Load Talker."),
            QStringLiteral("Terminal"), Icone::Question, Boutons::OuiNon);
        if (r != Reponse::Oui) return;
        // The user reset the board in single-chip mode: the Talker is gone.
        EtatPasDeTalker(session_);
    }
    prendreLigne();
}

void TerminalWindow::changerDebit() {
    if (carte_ || !tient_ || !ligneLibre()) return;
    if (debitChoisi() != debitOuvert_) ouvrirAuDebitChoisi();
    montrerEtat();
}

void TerminalWindow::ouvrirAuDebitChoisi() {
    debitOuvert_ = debitChoisi();
    ComOpen(session_, debitOuvert_);
    TraceCommande(session_,
                  QStringLiteral("Terminal : ligne au programme \u00e0 %1 bauds").arg(debitOuvert_));
}

void TerminalWindow::envoyer(const QByteArray& octets) {
    if (!tient_ || !ligneLibre()) {
        session_.ecran().beep();
        montrerEtat();
        return;
    }
    for (const char c : octets)
        session_.ligne().sendByte(static_cast<quint8>(c));
}

void TerminalWindow::tick() {
    if (quitting_) return;
    if (!tient_) {
        montrerEtat(); // the Talker may have come or gone
        return;
    }
    const EtatLiaison& l = session_.liaison;
    if (!l.ligneAuTerminal || l.talkerPresent || l.cibleTourne) {
        // Load Talker took the line back, or a Talker answered on it: it is
        // the Talker's line again, at the rate it was found at.
        rendreLigne(false);
        return;
    }
    // A line that broke while the window held it: said once, as the link watch would.
    if (session_.ligne().coupee()) {
        if (l.receptionsEnCours == 0 && !session_.horloge().dansUneAttente()) constaterCoupure(session_);
        montrerEtat();
        return;
    }
    if (!ligneLibre()) return;
    if (session_.ligne().bytesWaiting() > 0) {
        afficher(session_.ligne().readAll());
        if (montrerAuPremierOctet_) {
            montrerAuPremierOctet_ = false;
            emit premierOctet();
        }
    }
    montrerEtat();
}

void TerminalWindow::afficher(const QByteArray& octets) {
    const QString t = texteTerminal(octets, apresCr_);
    if (t.isEmpty()) return;
    QScrollBar* barre = recu_->verticalScrollBar();
    const bool enBas = barre->value() == barre->maximum();
    QTextCursor c(recu_->document());
    c.movePosition(QTextCursor::End);
    c.insertText(t);
    if (enBas) barre->setValue(barre->maximum());
}

void TerminalWindow::montrerEtat() {
    QString e;
    const EtatLiaison& l = session_.liaison;
    if (!tient_) {
        if (carte_) debit_->setEditText(QStringLiteral("-"));
        e = l.talkerPresent || l.cibleTourne
                ? QStringLiteral("Le Talker tient la ligne. Apr\u00e8s un RESET monopuce, le programme "
                                 "la prend ici (Connecter sur une carte r\u00e9elle).")
                : QStringLiteral("Ligne libre : Connecter la donne au programme.");
    } else if (!session_.ligne().isOpen()) {
        e = QStringLiteral("Port ferm\u00e9 : choisissez-en un (Affichage > Options), puis Connecter.");
    } else if (carte_) {
        const BoardControl::SciProgramme sci = carte_->sciProgramme();
        debit_->setEditText(sci.debit > 0 ? QString::number(sci.debit) : QStringLiteral("-"));
        if (sci.debit == 0) {
            e = QStringLiteral("Ligne au programme, qui n'a pas mis en marche son SCI (SCCR2 TE, RE) : ce "
                               "que vous tapez est perdu.");
        } else {
            // The status bar's port panel shows the rate the line runs at now.
            const QString port = session_.ligne().peripheriqueFixe() +
                                 QStringLiteral(":%1,N,%2,1").arg(sci.debit).arg(sci.bitsDonnees);
            if (session_.ecran().panel(QStringLiteral("Port")) != port)
                session_.ecran().setPanel(QStringLiteral("Port"), port, 0);
            e = QStringLiteral("Ligne au programme : %1 bauds, %2 bits de donn\u00e9es.")
                    .arg(sci.debit)
                    .arg(sci.bitsDonnees);
            if (!sci.recepteur)
                e += QStringLiteral(
                    " Son r\u00e9cepteur est coup\u00e9 (SCCR2 RE) : ce que vous tapez est perdu.");
        }
    } else {
        e = QStringLiteral("Ligne au programme : %1 bauds. Load Talker la rend au Talker.").arg(debitOuvert_);
    }
    connecter_->setEnabled(!tient_);
    etat_->setText(e);
}

void TerminalWindow::setQuitting(bool q) {
    quitting_ = q;
    if (q) minuterie_.stop();
}

void TerminalWindow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!quitting_) minuterie_.start();
    montrerEtat();
}

void TerminalWindow::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    // Held, the line is still read: the program's bytes wait in the window.
    if (!tient_) minuterie_.stop();
}

} // namespace tessaline
