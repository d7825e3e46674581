#include "ui/breakpoints_window.h"

#include "link/conversions.h"
#include "link/error_report.h"
#include "link/session.h"
#include "operations/breakpoint_table.h"

#include <QCheckBox>
#include <QGroupBox>
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
enum ColonneObservation { ColDebut = 0, ColFin = 1, ColLecture = 2, ColEcriture = 3 };

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
    if (BoardTools* outils = session.outilsCarte) {
        for (const BoardTools::Observation& o : outils->observations())
            e += 'O' + QByteArray::number(o.debut) + '-' + QByteArray::number(o.fin) +
                 (o.lecture ? "r" : "") + (o.ecriture ? "w" : "");
        if (const auto& d = session.declenchement)
            e += 'D' + QByteArray::number(d->instruction) + ':' + QByteArray::number(d->adresse);
    }
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
    if (session_.outilsCarte) colonne->addWidget(creerObservations(), 1);

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
    resize(360, session_.outilsCarte ? 480 : 260);
    actualiser();
}

QGroupBox* BreakpointsWindow::creerObservations() {
    auto* groupe = new QGroupBox(QStringLiteral("Points d'observation"), this);
    groupe->setObjectName(QStringLiteral("fraObservations"));
    groupe->setToolTip(QStringLiteral("La carte simul\u00e9e arr\u00eate le programme apr\u00e8s "
                                      "l'instruction qui lit ou \u00e9crit une adresse observ\u00e9e"));
    observations_ = new QTableWidget(0, 4, groupe);
    observations_->setObjectName(QStringLiteral("tblObservations"));
    observations_->setHorizontalHeaderLabels({QStringLiteral("Adresse"), QStringLiteral("Fin"),
                                              QStringLiteral("Lecture"), QStringLiteral("\u00c9criture")});
    observations_->verticalHeader()->hide();
    observations_->setSelectionBehavior(QAbstractItemView::SelectRows);
    observations_->setSelectionMode(QAbstractItemView::SingleSelection);
    observations_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    observations_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    observation_ = new QLineEdit(groupe);
    observation_->setObjectName(QStringLiteral("txtObservation"));
    observation_->setPlaceholderText(QStringLiteral("Adresse ou plage"));
    observation_->setToolTip(QStringLiteral("Une adresse (0101, COMPTE) ou une plage DEBUT-FIN "
                                            "(0100-0101, COMPTE-COMPTE+1), en hexad\u00e9cimal ou en "
                                            "symboles du programme"));
    lecture_ = new QCheckBox(QStringLiteral("Lecture"), groupe);
    lecture_->setObjectName(QStringLiteral("chkLecture"));
    ecriture_ = new QCheckBox(QStringLiteral("\u00c9criture"), groupe);
    ecriture_->setObjectName(QStringLiteral("chkEcriture"));
    ecriture_->setChecked(true);
    auto* ajouter = new QPushButton(QStringLiteral("Ajouter"), groupe);
    ajouter->setObjectName(QStringLiteral("cmdObservationAjouter"));
    retirerObservation_ = new QPushButton(QStringLiteral("Retirer"), groupe);
    retirerObservation_->setObjectName(QStringLiteral("cmdObservationRetirer"));
    toutRetirerObservations_ = new QPushButton(QStringLiteral("Tout retirer"), groupe);
    toutRetirerObservations_->setObjectName(QStringLiteral("cmdObservationsToutRetirer"));

    auto* saisie = new QHBoxLayout;
    saisie->addWidget(observation_, 1);
    saisie->addWidget(lecture_);
    saisie->addWidget(ecriture_);
    saisie->addWidget(ajouter);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch(1);
    boutons->addWidget(retirerObservation_);
    boutons->addWidget(toutRetirerObservations_);
    auto* colonne = new QVBoxLayout(groupe);
    colonne->addLayout(saisie);
    colonne->addWidget(observations_, 1);
    colonne->addLayout(boutons);

    connect(ajouter, &QPushButton::clicked, this, &BreakpointsWindow::ajouterObservation);
    connect(observation_, &QLineEdit::returnPressed, this, &BreakpointsWindow::ajouterObservation);
    connect(retirerObservation_, &QPushButton::clicked, this, &BreakpointsWindow::retirerObservation);
    connect(toutRetirerObservations_, &QPushButton::clicked, this, [this] { poserObservations({}); });
    connect(observations_, &QTableWidget::itemSelectionChanged, this,
            [this] { retirerObservation_->setEnabled(observations_->currentRow() >= 0); });
    return groupe;
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
    if (observations_) actualiserObservations();
}

