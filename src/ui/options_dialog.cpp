#include "ui/options_dialog.h"

#include "config/assembler_files.h"
#include "config/crystal_table.h"
#include "config/hardware_profiles.h"
#include "config/settings_sections.h"
#include "link/control_names.h"
#include "link/error_report.h"
#include "link/serial_port.h"
#include "link/session.h"
#include "operations/options_commit.h"
#include "ui/memory_map_frame.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tessaline {

namespace {

const QString DonneesIncorrectes = QStringLiteral("Donn\u00e9es Incorrectes");
const QString Aucun = QStringLiteral("Aucun");
const QString ZeroOctets = QStringLiteral("0 Octets");
const QString Octets = QStringLiteral(" Octets");

// The three assembler files, in the order of the option buttons.
struct FichierCompilateur {
    const char* legende;
    QLatin1StringView etiquette;
    QString Configuration::*chemin;
    QString Configuration::*nom;
    const char* filtre; // the second name filter of the file dialog
};

const std::array<FichierCompilateur, 3> Fichiers = {{
    {"*.ASM", controle::CheminCompilateur, &Configuration::FichierCompilateur,
     &Configuration::FichCompilateur, "Fichiers EXE (*.EXE *.exe)"},
    {"*.SYM", controle::CheminCompilateurSym, &Configuration::FichierCompilateurSYM,
     &Configuration::FichCompilateurSYM, "Fichiers EXE (*.EXE *.exe)"},
    {"*.BAT", controle::CheminCompilateurBat, &Configuration::FichierCompilateurBAT,
     &Configuration::FichCompilateurBAT, "Fichiers BAT (*.BAT *.bat)"},
}};

// A profile's name is also the name of its section in the store.
bool nomUtilisable(const QString& nom, const QStringList& autres) {
    if (nom.trimmed().isEmpty()) return false;
    for (QChar interdit : {u'/', u'\\', u'='})
        if (nom.contains(interdit)) return false;
    for (const char* section : SectionsDuStore)
        if (nom.compare(QLatin1String(section), Qt::CaseInsensitive) == 0) return false;
    for (const QString& autre : autres)
        if (nom.compare(autre, Qt::CaseInsensitive) == 0) return false;
    return true;
}

// The time-out's up-down: its own field is txtTimeout, which shows the value
// and takes no typing; the arrows and the Up/Down keys step it.
class UpDown : public QSpinBox {
public:
    explicit UpDown(QWidget* parent)
        : QSpinBox(parent) {
        lineEdit()->setObjectName(QStringLiteral("txtTimeout"));
        lineEdit()->setReadOnly(true);
    }
};

QPushButton* bouton(const char* nom, const QString& legende, QWidget* parent) {
    auto* b = new QPushButton(legende, parent);
    b->setObjectName(QLatin1String(nom));
    b->setAutoDefault(false);
    return b;
}

QComboBox* liste(const char* nom, const QString& bulle, QWidget* parent) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(nom));
    c->setToolTip(bulle);
    return c;
}

QLabel* etiquette(const QString& texte, QWidget* parent, const char* nom = nullptr) {
    auto* l = new QLabel(texte, parent);
    if (nom) l->setObjectName(QLatin1String(nom));
    return l;
}

void selectionnerTexte(QComboBox* c, const QString& texte) {
    c->setCurrentIndex(c->findText(texte, Qt::MatchExactly));
}

} // namespace

OptionsDialog::OptionsDialog(Session& session, QWidget* parent)
    : QDialog(parent)
    , session_(session) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    creerControles();
}

OptionsDialog::~OptionsDialog() {
    // The controls go after this object's members: nothing of theirs may call
    // back into it (a field losing the focus as it is destroyed).
    for (QObject* enfant : findChildren<QObject*>())
        disconnect(enfant, nullptr, this, nullptr);
}

