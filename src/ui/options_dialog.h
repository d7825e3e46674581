// frmOptions, the options dialog: the hardware profile (which 68HC11 and where
// its RAM and EEPROM lie; four built in, others added, renamed and deleted
// here), the serial port and, off Windows, the device behind it, the crystal,
// the working baud rate (only the rates the Talker can run at with that
// crystal), the communication time-out and the external assembler files.
//
// It works on private copies of the configuration and of the profile table,
// taken each time it is shown. OK commits them and reopens the port; Annuler
// drops them. Two things change the session at once, as the program always
// did: a saved baud rate or crystal that the lists do not offer falls back to
// 600 baud or to "2" MHz when the dialog opens, and the assembler choice.
//
// The time-out is a QSpinBox `UpDnTimeout` whose own line edit is `txtTimeout`:
// the arrows (and the Up/Down keys) step it from 500 to 15000 by 500; the
// field shows the value and cannot be typed into.
#pragma once

#include "link/session_state.h"

#include <QDialog>
#include <QVector>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace tessaline {

class MemoryMapFrame;
class Session;

class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    // The time-out's range and step (tenths of a second).
    static constexpr int TimeoutMinimum = 500;
    static constexpr int TimeoutMaximum = tessaline::TimeoutMaximum;
    static constexpr int TimeoutPas = 500;

    explicit OptionsDialog(Session& session, QWidget* parent = nullptr);
    ~OptionsDialog() override;

    // Index of the selected profile in the list (-1 when the configured name
    // is not in it).
    int profilSelectionne() const { return index_; }

    // Empties cmbHardware and lists the names of the dialog's profiles.
    void RemplirComboHardware();
    // Fills cmbBaud with the rates the Talker can run at with the dialog's
    // crystal (empty for a crystal it does not know).
    void MisJourBaud();
    // Puts the dialog's values into the controls: time-out, baud rate, profile,
    // port, crystal. A baud rate or crystal not offered falls back to item 0
    // set to "600" or "2", and the session's value follows.
    void MisJourCombo();

public slots:
    void cmdADDType_Click();
    void cmdDELType_Click();
    void cmdSelFichierCompilateur_Click();
    // Commits and reopens the port; the dialog stays open when the port does not
    // open (with the previous port back) or when a profile name is refused.
    void cmdOK_Click();
    void cmdAnnuler_Click();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void creerControles();
    void activer();
    void selectionnerProfil(int index);
    void nomTape(const QString& texte);
    bool validerNom();
    bool nomsValides();
    void portChoisi(int index);
    void baudChoisi(int index);
    void quartzChoisi(int index);
    void choixCompilateur(int choix);
    void TailleFichier(int selecteur, const QString& chemin);
    void afficherPeripherique();
    void peripheriqueTape(const QString& texte);

    Session& session_;
    // The private copies: the configuration's values and the profile table.
    Configuration copie_;
    QVector<ProfilMateriel> profils_;
    int index_ = -1;
    // The name the selected profile had when it was selected or last accepted.
    QString nomAccepte_;
    bool profilsModifies_ = false;
    bool validationNom_ = false;
    QString quartzVu_;

    QComboBox* cmbHardware_ = nullptr;
    QPushButton* cmdADDType_ = nullptr;
    QPushButton* cmdDELType_ = nullptr;
    QComboBox* cmbPort_ = nullptr;
    QComboBox* cmbQuartz_ = nullptr;
    QComboBox* cmbBaud_ = nullptr;
    QSpinBox* UpDnTimeout_ = nullptr;
    MemoryMapFrame* cadre_ = nullptr;
    std::array<QRadioButton*, 3> optCompilateur_{};
    std::array<QLabel*, 3> lblChemin_{};
    QLabel* lblTaille_ = nullptr;
    QLineEdit* txtPeripherique_ = nullptr;
    QLabel* lblPeripheriqueImpose_ = nullptr;
};

} // namespace tessaline
