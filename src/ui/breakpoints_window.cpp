#include "ui/breakpoints_window.h"

#include "link/conversions.h"
#include "link/error_report.h"
#include "link/session.h"
#include "operations/breakpoint_table.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tessaline {

namespace {

enum Colonne { ColAdresse = 0, ColSymbole = 1, ColActif = 2 };

bool hexa(const QString& texte) {
    if (texte.isEmpty() || texte.size() > 4) return false;
    return std::all_of(texte.cbegin(), texte.cend(), [](QChar c) { return isxdigit(c.toLatin1()) != 0; });
}

// The console's Break, once armed with an address (given when its field is left).
bool consoleBreak(const EtatBreak& b) {
    return b.BreakArme && !b.BreakAdr.isEmpty();
}

} // namespace

QByteArray etatPointsAffiche(const Session& session) {
    QByteArray e;
    for (const PointArret& p : session.points.liste)
        e += QByteArray::number(p.adresse) + (p.actif ? '+' : '-');
    const EtatBreak& b = session.pointArret;
    if (consoleBreak(b)) e += "B" + b.BreakAdr.toLatin1();
    return e;
}

BreakpointsWindow::BreakpointsWindow(Session& session, QWidget* parent)
    : QWidget(parent)
    , session_(session)
    , table_(new QTableWidget(0, 3, this))
    , adresse_(new QLineEdit(this))
    , retirer_(new QPushButton(QStringLiteral("Retirer"), this))
    , toutRetirer_(new QPushButton(QStringLiteral("Tout retirer"), this)) {
    setObjectName(QStringLiteral("frmPointsArret"));
    setWindowTitle(QStringLiteral("Points d'arr\u00eat"));
    table_->setObjectName(QStringLiteral("lstPoints"));
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Adresse"), QStringLiteral("Symbole"), QStringLiteral("Actif")});
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(ColSymbole, QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(ColAdresse, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(ColActif, QHeaderView::ResizeToContents);
    adresse_->setObjectName(QStringLiteral("txtPointAdresse"));
    adresse_->setPlaceholderText(QStringLiteral("Adresse ou symbole"));
    adresse_->setToolTip(QStringLiteral("Une adresse hexad\u00e9cimale (FE15) ou un symbole du programme "
                                        "(boucle, boucle+3)"));
    auto* ajouter = new QPushButton(QStringLiteral("Ajouter"), this);
    ajouter->setObjectName(QStringLiteral("cmdPointAjouter"));
    retirer_->setObjectName(QStringLiteral("cmdPointRetirer"));
    toutRetirer_->setObjectName(QStringLiteral("cmdPointsToutRetirer"));

    auto* saisie = new QHBoxLayout;
    saisie->addWidget(adresse_, 1);
    saisie->addWidget(ajouter);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch(1);
    boutons->addWidget(retirer_);
    boutons->addWidget(toutRetirer_);
    auto* colonne = new QVBoxLayout(this);
    colonne->setContentsMargins(6, 6, 6, 6);
    colonne->addLayout(saisie);
    colonne->addWidget(table_, 1);
    colonne->addLayout(boutons);

    connect(ajouter, &QPushButton::clicked, this, &BreakpointsWindow::ajouter);
    connect(adresse_, &QLineEdit::returnPressed, this, &BreakpointsWindow::ajouter);
    connect(retirer_, &QPushButton::clicked, this, &BreakpointsWindow::retirer);
    connect(toutRetirer_, &QPushButton::clicked, this, &BreakpointsWindow::toutRetirer);
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* c) {
        if (!remplissage_ && c->column() == ColActif) activer(c->row(), c->checkState() == Qt::Checked);
    });
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] {
        retirer_->setEnabled(table_->currentRow() >= 0 &&
                             table_->currentRow() < session_.points.liste.size());
    });
    resize(340, 260);
    actualiser();
}