void OptionsDialog::creerControles() {
    // The profile: its name, ADD Type and DEL Type.
    auto* haut = new QHBoxLayout;
    cmbHardware_ = liste("cmbHardware", QStringLiteral("d\u00e9finit le type de 68HCxxx utilis\u00e9"), this);
    cmbHardware_->setEditable(true);
    cmbHardware_->setInsertPolicy(QComboBox::NoInsert);
    cmbHardware_->setCompleter(nullptr);
    cmbHardware_->setMinimumContentsLength(14);
    cmdADDType_ = bouton("cmdADDType", QStringLiteral("ADD Type"), this);
    cmdDELType_ = bouton("cmdDELType", QStringLiteral("DEL Type"), this);
    haut->addWidget(etiquette(QStringLiteral("Type"), this, "lblHardware"));
    haut->addWidget(cmbHardware_, 1);
    haut->addWidget(cmdADDType_);
    haut->addWidget(cmdDELType_);
    connect(cmbHardware_, &QComboBox::activated, this, [this](int index) {
        validerNom();
        selectionnerProfil(index);
    });
    connect(cmbHardware_->lineEdit(), &QLineEdit::textEdited, this, &OptionsDialog::nomTape);
    connect(cmbHardware_->lineEdit(), &QLineEdit::editingFinished, this, &OptionsDialog::validerNom);
    connect(cmdADDType_, &QPushButton::clicked, this, &OptionsDialog::cmdADDType_Click);
    connect(cmdDELType_, &QPushButton::clicked, this, &OptionsDialog::cmdDELType_Click);

    // The link: port, crystal, baud rate, time-out (and the device behind the port).
    auto* liaison = new QGridLayout;
    cmbPort_ = liste("cmbPort", QStringLiteral("Port s\u00e9rie choisi pour la communication"), this);
    for (int n = 1; n <= NombrePorts; ++n)
        cmbPort_->addItem(QStringLiteral("COM%1").arg(n));
    cmbQuartz_ = liste("cmbQuartz", QStringLiteral("Fr\u00e9quance du Quartz en Mhz"), this);
    cmbQuartz_->addItems(quartzConnus());
    cmbBaud_ = liste("cmbBaud", QStringLiteral("Vitesse de communication pour le port s\u00e9rie"), this);
    UpDnTimeout_ = new UpDown(this);
    UpDnTimeout_->setObjectName(QStringLiteral("UpDnTimeout"));
    UpDnTimeout_->setRange(TimeoutMinimum, TimeoutMaximum);
    UpDnTimeout_->setSingleStep(TimeoutPas);
    UpDnTimeout_->setToolTip(QStringLiteral("D\u00e9lais de communication entre le 68HCxxx et le Programme"));
    UpDnTimeout_->findChild<QLineEdit*>()->setToolTip(UpDnTimeout_->toolTip());
    liaison->addWidget(etiquette(QStringLiteral("Port"), this, "lblPort"), 0, 0);
    liaison->addWidget(cmbPort_, 0, 1);
    liaison->addWidget(etiquette(QStringLiteral("Quartz (MHz)"), this, "lblQuartz"), 0, 2);
    liaison->addWidget(cmbQuartz_, 0, 3);
    liaison->addWidget(etiquette(QStringLiteral("Vitesse (Bauds)"), this, "lblBaud"), 1, 0);
    liaison->addWidget(cmbBaud_, 1, 1);
    liaison->addWidget(etiquette(QStringLiteral("Timeout (1/10 s)"), this, "lblTimeout"), 1, 2);
    liaison->addWidget(UpDnTimeout_, 1, 3);
    connect(cmbPort_, &QComboBox::activated, this, &OptionsDialog::portChoisi);
    connect(cmbBaud_, &QComboBox::activated, this, &OptionsDialog::baudChoisi);
    connect(cmbQuartz_, &QComboBox::activated, this, &OptionsDialog::quartzChoisi);
    connect(UpDnTimeout_, &QSpinBox::valueChanged, this, [this](int valeur) { copie_.Timeout = valeur; });
#ifndef Q_OS_WIN
    txtPeripherique_ = new QLineEdit(this);
    txtPeripherique_->setObjectName(QStringLiteral("txtPeripherique"));
    txtPeripherique_->setToolTip(
        QStringLiteral("Fichier du p\u00e9riph\u00e9rique derri\u00e8re le port choisi"));
    lblPeripheriqueImpose_ = etiquette(QString(), this, "lblPeripheriqueImpose");
    lblPeripheriqueImpose_->setVisible(false);
    liaison->addWidget(etiquette(QStringLiteral("P\u00e9riph\u00e9rique"), this, "lblPeripherique"), 2, 0);
    liaison->addWidget(txtPeripherique_, 2, 1, 1, 3);
    liaison->addWidget(lblPeripheriqueImpose_, 3, 1, 1, 3);
    connect(txtPeripherique_, &QLineEdit::textEdited, this, &OptionsDialog::peripheriqueTape);
#endif

    // The memory map of the selected profile.
    cadre_ = new MemoryMapFrame(session_.ecran(), this);
    connect(cadre_, &MemoryMapFrame::carteSaisie, this, [this](const CarteMemoire& carte) {
        copie_.carte() = carte;
        if (index_ >= 0) profils_[index_].carte() = carte;
        profilsModifies_ = true;
    });

    // The assembler files.
    auto* compilateur = new QGroupBox(QStringLiteral("Fichiers Compilateur"), this);
    compilateur->setObjectName(QStringLiteral("fraCompilateur"));
    auto* fichiers = new QGridLayout(compilateur);
    for (std::size_t i = 0; i < Fichiers.size(); ++i) {
        const int choix = static_cast<int>(i);
        auto* option = new QRadioButton(QLatin1String(Fichiers[i].legende), compilateur);
        option->setObjectName(nomIndexe(QStringLiteral("optCompilateur"), choix));
        connect(option, &QRadioButton::clicked, this, [this, choix] { choixCompilateur(choix); });
        optCompilateur_[i] = option;
        fichiers->addWidget(option, choix, 0);
        lblChemin_[i] = etiquette(Aucun, compilateur);
        lblChemin_[i]->setObjectName(Fichiers[i].etiquette);
        fichiers->addWidget(lblChemin_[i], choix, 1);
    }
    lblTaille_ = etiquette(ZeroOctets, compilateur);
    lblTaille_->setObjectName(controle::TailleCompilateur);
    fichiers->addWidget(lblTaille_, 3, 1);
    QPushButton* selection =
        bouton("cmdSelFichierCompilateur", QStringLiteral("Selection Fichier"), compilateur);
    fichiers->addWidget(selection, 3, 0);
    fichiers->setColumnStretch(1, 1);
    connect(selection, &QPushButton::clicked, this, &OptionsDialog::cmdSelFichierCompilateur_Click);

    auto* boutons = new QHBoxLayout;
    // No default button: Enter in a field ends that field's entry, not the dialog.
    QPushButton* ok = bouton("cmdOK", QStringLiteral("OK"), this);
    QPushButton* annuler = bouton("cmdAnnuler", QStringLiteral("Annuler"), this);
    boutons->addStretch(1);
    boutons->addWidget(ok);
    boutons->addWidget(annuler);
    connect(ok, &QPushButton::clicked, this, &OptionsDialog::cmdOK_Click);
    connect(annuler, &QPushButton::clicked, this, &OptionsDialog::cmdAnnuler_Click);

    auto* tout = new QVBoxLayout(this);
    tout->addLayout(haut);
    tout->addLayout(liaison);
    tout->addWidget(cadre_);
    tout->addWidget(compilateur);
    tout->addLayout(boutons);
    tout->setSizeConstraint(QLayout::SetFixedSize);
}

