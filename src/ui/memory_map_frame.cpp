#include "ui/memory_map_frame.h"

#include "config/memory_map_settings.h"
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/screen.h"
#include "ui/key_filter.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <optional>
#include <stdexcept>

namespace tessaline {

namespace {

const QString ChiffresDecimaux = QStringLiteral("0123456789");

// The 68HC11 addresses 64 KB: a block ends at $FFFF at the latest.

// The four editable fields. A block ends at start + size - 1: a field's end
// is its new value plus the other value of its block, minus one.
struct Champ {
    const char* nom;
    const char* bulle;
    double CarteMemoire::*valeur;
    double CarteMemoire::*autre;
    bool hexa;     // a start (hexadecimal) or a size (decimal)
    bool bipRefus; // a refused key beeps
    int ligne;     // 1 RAM, 2 EEPROM
};

const std::array<Champ, 4> Champs = {{
    {"txtDepartRam", "Adresse de D\u00e9but de la RAM utilis\u00e9\u00e9 ( en HEXA et Modifiable ) ",
     &CarteMemoire::DepartRam, &CarteMemoire::TailleRam, true, true, 1},
    {"txtTailleRam", "Taille de la RAM utilis\u00e9\u00e9  ( en D\u00e9cimal et Modifiable ) ",
     &CarteMemoire::TailleRam, &CarteMemoire::DepartRam, false, true, 1},
    {"txtDepartEEprom", "Adresse de D\u00e9but de la EEPROM utilis\u00e9\u00e9 ( en HEXA et Modifiable ) ",
     &CarteMemoire::DepartEEprom, &CarteMemoire::TailleEeprom, true, true, 2},
    {"txtTailleEeprom", "Taille de la EEPROM utilis\u00e9\u00e9  ( en D\u00e9cimal et Modifiable ) ",
     &CarteMemoire::TailleEeprom, &CarteMemoire::DepartEEprom, false, false, 2},
}};

constexpr int ColonneDepart = 1;
constexpr int ColonneTaille = 2;
constexpr int ColonneFin = 3;
constexpr int LargeurChamp = 70;

QString texteValeur(double valeur, bool hexa) {
    return hexa ? DecHexa4(valeur) : QString::number(valeur, 'f', 0);
}

// A field's text as a number, the empty text being 0; nothing when it is too
// large to be one.
std::optional<double> lireValeur(const QString& texte, bool hexa) {
    if (hexa) {
        try {
            return HexaDec(texte);
        } catch (const std::overflow_error&) {
            return std::nullopt;
        }
    }
    if (texte.isEmpty()) return 0;
    bool ok = false;
    const qlonglong valeur = texte.toLongLong(&ok);
    return ok ? std::optional<double>(static_cast<double>(valeur)) : std::nullopt;
}

} // namespace

MemoryMapFrame::MemoryMapFrame(Screen& ecran, QWidget* parent)
    : QGroupBox(QStringLiteral(" Configuration "), parent)
    , ecran_(ecran) {
    setObjectName(QStringLiteral("fraConfiguration"));
    auto* grille = new QGridLayout(this);
    auto etiquette = [&](const QString& texte, int ligne, int colonne) {
        grille->addWidget(new QLabel(texte, this), ligne, colonne);
    };
    etiquette(QStringLiteral("D\u00e9but"), 0, ColonneDepart);
    etiquette(QStringLiteral("Taille"), 0, ColonneTaille);
    etiquette(QStringLiteral("Fin"), 0, ColonneFin);
    etiquette(QStringLiteral("RAM"), 1, 0);
    etiquette(QStringLiteral("EEPROM"), 2, 0);
    for (std::size_t i = 0; i < Champs.size(); ++i) {
        const Champ& c = Champs[i];
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(c.nom));
        e->setToolTip(QString::fromUtf8(c.bulle));
        e->setFixedWidth(LargeurChamp);
        // Everything that reaches the field goes through its key filter.
        e->setContextMenuPolicy(Qt::NoContextMenu);
        e->setAcceptDrops(false);
        e->installEventFilter(this);
        const int indice = static_cast<int>(i);
        connect(e, &QLineEdit::textChanged, this, [this, indice] { champModifie(indice); });
        connect(e, &QLineEdit::editingFinished, this, [this, indice] { finirChamp(indice); });
        champs_[i] = e;
        grille->addWidget(e, c.ligne, c.hexa ? ColonneDepart : ColonneTaille);
    }
    auto fin = [&](const char* nom, const QString& bloc, int ligne) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(nom));
        e->setToolTip(QStringLiteral("Adresse Fin de la ") + bloc +
                      QStringLiteral(" utilis\u00e9e ( en HEXA et non Modifiable )"));
        e->setReadOnly(true);
        // Shown on the window's colour, as text that cannot be typed over.
        QPalette couleurs = e->palette();
        couleurs.setColor(QPalette::Base, couleurs.color(QPalette::Window));
        e->setPalette(couleurs);
        e->setFixedWidth(LargeurChamp);
        grille->addWidget(e, ligne, ColonneFin);
        return e;
    };
    finRam_ = fin("txtFinRam", QStringLiteral("RAM"), 1);
    finEeprom_ = fin("txtFinEeprom", QStringLiteral("EEPROM"), 2);
}

