#include "ui/watch_window.h"

#include "link/conversions.h"
#include "link/session.h"
#include "link/symbol_table.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace tessaline {

namespace {

enum Colonne { ColNom, ColTaille, ColHexa, ColDecimal, NbColonnes };

// The value that changed last: on a pale yellow, in bold.
const QColor FondChange(255, 255, 160);

QString texteRefus(RefusEntree refus, const QString& texte, const QString& fichierSym) {
    switch (refus) {
    case RefusEntree::Aucun: break;
    case RefusEntree::Forme:
        return QStringLiteral("\u00ab %1 \u00bb : donnez une adresse (1 \u00e0 4 chiffres hexa) ou une "
                              "\u00e9tiquette du programme.")
            .arg(texte);
    case RefusEntree::SansSymboles:
        return QStringLiteral("\u00ab %1 \u00bb : aucun symbole connu. Ouvrez le source assembl\u00e9 (son "
                              ".SYM \u00e0 c\u00f4t\u00e9) ou donnez une adresse.")
            .arg(texte);
    case RefusEntree::SymboleInconnu:
        return QStringLiteral("\u00ab %1 \u00bb n'est pas un symbole de %2.")
            .arg(texte, QFileInfo(fichierSym).fileName());
    case RefusEntree::MotAuBout:
        return QStringLiteral("\u00ab %1 \u00bb : un mot \u00e0 FFFF d\u00e9borderait de la m\u00e9moire.")
            .arg(texte);
    }
    return {};
}

} // namespace

WatchWindow::WatchWindow(Session& session, QWidget* parent)
    : QWidget(parent)
    , session_(session) {
    setObjectName(QStringLiteral("frmSurveillance"));
    setWindowTitle(QStringLiteral("Surveillance"));

    saisie_ = new QLineEdit(this);
    saisie_->setObjectName(QStringLiteral("txtENTREE"));
    saisie_->setPlaceholderText(QStringLiteral("Adresse ou \u00e9tiquette"));
    mot_ = new QCheckBox(QStringLiteral("&Mot"), this);
    mot_->setObjectName(QStringLiteral("chkMOT"));
    mot_->setToolTip(
        QStringLiteral("Un mot de 16 bits (octet fort \u00e0 l'adresse, faible \u00e0 la suivante)"));
    auto* ajout = new QPushButton(QStringLiteral("&Ajouter"), this);
    ajout->setObjectName(QStringLiteral("cmdAJOUTER"));
    ajout->setAutoDefault(false);
    auto* retrait = new QPushButton(QStringLiteral("&Retirer"), this);
    retrait->setObjectName(QStringLiteral("cmdRETIRER"));
    retrait->setAutoDefault(false);

    actif_ = new QCheckBox(QStringLiteral("&Surveiller"), this);
    actif_->setObjectName(QStringLiteral("chkSURVEILLER"));
    actif_->setChecked(true);
    actif_->setToolTip(QStringLiteral("Relire les valeurs pendant que le programme tourne"));
    frequence_ = new QSpinBox(this);
    frequence_->setObjectName(QStringLiteral("updFREQUENCE"));
    frequence_->setRange(1, FrequenceMaximum);
    frequence_->setValue(FrequenceDefaut);
    frequence_->setSuffix(QStringLiteral(" Hz"));
    frequence_->setToolTip(
        QStringLiteral("Relectures par seconde : chacune arr\u00eate le programme le temps "
                       "de l'\u00e9change"));

    table_ = new QTableWidget(0, NbColonnes, this);
    table_->setObjectName(QStringLiteral("grdSURVEILLANCE"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Adresse"), QStringLiteral("Taille"),
                                       QStringLiteral("Hexa"), QStringLiteral("D\u00e9cimal")});
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->horizontalHeader()->setStretchLastSection(true);
    QFont fixe = table_->font();
    fixe.setFamily(QStringLiteral("Courier New"));
    fixe.setStyleHint(QFont::TypeWriter);
    table_->setFont(fixe);

    etat_ = new QLabel(this);
    etat_->setObjectName(QStringLiteral("lblETAT"));
    etat_->setWordWrap(true);

    auto* haut = new QHBoxLayout;
    haut->addWidget(saisie_, 1);
    haut->addWidget(mot_);
    haut->addWidget(ajout);
    haut->addWidget(retrait);
    auto* rythme = new QHBoxLayout;
    rythme->addWidget(actif_);
    rythme->addWidget(frequence_);
    rythme->addStretch();
    auto* tout = new QVBoxLayout(this);
    tout->setContentsMargins(4, 4, 4, 4);
    tout->addLayout(haut);
    tout->addWidget(table_, 1);
    tout->addLayout(rythme);
    tout->addWidget(etat_);

    connect(ajout, &QPushButton::clicked, this, [this] {
        if (ajouter(saisie_->text(), mot_->isChecked())) saisie_->clear();
        saisie_->setFocus();
    });
    connect(saisie_, &QLineEdit::returnPressed, ajout, &QPushButton::click);
    connect(retrait, &QPushButton::clicked, this, &WatchWindow::retirer);
    connect(actif_, &QCheckBox::toggled, this, [this](bool actif) {
        aJour_ = false;
        if (actif) etat({});
    });
    connect(frequence_, &QSpinBox::valueChanged, this, &WatchWindow::suivreFrequence);
    tmrSurveillance_.setObjectName(QStringLiteral("tmrSurveillance"));
    connect(&tmrSurveillance_, &QTimer::timeout, this, &WatchWindow::tick);
    suivreFrequence();
    resize(360, 240);
}

