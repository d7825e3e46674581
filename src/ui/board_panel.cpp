#include "ui/board_panel.h"

#include "ui/board_control.h"
#include "ui/board_widgets.h"

#include <QCloseEvent>
#include <QDial>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tessaline {

namespace {
// About thirty images a second: what a person can follow of the LEDs.
constexpr int PeriodeRafraichissementMs = 33;
// A knob turns in hundredths of a volt, from VRL = 0 V to VRH = 5 V.
constexpr int CentiemesMax = 500;

QString nomIndexe(const char* prefixe, int bit) {
    return QLatin1String(prefixe) + QString::number(bit);
}

// Bit 7 stands at the left, as on a board's row of LEDs.
int colonne(int bit) {
    return 8 - bit;
}

QFont petite(QFont f) {
    f.setPointSizeF(f.pointSizeF() * 0.75);
    return f;
}

QLabel* etiquette(const QString& texte, const QString& bulle, QWidget* parent) {
    auto* l = new QLabel(texte, parent);
    l->setToolTip(bulle);
    return l;
}
} // namespace

BoardPanel::BoardPanel(BoardControl& board, QWidget* parent)
    : QWidget(parent)
    , board_(board)
    , description_(new QLabel(board.description(), this))
    , mode_(new QLabel(this)) {
    setObjectName(QStringLiteral("frmCarte"));
    setWindowTitle(QStringLiteral("Carte simul\u00e9e"));
    description_->setObjectName(QStringLiteral("lblCarte"));
    mode_->setObjectName(QStringLiteral("lblMode"));
    auto* grille = new QGridLayout;
    grille->setHorizontalSpacing(4);
    grille->setVerticalSpacing(3);
    creerPorts(grille);
    auto* boutons = new QGridLayout;
    creerBoutons(boutons);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(8, 6, 8, 6);
    l->setSpacing(4);
    l->addWidget(description_);
    l->addWidget(mode_);
    l->addLayout(grille);
    if (board_.aAfficheurEtClavier()) creerAfficheurEtClavier(l);
    if (board_.outils()) creerChronometre(l);
    l->addLayout(boutons);
    afficherMode();
    // What the panel shows held is what the board sees.
    for (int bit = 0; bit < 8; ++bit) {
        if (interA_[bit]) board_.poserEntree('A', bit, false);
        board_.poserEntree('C', bit, false);
        board_.poserTension(bit, 0.0);
    }
    board_.poserIrq(false);
    board_.poserXirq(false);
    rafraichir();
    setFixedSize(sizeHint());
    connect(&rafraichissement_, &QTimer::timeout, this, &BoardPanel::tick);
    rafraichissement_.start(PeriodeRafraichissementMs);
    board_.setSuiviActivite([this] { suivre(); });
}

BoardPanel::~BoardPanel() {
    board_.setSuiviActivite({});
}

void BoardPanel::suivre() {
    if (rafraichissement_.isActive()) return;
    rafraichir();
    rafraichissement_.start(PeriodeRafraichissementMs);
}

void BoardPanel::tick() {
    rafraichir();
    // At rest the pins stay as they are now shown until the board tells of activity.
    if (board_.auRepos()) rafraichissement_.stop();
}