void MemoryMapFrame::afficher(const CarteMemoire& carte) {
    carte_ = carte;
    saisie_ = false;
    enCours_.fill(false);
    for (std::size_t i = 0; i < Champs.size(); ++i)
        champs_[i]->setText(texteValeur(carte_.*Champs[i].valeur, Champs[i].hexa));
    afficherFins();
}

void MemoryMapFrame::afficherFins() {
    finRam_->setText(DecHexa4(carte_.DepartRam + carte_.TailleRam - 1));
    finEeprom_->setText(DecHexa4(carte_.DepartEEprom + carte_.TailleEeprom - 1));
}

bool MemoryMapFrame::eventFilter(QObject* objet, QEvent* evenement) {
    if (evenement->type() == QEvent::KeyPress)
        for (std::size_t i = 0; i < champs_.size(); ++i)
            if (objet == champs_[i]) return touche(static_cast<int>(i), static_cast<QKeyEvent*>(evenement));
    return QGroupBox::eventFilter(objet, evenement);
}

// Enter passes as it is; Backspace (and Delete) edit the field as typed keys;
// pasting, cutting, undoing are refused keys; moves, Tab, copy and select-all
// pass. The field is edited here on the accepted keys, so that the typed flag
// is up exactly while the change they make is handled.
bool MemoryMapFrame::touche(int champ, QKeyEvent* evenement) {
    QLineEdit* e = champs_[champ];
    const int cle = evenement->key();
    if (cle == Qt::Key_Return || cle == Qt::Key_Enter) return false;
    if (cle == Qt::Key_Backspace || cle == Qt::Key_Delete) {
        saisie_ = true;
        if (cle == Qt::Key_Backspace)
            e->backspace();
        else
            e->del();
        saisie_ = false;
        return true;
    }
    if (evenement->matches(QKeySequence::Paste) || evenement->matches(QKeySequence::Cut) ||
        evenement->matches(QKeySequence::Undo) || evenement->matches(QKeySequence::Redo)) {
        refuser(champ);
        return true;
    }
    const QString texte = evenement->text();
    if (texte.isEmpty() || !texte[0].isPrint()) return false;
    const QString majuscule = texte.toUpper();
    const QString& chiffres = Champs[champ].hexa ? ChiffresHexa : ChiffresDecimaux;
    if (majuscule.size() == 1 && chiffres.contains(majuscule[0])) {
        saisie_ = true;
        e->insert(majuscule);
        saisie_ = false;
    } else {
        refuser(champ);
    }
    return true;
}

void MemoryMapFrame::refuser(int champ) {
    if (Champs[champ].bipRefus) ecran_.beep();
}

namespace {
// The end a field's text gives its block, when the text is a value the block
// can take.
std::optional<double> finAvec(const QString& texte, const Champ& c, const CarteMemoire& carte) {
    const double autre = carte.*c.autre;
    const std::optional<double> valeur = lireValeur(texte, c.hexa);
    const bool unOctetAuMoins = c.hexa ? autre >= 1 : valeur && *valeur >= 1;
    if (!valeur || !unOctetAuMoins || *valeur + autre - 1 > DerniereAdresse) return std::nullopt;
    return *valeur;
}
} // namespace

void MemoryMapFrame::champModifie(int champ) {
    if (!saisie_) return;
    saisie_ = false;
    enCours_[champ] = true;
    // The end follows the typing while the value holds.
    const Champ& c = Champs[champ];
    if (const auto valeur = finAvec(champs_[champ]->text(), c, carte_)) {
        CarteMemoire apercu = carte_;
        apercu.*c.valeur = *valeur;
        QLineEdit* fin = c.ligne == 1 ? finRam_ : finEeprom_;
        fin->setText(DecHexa4(c.ligne == 1 ? apercu.DepartRam + apercu.TailleRam - 1
                                           : apercu.DepartEEprom + apercu.TailleEeprom - 1));
    }
}

bool MemoryMapFrame::terminerSaisie() {
    bool accepte = true;
    for (int i = 0; i < static_cast<int>(champs_.size()); ++i)
        accepte = finirChamp(i) && accepte;
    return accepte;
}

bool MemoryMapFrame::finirChamp(int champ) {
    if (!enCours_[champ]) return true;
    enCours_[champ] = false;
    const Champ& c = Champs[champ];
    QLineEdit* e = champs_[champ];
    if (const auto valeur = finAvec(e->text(), c, carte_)) {
        carte_.*c.valeur = *valeur;
        afficherFins();
        emit carteSaisie(carte_);
        return true;
    }
    ecran_.message(QStringLiteral("Donn\u00e9es Incorrectes"), TitreApplication, Icone::Aucune, Boutons::Ok);
    e->setText(texteValeur(carte_.*c.valeur, c.hexa));
    afficherFins();
    e->selectAll();
    e->setFocus();
    return false;
}

} // namespace tessaline