bool WatchWindow::ajouter(const QString& texte, bool mot) {
    const QString fichierSym = session_.fichiers.FichierSYM;
    RefusEntree refus = RefusEntree::Aucun;
    const QString suffixe = mot && !texte.contains(u':') ? QStringLiteral(":w") : QString();
    const std::optional<EntreeSurveillee> e = lireEntreeSurveillee(texte + suffixe, session_.symboles, refus);
    if (!e) {
        session_.ecran().beep();
        etat(texteRefus(refus, texte.trimmed(), fichierSym));
        return false;
    }
    entrees_.append(*e);
    valeurs_.append(-1);
    const int ligne = table_->rowCount();
    table_->insertRow(ligne);
    const QString nom =
        e->nom == DecHexa4(e->adresse) ? e->nom : e->nom + QStringLiteral(" (") + DecHexa4(e->adresse) + u')';
    table_->setItem(ligne, ColNom, new QTableWidgetItem(nom));
    table_->setItem(ligne, ColTaille,
                    new QTableWidgetItem(e->mot ? QStringLiteral("Mot") : QStringLiteral("Octet")));
    table_->setItem(ligne, ColHexa, new QTableWidgetItem(QStringLiteral("--")));
    table_->setItem(ligne, ColDecimal, new QTableWidgetItem(QStringLiteral("--")));
    aJour_ = false;
    etat({});
    return true;
}

void WatchWindow::retirer() {
    QList<int> lignes;
    for (const QModelIndex& i : table_->selectionModel()->selectedRows())
        lignes << i.row();
    std::sort(lignes.begin(), lignes.end(), std::greater<int>());
    for (int l : lignes) {
        table_->removeRow(l);
        entrees_.removeAt(l);
        valeurs_.removeAt(l);
    }
    changees_.clear();
    afficher(valeurs_);
}

void WatchWindow::tick() {
    if (quitting_ || !actif_->isChecked() || entrees_.isEmpty()) return;
    // Stopped, the values do not move: read once, then not until it runs again.
    if (!session_.liaison.cibleTourne && aJour_) return;
    const Releve r = releverMemoire(session_, entrees_);
    switch (r.fin) {
    case FinReleve::Lu:
        afficher(r.valeurs);
        aJour_ = !session_.liaison.cibleTourne;
        etat(aJour_ ? QStringLiteral(
                          "Programme arr\u00eat\u00e9 : les valeurs o\u00f9 il s'est arr\u00eat\u00e9.")
                    : QStringLiteral("Le programme tourne : %1 relectures par seconde.")
                          .arg(frequence_->value()));
        break;
    case FinReleve::Rien: break;
    case FinReleve::Masque:
        arreter(QStringLiteral("Surveillance arr\u00eat\u00e9e : le programme ne laisse pas le Talker "
                               "r\u00e9pondre (bit I \u00e0 1, ou SCI pris)."));
        break;
    case FinReleve::Echec:
        arreter(QStringLiteral("Surveillance arr\u00eat\u00e9e : la lecture a \u00e9chou\u00e9."));
        break;
    }
}

void WatchWindow::afficher(const QVector<int>& valeurs) {
    QVector<int> changees;
    for (int i = 0; i < valeurs.size() && i < valeurs_.size(); ++i)
        if (valeurs_[i] >= 0 && valeurs_[i] != valeurs[i]) changees << i;
    valeurs_ = valeurs;
    if (!changees.isEmpty()) changees_ = changees;
    for (int i = 0; i < entrees_.size() && i < valeurs_.size(); ++i) {
        const bool lu = valeurs_[i] >= 0;
        table_->item(i, ColHexa)->setText(lu ? valeurHexa(entrees_[i], valeurs_[i]) : QStringLiteral("--"));
        table_->item(i, ColDecimal)->setText(lu ? valeurDecimale(valeurs_[i]) : QStringLiteral("--"));
        const bool marque = changees_.contains(i);
        for (int c = 0; c < NbColonnes; ++c) {
            QTableWidgetItem* item = table_->item(i, c);
            item->setBackground(marque ? QBrush(FondChange) : QBrush());
            QFont f = item->font();
            f.setBold(marque);
            item->setFont(f);
        }
    }
}

void WatchWindow::arreter(const QString& raison) {
    const QSignalBlocker bloque(actif_);
    actif_->setChecked(false);
    etat(raison);
}

void WatchWindow::suivreFrequence() {
    tmrSurveillance_.setInterval(1000 / frequence_->value());
}

void WatchWindow::etat(const QString& texte) {
    etat_->setText(texte);
}

void WatchWindow::setQuitting(bool q) {
    quitting_ = q;
    if (q) tmrSurveillance_.stop();
}

void WatchWindow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    aJour_ = false;
    if (!quitting_) tmrSurveillance_.start();
}

void WatchWindow::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    tmrSurveillance_.stop();
}

} // namespace tessaline