void BoardPanel::creerPorts(QGridLayout* grille) {
    const QFont fontePetite = petite(font());
    for (int bit = 0; bit < 8; ++bit) {
        auto* numero = new QLabel(QString::number(bit), this);
        numero->setFont(fontePetite);
        numero->setAlignment(Qt::AlignCenter);
        grille->addWidget(numero, 0, colonne(bit));
    }
    auto led = [this, grille](char port, int bit, int ligne) {
        auto* d = new LedCarte(this);
        d->setObjectName(QStringLiteral("ledP%1%2").arg(QLatin1Char(port)).arg(bit));
        QString bulle = QStringLiteral("P%1%2 : allum\u00e9e au niveau haut").arg(QLatin1Char(port)).arg(bit);
        if (port != 'B') bulle += QStringLiteral(" (vide tant que la broche est une entr\u00e9e)");
        d->setToolTip(bulle);
        grille->addWidget(d, ligne, colonne(bit), Qt::AlignCenter);
        return d;
    };
    grille->addWidget(etiquette(QStringLiteral("PB"),
                                QStringLiteral("Port B : sorties, diode allum\u00e9e au niveau haut"), this),
                      1, 0);
    for (int bit = 0; bit < 8; ++bit)
        ledsB_[bit] = led('B', bit, 1);

    // Port A: each pin shows a LED while it is an output and a switch while it is an
    // input, as the chip and the program set its direction (PA0-PA2 inputs and PA3-PA6
    // outputs on the A series; PA3 and PA7 either on the E series; any pin on the F1).
    grille->addWidget(
        etiquette(QStringLiteral("PA"),
                  QStringLiteral("Port A : diodes sur les sorties, interrupteurs sur les entr\u00e9es"),
                  this),
        2, 0);
    for (int bit = 0; bit < 8; ++bit) {
        ledsA_[bit] = led('A', bit, 2);
        interA_[bit] = interrupteur('A', bit);
        grille->addWidget(interA_[bit], 2, colonne(bit), Qt::AlignCenter);
    }

    grille->addWidget(
        etiquette(QStringLiteral("PC"),
                  QStringLiteral("Port C : diodes sur les sorties, interrupteurs sur les entr\u00e9es"),
                  this),
        3, 0, 2, 1);
    for (int bit = 0; bit < 8; ++bit) {
        ledsC_[bit] = led('C', bit, 3);
        interC_[bit] = interrupteur('C', bit);
        grille->addWidget(interC_[bit], 4, colonne(bit), Qt::AlignCenter);
    }

    grille->addWidget(
        etiquette(QStringLiteral("PE"),
                  QStringLiteral("Port E : tension sur les entr\u00e9es du convertisseur A/N AN0-AN7"), this),
        5, 0, 2, 1);
    for (int canal = 0; canal < 8; ++canal) {
        auto* p = new QDial(this);
        p->setObjectName(nomIndexe("potAN", canal));
        p->setRange(0, CentiemesMax);
        p->setSingleStep(5);
        p->setPageStep(50);
        p->setNotchTarget(50);
        p->setNotchesVisible(true);
        p->setFixedSize(30, 30);
        p->setToolTip(QStringLiteral("AN%1 (PE%1) : tension d'entr\u00e9e, de 0 \u00e0 5 V").arg(canal));
        potentiometres_[canal] = p;
        grille->addWidget(p, 5, colonne(canal), Qt::AlignCenter);
        auto* v = new QLabel(this);
        v->setObjectName(nomIndexe("lblAN", canal));
        v->setFont(fontePetite);
        v->setAlignment(Qt::AlignCenter);
        tensions_[canal] = v;
        grille->addWidget(v, 6, colonne(canal));
        afficherTension(canal);
        connect(p, &QDial::valueChanged, this, [this, canal](int centiemes) {
            board_.poserTension(canal, centiemes / 100.0);
            afficherTension(canal);
        });
    }
}

InterrupteurCarte* BoardPanel::interrupteur(char port, int bit) {
    auto* s = new InterrupteurCarte(this);
    s->setObjectName(QStringLiteral("swP%1%2").arg(QLatin1Char(port)).arg(bit));
    s->setToolTip(QStringLiteral("P%1%2 : en haut, niveau haut ; en bas, niveau bas "
                                 "(sans effet quand le programme en fait une sortie)")
                      .arg(QLatin1Char(port))
                      .arg(bit));
    connect(s, &QAbstractButton::toggled, this,
            [this, port, bit](bool haut) { board_.poserEntree(port, bit, haut); });
    return s;
}

void BoardPanel::creerBoutons(QGridLayout* grille) {
    auto bouton = [this](const char* nom, const QString& texte, const QString& bulle) {
        auto* b = new QPushButton(texte, this);
        b->setObjectName(QLatin1String(nom));
        b->setToolTip(bulle);
        b->setAutoDefault(false);
        return b;
    };
    auto* irq =
        bouton("cmdIRQ", QStringLiteral("IRQ"),
               QStringLiteral("Tient la broche IRQ au niveau bas tant que le bouton est enfonc\u00e9"));
    auto* xirq =
        bouton("cmdXIRQ", QStringLiteral("XIRQ"),
               QStringLiteral("Tient la broche XIRQ au niveau bas tant que le bouton est enfonc\u00e9"));
    auto* reset =
        bouton("cmdRESET", QStringLiteral("RESET"),
               QStringLiteral("Red\u00e9marre le 68HC11 simul\u00e9 dans le mode choisi par MODA et MODB"));
    // Reached by a click only: the focus leaving a button that an operation
    // disables must never land on RESET, where the next Return resets the board.
    reset->setFocusPolicy(Qt::ClickFocus);
    connect(irq, &QPushButton::pressed, this, [this] { board_.poserIrq(true); });
    connect(irq, &QPushButton::released, this, [this] { board_.poserIrq(false); });
    connect(xirq, &QPushButton::pressed, this, [this] { board_.poserXirq(true); });
    connect(xirq, &QPushButton::released, this, [this] { board_.poserXirq(false); });
    connect(reset, &QPushButton::clicked, this, [this] {
        if (monopuce_->isChecked())
            board_.resetMonopuce();
        else
            board_.reset();
    });
    auto* bootstrap = new QRadioButton(QStringLiteral("Bootstrap"), this);
    bootstrap->setObjectName(QStringLiteral("optBootstrap"));
    bootstrap->setToolTip(
        QStringLiteral("MODA et MODB au niveau bas : RESET lance le chargeur d'amor\u00e7age "
                       "(pour le Talker)"));
    bootstrap->setChecked(true);
    monopuce_ = new QRadioButton(QStringLiteral("Monopuce"), this);
    monopuce_->setObjectName(QStringLiteral("optMonopuce"));
    monopuce_->setToolTip(QStringLiteral("MODA au niveau bas, MODB au niveau haut : RESET lance le programme "
                                         "du vecteur de reset (EEPROM)"));
    connect(monopuce_, &QRadioButton::toggled, this, &BoardPanel::afficherMode);
    grille->addWidget(bootstrap, 0, 0, 1, 2);
    grille->addWidget(monopuce_, 0, 2);
    grille->addWidget(irq, 1, 0);
    grille->addWidget(xirq, 1, 1);
    grille->addWidget(reset, 1, 2);
}