void BreakpointsWindow::actualiser() {
    const int choisie = table_->currentRow();
    remplissage_ = true;
    const QVector<PointArret>& liste = session_.points.liste;
    const EtatBreak& b = session_.pointArret;
    table_->setRowCount(int(liste.size()) + (consoleBreak(b) ? 1 : 0));
    // The cells are changed in place: a check box's own change comes here
    // while its cell is still in use.
    const auto poser = [this](int ligne, int colonne, const QString& texte, Qt::ItemFlags f) {
        QTableWidgetItem* c = table_->item(ligne, colonne);
        if (!c) {
            c = new QTableWidgetItem;
            table_->setItem(ligne, colonne, c);
        }
        c->setText(texte);
        c->setFlags(f);
        return c;
    };
    const Qt::ItemFlags choix = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    int ligne = 0;
    for (const PointArret& p : liste) {
        poser(ligne, ColAdresse, DecHexa4(p.adresse), choix);
        poser(ligne, ColSymbole, session_.symboles.nom(p.adresse), choix);
        poser(ligne, ColActif, QString(), choix | Qt::ItemIsUserCheckable)
            ->setCheckState(p.actif ? Qt::Checked : Qt::Unchecked);
        ++ligne;
    }
    // The console's Break, one breakpoint among the others: set and cleared
    // by its check box only.
    if (consoleBreak(b)) {
        const QString nom = session_.symboles.nom(HexaDec(b.BreakAdr) & 0xFFFF);
        poser(ligne, ColAdresse, b.BreakAdr, Qt::NoItemFlags);
        poser(ligne, ColSymbole,
              nom.isEmpty() ? QStringLiteral("(Break de la console)")
                            : nom + QStringLiteral(" (Break de la console)"),
              Qt::NoItemFlags);
        poser(ligne, ColActif, QString(), Qt::ItemIsUserCheckable)->setCheckState(Qt::Checked);
    }
    remplissage_ = false;
    table_->setCurrentCell(std::min(choisie, int(liste.size()) - 1), ColAdresse);
    retirer_->setEnabled(table_->currentRow() >= 0 && table_->currentRow() < liste.size());
    toutRetirer_->setEnabled(!liste.isEmpty());
}

std::optional<int> BreakpointsWindow::adresseDe(const QString& texte) const {
    const QString t = texte.trimmed();
    if (hexa(t)) return t.toInt(nullptr, 16);
    return session_.symboles.adresse(t);
}

bool BreakpointsWindow::libre() const {
    if (!session_.horloge().dansUneAttente()) return true;
    session_.ecran().beep();
    return false;
}

void BreakpointsWindow::ajouter() {
    if (!libre()) return;
    const QString texte = adresse_->text().trimmed();
    if (texte.isEmpty()) return;
    const std::optional<int> adresse = adresseDe(texte);
    if (!adresse) {
        AfficheEchec(session_.ecran(),
                     QStringLiteral("Point d'arr\u00eat refus\u00e9 : %1 n'est ni une adresse "
                                    "hexad\u00e9cimale ni un symbole du programme")
                         .arg(texte));
        return;
    }
    if (ajouterPoint(session_, *adresse)) adresse_->clear();
    actualiser();
    emit pointsModifies();
}

void BreakpointsWindow::retirer() {
    const int ligne = table_->currentRow();
    if (ligne < 0 || ligne >= session_.points.liste.size() || !libre()) return;
    retirerPoint(session_, session_.points.liste[ligne].adresse);
    actualiser();
    emit pointsModifies();
}

void BreakpointsWindow::toutRetirer() {
    if (!libre()) return;
    retirerTousLesPoints(session_);
    actualiser();
    emit pointsModifies();
}

void BreakpointsWindow::activer(int ligne, bool actif) {
    if (ligne < 0 || ligne >= session_.points.liste.size()) return;
    if (libre()) activerPoint(session_, session_.points.liste[ligne].adresse, actif);
    actualiser();
    emit pointsModifies();
}

} // namespace tessaline