void OptionsDialog::showEvent(QShowEvent* e) {
    if (!e->spontaneous()) activer();
    QDialog::showEvent(e);
}

// Activation: fresh copies of the configuration and the profile table.
void OptionsDialog::activer() {
    copie_ = session_.config;
    profils_ = session_.profils;
    profilsModifies_ = false;
    index_ = -1;
    nomAccepte_.clear();
    cmdDELType_->setEnabled(profils_.size() > DernierProfilIntegre + 1);

    // Until a profile is selected, the fields show the configuration's map.
    cadre_->afficher(copie_);
    for (QLabel* chemin : lblChemin_)
        chemin->setText(Aucun);
    lblTaille_->setText(ZeroOctets);

    RemplirComboHardware();
    cmbBaud_->clear();
    quartzVu_ = copie_.Quartz;
    MisJourBaud();
    MisJourCombo();
    afficherPeripherique();

    // The assembler shown is the last of .BAT, .SYM, .ASM that has a path.
    int choix = session_.config.ChoixCompilateur;
    for (int i = static_cast<int>(Fichiers.size()) - 1; i >= 0; --i) {
        const QString& chemin = copie_.*Fichiers[i].chemin;
        if (chemin.isEmpty()) continue;
        choix = i;
        TailleFichier(i, chemin);
    }
    if (choix >= 0 && choix < static_cast<int>(Fichiers.size())) {
        session_.config.ChoixCompilateur = choix;
        optCompilateur_[choix]->setChecked(true);
    }
}