// The LCD as green glass with dark characters, the keypad's sixteen keys beside it,
// and the wiring under both (as the help's simulated board page gives it).
void BoardPanel::creerAfficheurEtClavier(QVBoxLayout* colonne) {
    ecran_ = new QLabel(this);
    ecran_->setObjectName(QStringLiteral("lblAfficheur"));
    QFont fixe = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixe.setPointSizeF(font().pointSizeF() * 1.3);
    ecran_->setFont(fixe);
    ecran_->setTextFormat(Qt::RichText);
    ecran_->setStyleSheet(QStringLiteral("QLabel { background: #8fbf3f; color: #102008; "
                                         "border: 3px solid #303830; padding: 4px 6px; }"));
    ecran_->setToolTip(QStringLiteral("Afficheur 2 \u00d7 16 caract\u00e8res"));
    ecran_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    afficherEcran(ecranAffiche_);

    auto* clavier = new QGridLayout;
    clavier->setSpacing(2);
    for (int touche = 0; touche < 16; ++touche) {
        const int ligne = touche / 4, col = touche % 4;
        const QString nom = QString::number(touche, 16).toUpper();
        auto* b = new QPushButton(nom, this);
        b->setObjectName(QStringLiteral("cmdTouche") + nom);
        b->setFixedSize(28, 24);
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::ClickFocus);
        b->setToolTip(QStringLiteral("Touche %1 : ligne %2 (PB%2), colonne %3 (PE%4)")
                          .arg(nom)
                          .arg(ligne)
                          .arg(col)
                          .arg(col + 4));
        connect(b, &QPushButton::pressed, this, [this, ligne, col] { board_.poserTouche(ligne, col, true); });
        connect(b, &QPushButton::released, this,
                [this, ligne, col] { board_.poserTouche(ligne, col, false); });
        clavier->addWidget(b, ligne, col);
    }
    auto* rangee = new QHBoxLayout;
    rangee->addWidget(ecran_, 0, Qt::AlignVCenter);
    rangee->addStretch(1);
    rangee->addLayout(clavier);
    colonne->addLayout(rangee);

    auto* cablage = new QLabel(QStringLiteral("Afficheur : DB0-DB7 = PC0-PC7, RS = PD2, RW = PD3, E = PD4\n"
                                              "Clavier : lignes PB0-PB3, colonnes PE4-PE7 "
                                              "(touche 4 \u00d7 ligne + colonne)"),
                               this);
    cablage->setObjectName(QStringLiteral("lblCablage"));
    cablage->setFont(petite(font()));
    colonne->addWidget(cablage);
    // The keypad's pull-ups hold PE4-PE7: their knobs have no say.
    for (int canal = 4; canal < 8; ++canal) {
        potentiometres_[canal]->setEnabled(false);
        potentiometres_[canal]->setToolTip(
            QStringLiteral("PE%1 : colonne %2 du clavier").arg(canal).arg(canal - 4));
        tensions_[canal]->setText(QStringLiteral("clavier"));
    }
}

// The controller's character codes as this panel draws them: ASCII from $20 to $7D,
// the character ROM's yen sign at $5C and arrows at $7E-$7F (HD44780U, character
// pattern ROM A00); the CGRAM characters and the ROM's other glyphs as a grey block.
void BoardPanel::afficherEcran(const BoardControl::Afficheur& a) {
    QString html;
    for (int ligne = 0; ligne < 2; ++ligne) {
        if (ligne) html += QStringLiteral("<br>");
        const QByteArray& codes = a.lignes[static_cast<std::size_t>(ligne)];
        for (int i = 0; i < 16; ++i) {
            const auto code = static_cast<uint8_t>(a.allume && i < codes.size() ? codes[i] : ' ');
            QString c;
            if (code == ' ')
                c = QStringLiteral("&nbsp;");
            else if (code == 0x5C)
                c = QStringLiteral("\u00a5");
            else if (code == 0x7E)
                c = QStringLiteral("\u2192");
            else if (code == 0x7F)
                c = QStringLiteral("\u2190");
            else if (code > 0x20 && code < 0x7E)
                c = QString(QLatin1Char(char(code))).toHtmlEscaped();
            else
                c = QStringLiteral("\u2592");
            if (a.allume && ligne == a.curseurLigne && i == a.curseurColonne)
                c = a.clignote ? QStringLiteral("<span style=\"background:#102008;color:#8fbf3f\">") + c +
                                     QStringLiteral("</span>")
                               : QStringLiteral("<u>") + c + QStringLiteral("</u>");
            html += c;
        }
    }
    ecran_->setText(html);
}

