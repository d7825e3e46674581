#include "ui/config_window.h"

#include "link/conversions.h"
#include "link/session.h"
#include "operations/config_register.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaline {

namespace {

// One box a bit; EE3-EE0 are four boxes, named by their bit.
struct Case {
    int masque;
    QString nom;
};

QVector<Case> casesDe(const QString& puce) {
    QVector<Case> l;
    for (const BitConfig& b : bitsConfig(puce)) {
        if (b.nom == QStringLiteral("EE3-EE0")) {
            for (int i = 3; i >= 0; --i)
                l.push_back({0x10 << i, QStringLiteral("EE%1").arg(i)});
        } else {
            l.push_back({b.masque, b.nom});
        }
    }
    return l;
}

} // namespace

ConfigWindow::ConfigWindow(Session& session, QWidget* parent)
    : QWidget(parent)
    , session_(session)
    , lu_(new QLabel(this))
    , nouvelle_(new QLabel(this))
    , cases_(new QWidget(this))
    , programmer_(new QPushButton(QStringLiteral("Programmer"), this)) {
    setObjectName(QStringLiteral("frmConfig"));
    setWindowTitle(QStringLiteral("CONFIG"));
    lu_->setObjectName(QStringLiteral("lblConfigLu"));
    nouvelle_->setObjectName(QStringLiteral("lblConfigNouvelle"));
    programmer_->setObjectName(QStringLiteral("cmdConfigProgrammer"));
    auto* lire = new QPushButton(QStringLiteral("Lire"), this);
    lire->setObjectName(QStringLiteral("cmdConfigLire"));
    new QVBoxLayout(cases_);

    auto* boutons = new QHBoxLayout;
    boutons->addStretch(1);
    boutons->addWidget(lire);
    boutons->addWidget(programmer_);
    auto* colonne = new QVBoxLayout(this);
    colonne->setContentsMargins(8, 8, 8, 8);
    colonne->addWidget(lu_);
    colonne->addWidget(cases_);
    colonne->addWidget(nouvelle_);
    auto* note = new QLabel(QStringLiteral("CONFIG est une cellule d'EEPROM que la puce ne lit qu'au RESET : "
                                           "après la programmation, faites RESET puis Load Talker."),
                            this);
    note->setWordWrap(true);
    colonne->addWidget(note);
    colonne->addStretch(1);
    colonne->addLayout(boutons);
    connect(lire, &QPushButton::clicked, this, [this] {
        if (libre()) this->lire();
    });
    connect(programmer_, &QPushButton::clicked, this, &ConfigWindow::programmer);
    resize(420, 320);
    construireCases();
    montrer(-1);
}

bool ConfigWindow::libre() const {
    if (!session_.horloge().dansUneAttente()) return true;
    session_.ecran().beep();
    return false;
}

void ConfigWindow::construireCases() {
    puce_ = session_.config.HardWare;
    qDeleteAll(boites_);
    boites_.clear();
    for (const Case& c : casesDe(puce_)) {
        auto* b = new QCheckBox(cases_);
        b->setObjectName(QStringLiteral("chk") + QString(c.nom).remove(u'-'));
        b->setProperty("masque", c.masque);
        cases_->layout()->addWidget(b);
        connect(b, &QCheckBox::toggled, this, &ConfigWindow::suivreCases);
        boites_.push_back(b);
    }
}

void ConfigWindow::lire() {
    if (puce_ != session_.config.HardWare) construireCases();
    valeurLue_ = -1;
    if (session_.liaison.talkerPresent) {
        const ResultatConfig r = lireConfig(session_);
        if (r.fin == FinConfig::Lu) valeurLue_ = r.valeur;
    }
    montrer(valeurLue_);
}

void ConfigWindow::montrer(int valeur) {
    lu_->setText(valeur < 0 ? QStringLiteral("CONFIG non lu : chargez le Talker, puis Lire")
                            : QStringLiteral("CONFIG lu : $") + DecHexa2(valeur) + QStringLiteral(" (") +
                                  puce_ + u')');
    for (QCheckBox* b : boites_) {
        const QSignalBlocker bloque(b);
        b->setChecked(valeur >= 0 && (valeur & b->property("masque").toInt()));
    }
    cases_->setEnabled(valeur >= 0);
    suivreCases();
}

void ConfigWindow::suivreLecture() {
    const int lue = session_.liaison.talkerPresent ? session_.liaison.configLue : -1;
    if (lue == valeurLue_) return;
    valeurLue_ = lue;
    montrer(lue);
}

int ConfigWindow::valeurCochee() const {
    int v = 0;
    for (const QCheckBox* b : boites_)
        if (b->isChecked()) v |= b->property("masque").toInt();
    return v;
}

void ConfigWindow::suivreCases() {
    const int v = valeurCochee();
    // Each box says what its bit does as it stands; the EE boxes together
    // say where the EEPROM goes.
    const QStringList lignes = decrireConfig(puce_, v);
    for (QCheckBox* b : boites_) {
        const QString nom = b->objectName().mid(3);
        QString texte = nom;
        for (const QString& l : lignes) {
            const QString t = l.trimmed();
            if (t.startsWith(nom + QStringLiteral(" = ")) ||
                (nom.startsWith(QStringLiteral("EE")) && nom != QStringLiteral("EEON") &&
                 t.startsWith(QStringLiteral("EE3-EE0"))))
                texte = nom + QStringLiteral(" : ") + t.section(QStringLiteral(" : "), 1);
        }
        b->setText(texte);
    }
    nouvelle_->setText(valeurLue_ < 0 ? QString() : QStringLiteral("Valeur à programmer : $") + DecHexa2(v));
    programmer_->setEnabled(valeurLue_ >= 0 && v != valeurLue_);
}

void ConfigWindow::programmer() {
    if (!libre() || valeurLue_ < 0) return;
    programmerConfig(session_, valeurCochee());
    // The register still reads the copy taken at reset: the boxes stay as
    // the user set them, the value read as it was.
    suivreCases();
}

} // namespace tessaline