void BreakpointsWindow::actualiserObservations() {
    const QVector<BoardTools::Observation> liste = session_.outilsCarte->observations();
    int choisie = std::min(observations_->currentRow(), int(liste.size()) - 1);
    observations_->setRowCount(int(liste.size()));
    const auto poser = [this](int ligne, int colonne, const QString& texte) {
        auto* c = new QTableWidgetItem(texte);
        c->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        observations_->setItem(ligne, colonne, c);
        return c;
    };
    for (int ligne = 0; ligne < liste.size(); ++ligne) {
        const BoardTools::Observation& o = liste[ligne];
        poser(ligne, ColDebut, DecHexa4(o.debut));
        poser(ligne, ColFin, o.fin != o.debut ? DecHexa4(o.fin) : QString());
        poser(ligne, ColLecture, QString())->setCheckState(o.lecture ? Qt::Checked : Qt::Unchecked);
        poser(ligne, ColEcriture, QString())->setCheckState(o.ecriture ? Qt::Checked : Qt::Unchecked);
    }
    // A new stop on a watchpoint: the first in the list that takes that access.
    const std::optional<BoardTools::Declenchement>& d = session_.declenchement;
    if (d && d != declenchementMontre_) {
        const auto prise = std::find_if(liste.cbegin(), liste.cend(), [&d](const BoardTools::Observation& o) {
            return d->adresse >= o.debut && d->adresse <= o.fin && (d->ecriture ? o.ecriture : o.lecture);
        });
        if (prise != liste.cend()) choisie = int(prise - liste.cbegin());
    }
    declenchementMontre_ = d;
    observations_->setCurrentCell(choisie, ColDebut);
    retirerObservation_->setEnabled(choisie >= 0);
    toutRetirerObservations_->setEnabled(!liste.isEmpty());
}

std::optional<int> BreakpointsWindow::adresseDe(const QString& texte) const {
    const QString t = texte.trimmed();
    if (hexa(t)) return t.toInt(nullptr, 16);
    return session_.symboles.adresse(t);
}

std::optional<std::pair<int, int>> BreakpointsWindow::plageDe(const QString& texte) const {
    const QString t = texte.trimmed();
    if (const std::optional<int> a = adresseDe(t)) return std::pair{*a, *a};
    // A '-' may also be a label's offset ("fin-2"): the first cut whose two
    // sides both name an address.
    for (qsizetype i = t.indexOf(u'-'); i > 0; i = t.indexOf(u'-', i + 1)) {
        const std::optional<int> debut = adresseDe(t.left(i));
        const std::optional<int> fin = adresseDe(t.mid(i + 1));
        if (debut && fin) {
            if (*fin < *debut) return std::nullopt;
            return std::pair{*debut, *fin};
        }
    }
    return std::nullopt;
}

void BreakpointsWindow::poserObservations(const QVector<BoardTools::Observation>& liste) {
    session_.outilsCarte->poserObservations(liste);
    actualiser();
    emit pointsModifies();
}

void BreakpointsWindow::ajouterObservation() {
    const QString texte = observation_->text().trimmed();
    if (texte.isEmpty()) return;
    const std::optional<std::pair<int, int>> plage = plageDe(texte);
    QString refus;
    if (!plage)
        refus = QStringLiteral("%1 n'est ni une adresse ni une plage DEBUT-FIN (en hexad\u00e9cimal ou en "
                               "symboles du programme, la fin apr\u00e8s le d\u00e9but)")
                    .arg(texte);
    else if (!lecture_->isChecked() && !ecriture_->isChecked())
        refus = QStringLiteral("cochez Lecture, \u00c9criture ou les deux");
    if (!refus.isEmpty()) {
        AfficheEchec(session_.ecran(), QStringLiteral("Point d'observation refus\u00e9 : ") + refus);
        return;
    }
    BoardTools::Observation o;
    o.debut = uint16_t(plage->first);
    o.fin = uint16_t(plage->second);
    o.lecture = lecture_->isChecked();
    o.ecriture = ecriture_->isChecked();
    QVector<BoardTools::Observation> liste = session_.outilsCarte->observations();
    if (!liste.contains(o)) liste << o;
    observation_->clear();
    poserObservations(liste);
    observations_->setCurrentCell(int(liste.indexOf(o)), ColDebut);
}

void BreakpointsWindow::retirerObservation() {
    QVector<BoardTools::Observation> liste = session_.outilsCarte->observations();
    const int ligne = observations_->currentRow();
    if (ligne < 0 || ligne >= liste.size()) return;
    liste.remove(ligne);
    poserObservations(liste);
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