void BoardPanel::afficherMode() {
    mode_->setText(monopuce_->isChecked() ? QStringLiteral("MODA et MODB en mode MONOPUCE")
                                          : QStringLiteral("MODA et MODB en mode BOOTSTRAP"));
}

void BoardPanel::afficherTension(int canal) {
    const double volts = potentiometres_[canal]->value() / 100.0;
    tensions_[canal]->setText(QLocale(QLocale::French).toString(volts, 'f', 2) + QStringLiteral("\u2009V"));
}

void BoardPanel::creerChronometre(QVBoxLayout* colonne) {
    auto* rangee = new QHBoxLayout;
    cycles_ = new QLabel(this);
    cycles_->setObjectName(QStringLiteral("lblCycles"));
    cycles_->setToolTip(
        QStringLiteral("Cycles E ex\u00e9cut\u00e9s par le programme (le Talker non compt\u00e9) "
                       "depuis la remise \u00e0 z\u00e9ro, et leur dur\u00e9e au quartz de la carte"));
    auto* zero = new QPushButton(QStringLiteral("Z\u00e9ro"), this);
    zero->setObjectName(QStringLiteral("cmdCyclesZero"));
    zero->setToolTip(QStringLiteral("Remet le chronom\u00e8tre \u00e0 z\u00e9ro"));
    zero->setAutoDefault(false);
    connect(zero, &QPushButton::clicked, this, [this] {
        zeroCycles_ = board_.outils()->cyclesProgramme();
        afficherCycles();
    });
    rangee->addWidget(cycles_, 1);
    rangee->addWidget(zero);
    colonne->addLayout(rangee);
    zeroCycles_ = board_.outils()->cyclesProgramme();
    afficherCycles();
}

void BoardPanel::afficherCycles() {
    BoardTools* outils = board_.outils();
    const uint64_t maintenant = outils->cyclesProgramme();
    // A step back may take the count below the zero: shown as negative.
    const auto n = static_cast<double>(static_cast<int64_t>(maintenant - zeroCycles_));
    const QLocale fr(QLocale::French);
    cycles_->setText(
        QStringLiteral("Chronom\u00e8tre : %1 E  \u2014  %2 \u00b5s")
            .arg(fr.toString(static_cast<qlonglong>(n)), fr.toString(n * 1e6 / outils->horlogeE(), 'f', 1)));
}

void BoardPanel::rafraichir() {
    if (cycles_) afficherCycles();
    if (ecran_) {
        const BoardControl::Afficheur a = board_.afficheur();
        if (!(a == ecranAffiche_)) {
            ecranAffiche_ = a;
            afficherEcran(a);
        }
    }
    const uint8_t b = board_.niveaux('B');
    const uint8_t a = board_.niveaux('A');
    const uint8_t sortiesA = board_.sorties('A');
    const uint8_t c = board_.niveaux('C');
    const uint8_t sortiesC = board_.sorties('C');
    const std::array<int, 5> lu{a, b, c, sortiesA, sortiesC};
    if (lu == affiche_) return;
    affiche_ = lu;
    for (int bit = 0; bit < 8; ++bit) {
        const auto haut = [bit](uint8_t niveaux) { return bool((niveaux >> bit) & 1); };
        ledsB_[bit]->setAllume(haut(b));
        ledsC_[bit]->setAllume(haut(c));
        ledsC_[bit]->setEnabled(haut(sortiesC));
        // A pin the program drives ignores its switch.
        interC_[bit]->setEnabled(!haut(sortiesC));
        ledsA_[bit]->setAllume(haut(a));
        ledsA_[bit]->setVisible(haut(sortiesA));
        interA_[bit]->setVisible(!haut(sortiesA));
    }
}

void BoardPanel::actualiser() {
    description_->setText(board_.description());
    zeroCycles_ = 0; // a new board counts from 0
    if (cycles_) afficherCycles();
    setFixedSize(sizeHint());
    if (QWidget* cadre = parentWidget()) cadre->adjustSize();
}

void BoardPanel::closeEvent(QCloseEvent* e) {
    // The board stays on the bench as long as the program runs.
    if (!property("quitting").toBool()) e->ignore();
}

} // namespace tessaline
