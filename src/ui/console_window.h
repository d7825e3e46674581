// frmDocument, the debug console: the user picks a target command, fills the
// address, length and value fields it uses, sees the coloured echo of the
// command and presses Execute.
#pragma once

#include <QLineEdit>
#include <QPixmap>
#include <QTimer>
#include <QVector>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QPushButton;

namespace tessaline {

struct CommandeConsole;
class RichTextArea;
class Session;

class ConsoleWindow : public QWidget {
    Q_OBJECT
public:
    explicit ConsoleWindow(Session& session, QWidget* parent = nullptr);

    RichTextArea* echo() const { return echo_; }
    // The program is ending: closing is allowed.
    void setQuitting(bool q) { quitting_ = q; }
    // Frame of the Execute animation shown now (0 ready, 4 disabled, 1-18 running).
    int boutExecImage() const { return boutExecImage_; }

signals:
    // chkREGSET was ticked (entering Reg SET mode) or cleared (leaving it).
    void regSetChange(bool coche);
    // Load Talker has ended (whatever came of it).
    void talkerCharge();

public slots:
    void cmdLOADTALKER_Click();
    void cmdEXECUTE_Click();
    void cmdDISPLAYREG_Click();
    void chkBreak_Click(bool coche);
    void cmdSTEP_Click();
    void cmdSTOP_Click();
    // The debugger's commands on the stopped program (the Débogage menu):
    // continue, step over, run to `adresse`. Given during another exchange
    // (a step, a dump), they only beep.
    void cmdCONTINUE_Click();
    void cmdNEXT_Click();
    // Pas arrière (simulated board): undoes the stopped program's last instruction.
    void cmdBACK_Click();
    void cmdRUNTO_Click(int adresse);
    void cmdEFFACE_Click();
    void Command1_Click();
    // The program's symbols changed: with symbols, the address field also
    // takes a label ("boucle", "boucle+3").
    void prendreSymboles();

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;
    void closeEvent(QCloseEvent* e) override;

private:
    QAbstractButton* bouton(const CommandeConsole& commande, QWidget* parent);
    void selectionner(int code, const QString& echo, bool executable);
    void remplirEcho();
    void executeActif(bool pret);
    void focusChamp(QLineEdit* champ);
    void focusExecute();
    void rendreFocus(QAbstractButton* utilise);
    bool toucheChamp(QLineEdit* champ, QKeyEvent* touche);
    void entreeChamp(QLineEdit* champ);
    void sortieChamp(QLineEdit* champ);
    // The address the field names: its hex digits completed to four, or the
    // address of the label typed; the former address (and a beep) for a label
    // the program does not have.
    QString adresseSaisie();
    void tickAnimation();
    // Runs `operation` (one of the three above) unless another exchange is
    // under way.
    void executerSurArret(const std::function<void()>& operation);

    Session& session_;
    QLineEdit* adresse_;
    QLineEdit* longueur_;
    QLineEdit* valeur_;
    QPushButton* execute_;
    QCheckBox* chkBreak_;
    RichTextArea* echo_;
    QTimer tmrBoutExec_;
    QVector<QPixmap> imlBoutExec_;
    int boutExecImage_ = 4;
    bool quitting_ = false;
    // A Stop clicked during another exchange, to be given again once it ends.
    bool stopDiffere_ = false;
    // A step runs; Step clicked meanwhile (at most PasEnAttenteMaximum), each
    // a step to run after it.
    bool pasEnCours_ = false;
    int pasEnAttente_ = 0;
};

} // namespace tessaline