void OptionsDialog::RemplirComboHardware() {
    cmbHardware_->clear();
    for (const ProfilMateriel& p : profils_)
        cmbHardware_->addItem(p.nom);
}

void OptionsDialog::MisJourBaud() {
    cmbBaud_->clear();
    for (int rate : ratesPourQuartz(copie_.Quartz))
        cmbBaud_->addItem(QString::number(rate));
}

void OptionsDialog::MisJourCombo() {
    // A time-out outside the up-down's range is shown, and kept, at its nearest end.
    UpDnTimeout_->setValue(copie_.Timeout);
    copie_.Timeout = UpDnTimeout_->value();

    // A saved rate or crystal the lists do not offer falls back, and the
    // session's value with it.
    const QuartzEtBaud offerts = quartzEtBaudOfferts(copie_.Quartz, copie_.Baud);
    int baud = cmbBaud_->findText(QString::number(offerts.baud), Qt::MatchExactly);
    if (baud < 0) {
        // A crystal the table does not know offers no rate yet.
        cmbBaud_->addItem(QString::number(offerts.baud));
        baud = 0;
    }
    if (offerts.baud != copie_.Baud) session_.config.Baud = offerts.baud;
    cmbBaud_->setCurrentIndex(baud);
    baudChoisi(baud);

    const int profil = cmbHardware_->findText(copie_.HardWare, Qt::MatchExactly);
    if (profil >= 0) {
        cmbHardware_->setCurrentIndex(profil);
        selectionnerProfil(profil);
    } else {
        cmbHardware_->setCurrentIndex(-1);
        cmbHardware_->setEditText(copie_.HardWare);
    }

    const int port = cmbPort_->findText(copie_.Port, Qt::MatchExactly);
    cmbPort_->setCurrentIndex(port);
    if (port >= 0) portChoisi(port);

    const int quartz = cmbQuartz_->findText(offerts.quartz, Qt::MatchExactly);
    if (offerts.quartz != copie_.Quartz) session_.config.Quartz = offerts.quartz;
    cmbQuartz_->setCurrentIndex(quartz);
    quartzChoisi(quartz);
}

// Selecting a profile: its memory map fills the fields and becomes the
// dialog's current map.
void OptionsDialog::selectionnerProfil(int index) {
    if (index < 0 || index >= profils_.size()) return;
    index_ = index;
    nomAccepte_ = cmbHardware_->itemText(index);
    copie_.HardWare = nomAccepte_;
    cmdDELType_->setEnabled(index > DernierProfilIntegre);
    copie_.carte() = profils_[index].carte();
    cadre_->afficher(copie_);
}

// Typing in cmbHardware renames an added profile; the built-in names stay.
void OptionsDialog::nomTape(const QString& texte) {
    if (index_ <= DernierProfilIntegre) return;
    cmbHardware_->setItemText(index_, texte);
    profils_[index_].nom = texte;
    copie_.HardWare = texte;
    profilsModifies_ = true;
    cmbHardware_->lineEdit()->setCursorPosition(static_cast<int>(texte.size()));
}

