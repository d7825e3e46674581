#include "ui/registers_window.h"

#include "link/control_names.h"
#include "link/registers.h"
#include "link/session.h"
#include "operations/console_commands.h"
#include "ui/key_filter.h"
#include "ui/twips.h"
#include "ui/windows_colour.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QVBoxLayout>

namespace tessaline {

namespace {
// The window keeps this size (twips).
constexpr int LargeurTwips = 2040;
constexpr int HauteurTwips = 3555;
const char* const NomsRegistres[] = {"PC", "A", "B", "IX", "IY", "CCR", "SP"};
const char* const NomsBits = "CVZNIHXS"; // bit 0 to bit 7
} // namespace

RegistersWindow::RegistersWindow(Session& session, QWidget* parent)
    : QWidget(parent)
    , session_(session) {
    setObjectName(QStringLiteral("frmRegistres"));
    setWindowTitle(QStringLiteral("Registres"));

    // The boxes, described once: name, width, register text (link/registers.h).
    auto* grille = new QGridLayout;
    grille->setVerticalSpacing(1);
    auto* etiquettes = new QLabel(this);
    etiquettes->setObjectName(QStringLiteral("lblEtiquettes"));
    QStringList noms;
    int ligne = 0;
    for (const DescriptionRegistre& d : descriptionsRegistres()) {
        auto* nom = new QLabel(QLatin1String(NomsRegistres[ligne]), this);
        auto* e = new QLineEdit(this);
        e->setObjectName(d.boite);
        e->setMaxLength(d.chiffres);
        e->setText(session_.registres.*(d.texte));
        e->installEventFilter(this);
        QFont f = e->font();
        f.setFamily(QStringLiteral("Courier New"));
        f.setStyleHint(QFont::TypeWriter);
        e->setFont(f);
        const auto texte = d.texte;
        const bool ccr = texte == &JeuRegistres::RegCCR;
        const bool pc = texte == &JeuRegistres::RegPC;
        connect(e, &QLineEdit::textChanged, this, [this, texte, ccr, pc](const QString& t) {
            session_.registres.*texte = t;
            if (ccr) AfficheCCR(session_);
            if (pc) nommerPC();
        });
        grille->addWidget(nom, ligne, 0);
        grille->addWidget(e, ligne, 1);
        boites_.push_back({e, d.chiffres});
        noms << QLatin1String(NomsRegistres[ligne]);
        ++ligne;
    }
    etiquettes->setText(noms.join(u' '));
    etiquettes->setVisible(false); // the names stand beside the boxes

    auto* cadre = new QGroupBox(QStringLiteral("CCR"), this);
    cadre->setObjectName(QStringLiteral("FrameCCR"));
    auto* bits = new QGridLayout(cadre);
    bits->setSpacing(0);
    bits->setContentsMargins(2, 2, 2, 2);
    for (int i = 7; i >= 0; --i) {
        auto* lettre = new QLabel(QChar::fromLatin1(NomsBits[i]), cadre);
        lettre->setAlignment(Qt::AlignCenter);
        auto* valeur = new QLabel(QStringLiteral("0"), cadre);
        valeur->setObjectName(nomIndexe(controle::BitCcr, i));
        valeur->setAlignment(Qt::AlignCenter);
        bits->addWidget(lettre, 0, 7 - i);
        bits->addWidget(valeur, 1, 7 - i);
    }

    // The label of the program the PC stands in ("boucle+3"), when its
    // symbols are known.
    symbolePC_ = new QLabel(this);
    symbolePC_->setObjectName(QStringLiteral("lblSymbolePC"));
    symbolePC_->setTextFormat(Qt::PlainText);

    auto* tout = new QVBoxLayout(this);
    tout->setContentsMargins(4, 4, 4, 4);
    tout->addLayout(grille);
    tout->addWidget(symbolePC_);
    tout->addWidget(cadre);
    tout->addStretch();
    setEditable(false);
    nommerPC();
    restaurerTaille();
}

void RegistersWindow::nommerPC() {
    bool ok = false;
    const int pc = session_.registres.RegPC.toInt(&ok, 16);
    const QString nom = ok ? session_.symboles.nom(pc) : QString();
    // The box is narrow: a long name is cut, and whole in the tooltip.
    symbolePC_->setText(symbolePC_->fontMetrics().elidedText(nom, Qt::ElideRight, width() - 8));
    symbolePC_->setToolTip(nom);
}

QLineEdit* RegistersWindow::box(const QString& nom) const {
    for (const Boite& b : boites_)
        if (b.edit->objectName() == nom) return b.edit;
    return nullptr;
}

void RegistersWindow::setEditable(bool editable) {
    editable_ = editable;
    for (const Boite& b : boites_) {
        b.edit->setReadOnly(!editable);
        QPalette p = b.edit->palette();
        p.setColor(QPalette::Text, couleurQt(editable ? couleur::Vert : couleur::Rouge));
        b.edit->setPalette(p);
    }
    if (editable && !isMinimized() && !(parentWidget() && parentWidget()->isMinimized())) {
        boites_.front().edit->setFocus();
        boites_.front().edit->selectAll();
    }
}

int RegistersWindow::indexDe(QObject* objet) const {
    for (int i = 0; i < boites_.size(); ++i)
        if (boites_[i].edit == objet) return i;
    return -1;
}

bool RegistersWindow::eventFilter(QObject* objet, QEvent* evenement) {
    const int i = indexDe(objet);
    if (i < 0) return QWidget::eventFilter(objet, evenement);
    QLineEdit* e = boites_[i].edit;
    switch (evenement->type()) {
    case QEvent::FocusIn:
        // Selected once the click that gave the focus has placed the caret.
        QTimer::singleShot(0, e, &QLineEdit::selectAll);
        break;
    case QEvent::FocusOut: e->setText(completer(e->text(), boites_[i].chiffres)); break;
    case QEvent::KeyPress: {
        auto* touche = static_cast<QKeyEvent*>(evenement);
        if (touche->key() == Qt::Key_Return || touche->key() == Qt::Key_Enter) {
            // Enter goes round: PC, A, B, IX, IY, CCR, SP, PC.
            boites_[(i + 1) % boites_.size()].edit->setFocus();
            return true;
        }
        if (e->isReadOnly()) return false;
        QString majuscule;
        switch (trierTouche(touche, ChiffresHexa, majuscule)) {
        case SortTouche::Laisser: return false;
        case SortTouche::Inserer: e->insert(majuscule); break;
        case SortTouche::Refuser: session_.ecran().beep(); break;
        }
        return true;
    }
    case QEvent::MouseButtonPress: {
        auto* souris = static_cast<QMouseEvent*>(evenement);
        if (souris->button() != Qt::RightButton) break;
        // The Talker's popup, only while Reg SET can be entered.
        auto* regSet = window()->findChild<QCheckBox*>(QStringLiteral("chkREGSET"));
        if (popup_ && regSet && regSet->isEnabled()) {
            e->setFocus();
            popup_->popup(souris->globalPosition().toPoint());
        }
        return true;
    }
    case QEvent::ContextMenu: return true; // the line edit's own menu is replaced
    default: break;
    }
    return QWidget::eventFilter(objet, evenement);
}

QSize RegistersWindow::tailleCadre() const {
    return {twipsEnPixels(LargeurTwips, this), twipsEnPixels(HauteurTwips, this, Sens::Vertical)};
}

void RegistersWindow::restaurerTaille() {
    QWidget* cadre = parentWidget() && parentWidget()->inherits("QMdiSubWindow") ? parentWidget() : this;
    if (cadre->isMinimized()) return;
    const QSize voulue = tailleCadre();
    if (cadre->size() != voulue) cadre->resize(voulue);
}

void RegistersWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // The window keeps its size whenever it is resized and not minimised.
    QTimer::singleShot(0, this, &RegistersWindow::restaurerTaille);
}

void RegistersWindow::closeEvent(QCloseEvent* e) {
    if (!quitting_) e->ignore();
}

} // namespace tessaline