// The end of a rename (Enter, leaving the field, another action): a name that
// cannot name a section of the store, or that another profile already has, is
// refused and the previous name comes back. A built-in profile's name, typed
// over, comes back as it was.
bool OptionsDialog::validerNom() {
    if (validationNom_ || index_ < 0) return true;
    const QString nom = cmbHardware_->itemText(index_);
    if (index_ <= DernierProfilIntegre) {
        if (cmbHardware_->currentIndex() == index_ && cmbHardware_->currentText() != nom)
            cmbHardware_->setEditText(nom);
        return true;
    }
    QStringList autres;
    for (int i = 0; i < cmbHardware_->count(); ++i)
        if (i != index_) autres << cmbHardware_->itemText(i);
    if (nom == nomAccepte_ || nomUtilisable(nom, autres)) {
        nomAccepte_ = nom;
        return true;
    }
    validationNom_ = true;
    session_.ecran().message(DonneesIncorrectes, TitreApplication, Icone::Aucune, Boutons::Ok);
    cmbHardware_->setItemText(index_, nomAccepte_);
    profils_[index_].nom = nomAccepte_;
    copie_.HardWare = nomAccepte_;
    cmbHardware_->lineEdit()->selectAll();
    cmbHardware_->setFocus();
    validationNom_ = false;
    return false;
}

// Before committing: every added profile has a name the store can keep (two
// profiles added and left as "68HCxxxxx" would share one section).
bool OptionsDialog::nomsValides() {
    for (int i = DernierProfilIntegre + 1; i < cmbHardware_->count(); ++i) {
        QStringList autres;
        for (int j = 0; j < i; ++j)
            autres << cmbHardware_->itemText(j);
        if (nomUtilisable(cmbHardware_->itemText(i), autres)) continue;
        session_.ecran().message(DonneesIncorrectes, TitreApplication, Icone::Aucune, Boutons::Ok);
        cmbHardware_->setCurrentIndex(i);
        selectionnerProfil(i);
        cmbHardware_->lineEdit()->selectAll();
        cmbHardware_->setFocus();
        return false;
    }
    return true;
}

void OptionsDialog::cmdADDType_Click() {
    validerNom();
    profilsModifies_ = true;
    const ProfilMateriel nouveau = nouveauProfil();
    cmbHardware_->addItem(nouveau.nom);
    profils_.append(nouveau);
    const int index = cmbHardware_->count() - 1;
    cmbHardware_->setCurrentIndex(index);
    selectionnerProfil(index);
}

void OptionsDialog::cmdDELType_Click() {
    if (index_ <= DernierProfilIntegre) return;
    profilsModifies_ = true;
    const int supprime = index_;
    profils_.remove(supprime);
    cmbHardware_->removeItem(supprime);
    // No rename of the deleted profile is pending any more.
    index_ = -1;
    cmbHardware_->setCurrentIndex(supprime - 1);
    selectionnerProfil(supprime - 1);
    if (supprime - 1 <= DernierProfilIntegre) cmdDELType_->setEnabled(false);
}

void OptionsDialog::portChoisi(int index) {
    if (index < 0) return;
    copie_.Port = cmbPort_->itemText(index);
    afficherPeripherique();
}

void OptionsDialog::baudChoisi(int index) {
    if (index >= 0) copie_.Baud = cmbBaud_->itemText(index).toInt();
}

// A new crystal offers other rates: the list is filled again and the baud rate
// selected in it again (or the fall-back).
void OptionsDialog::quartzChoisi(int index) {
    if (index < 0) return;
    copie_.Quartz = cmbQuartz_->itemText(index);
    if (copie_.Quartz == quartzVu_) return;
    quartzVu_ = copie_.Quartz;
    MisJourBaud();
    MisJourCombo();
}

void OptionsDialog::choixCompilateur(int choix) {
    session_.config.ChoixCompilateur = choix;
    const QFileInfo fichier(copie_.*Fichiers[choix].chemin);
    const qint64 taille = fichier.isFile() ? fichier.size() : 0;
    lblTaille_->setText(QString::number(taille) + Octets);
}

// An existing file shows its path and size; otherwise "Aucun" and "0 Octets".
// The compile command's availability follows the assembler and the batch file.
void OptionsDialog::TailleFichier(int selecteur, const QString& chemin) {
    if (selecteur < 0 || selecteur >= static_cast<int>(Fichiers.size())) return;
    const QFileInfo info(chemin);
    const bool present = !chemin.isEmpty() && info.isFile();
    lblChemin_[selecteur]->setText(present ? chemin : Aucun);
    lblTaille_->setText(QString::number(present ? info.size() : 0) + Octets);
    if (rendCompilateurDisponible(selecteur)) session_.config.CompilateurDisponible = present;
}

void OptionsDialog::cmdSelFichierCompilateur_Click() {
    const int choix = session_.config.ChoixCompilateur;
    if (choix < 0 || choix >= static_cast<int>(Fichiers.size())) return;
    const FichierCompilateur& f = Fichiers[choix];
    QFileDialog dialogue(this);
    dialogue.setObjectName(QStringLiteral("dlgCommonDialog"));
    dialogue.setOption(QFileDialog::DontUseNativeDialog);
    dialogue.setAcceptMode(QFileDialog::AcceptOpen);
    dialogue.setFileMode(QFileDialog::ExistingFile);
    const QString filtre = QLatin1String(f.filtre);
    dialogue.setNameFilters({QStringLiteral("Tous les fichiers (*)"), filtre});
    dialogue.selectNameFilter(filtre);
    const QFileInfo actuel(copie_.*f.chemin);
    if (actuel.isFile()) {
        dialogue.setDirectory(actuel.absolutePath());
        dialogue.selectFile(actuel.fileName());
    } else {
        dialogue.setDirectory(QApplication::applicationDirPath());
    }
    if (dialogue.exec() != QDialog::Accepted || dialogue.selectedFiles().isEmpty()) return;
    const QString chemin = QDir::toNativeSeparators(dialogue.selectedFiles().constFirst());
    copie_.*f.chemin = chemin;
    copie_.*f.nom = QFileInfo(chemin).fileName();
    TailleFichier(choix, chemin);
}

// Off Windows: the device behind the selected port, from the configuration
// or imposed by the environment (then shown, not editable).
void OptionsDialog::afficherPeripherique() {
#ifndef Q_OS_WIN
    const int n = numeroPort(copie_.Port);
    const QString impose = peripheriqueImpose(n);
    if (n == 0) {
        txtPeripherique_->setText(cheminPeripherique(copie_, copie_.Port));
        txtPeripherique_->setReadOnly(true);
        lblPeripheriqueImpose_->setVisible(false);
    } else if (!impose.isEmpty()) {
        txtPeripherique_->setText(impose);
        txtPeripherique_->setReadOnly(true);
        lblPeripheriqueImpose_->setText(QStringLiteral("Impos\u00e9 par ") +
                                        QLatin1String(variablePeripherique(n)));
        lblPeripheriqueImpose_->setVisible(true);
    } else {
        txtPeripherique_->setText(copie_.Peripheriques[n - 1]);
        txtPeripherique_->setReadOnly(false);
        lblPeripheriqueImpose_->setVisible(false);
    }
#endif
}

void OptionsDialog::peripheriqueTape(const QString& texte) {
    const int n = numeroPort(copie_.Port);
    if (n > 0) copie_.Peripheriques[n - 1] = texte;
}

void OptionsDialog::cmdOK_Click() {
    if (!cadre_->terminerSaisie()) return;
    if (!validerNom() || !nomsValides()) return;
    if (profilsModifies_) {
        for (int i = 0; i < profils_.size(); ++i)
            profils_[i].nom = cmbHardware_->itemText(i);
    }
    const ResultatOptions resultat = ValiderOptions(session_, copie_, profilsModifies_ ? &profils_ : nullptr);
    if (resultat == ResultatOptions::Engagees) {
        accept();
        return;
    }
    // The port in force before is back: the dialog stays for another choice.
    copie_.Port = session_.config.Port;
    copie_.Peripheriques = session_.config.Peripheriques;
    selectionnerTexte(cmbPort_, copie_.Port);
    afficherPeripherique();
}

void OptionsDialog::cmdAnnuler_Click() {
    reject();
}

} // namespace tessaline
