// frmTerminal: the line of the program that owns the SCI, after a single-chip
// RESET (or a program that took the SCI from the Talker). What the program
// sends is shown as it comes, what the user types goes to its receiver at
// once. The window holds the line only while no Talker is there and no
// exchange runs (EtatLiaison::ligneAuTerminal); Load Talker takes it back.
// On the simulated board the host's end follows the program's own rate; on a
// real port the user chooses the rate and the port is opened again at it.
#pragma once

#include "ui/board_control.h"

#include <QByteArray>
#include <QTimer>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tessaline {

class Session;

// What the Terminal shows of `octets`: printable ASCII as it is, CR, LF and
// CR LF as one line break each, any other byte as <$XX>. `apresCr` carries a
// CR that ended one read into the next (its LF is then not a second break).
QString texteTerminal(const QByteArray& octets, bool& apresCr);

// The rates a real board's terminal offers: the usual ones from 300 to 19200
// baud, then the SCI's fastest (prescaler 1) at the crystal of the
// configuration (`quartz` in MHz, as the options name it).
QVector<int> debitsTerminal(const QString& quartz);

class TerminalWindow : public QWidget {
    Q_OBJECT
public:
    // How often the line is looked at, besides each time bytes arrive.
    static constexpr int IntervalleMs = 20;
    // The rate offered first on a real board.
    static constexpr int DebitDefaut = 9600;

    // `carte`: the simulated board, whose program's rate the line follows;
    // null on a real port.
    TerminalWindow(Session& session, BoardControl* carte, QWidget* parent = nullptr);

    // The window takes the line for the program. On the simulated board the
    // host's end takes the program's rate from now on; on a real port the port
    // is opened again at the chosen rate. `montrerAuPremierOctet`: the first
    // byte the program sends asks for the window to be shown.
    void prendreLigne(bool montrerAuPremierOctet = false);
    // The window lets go of the line (a bootstrap RESET, another board): the
    // link watch has it again, opened again at the working rate when
    // `rouvrir`, unless Load Talker took it already.
    void rendreLigne(bool rouvrir);
    bool tientLigne() const { return tient_; }
    // The rate chosen for a real port.
    int debitChoisi() const;
    // What the window shows.
    QString texte() const;
    // One look at the line; public so that tests can drive it.
    void tick();
    void setQuitting(bool q);

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

signals:
    // The program sent its first byte after a single-chip RESET.
    void premierOctet();

private:
    // False while the line is not the window's to read: a Talker is there,
    // an exchange or a wait of an operation runs, the port is closed.
    bool ligneLibre() const;
    void envoyer(const QByteArray& octets);
    void connecter();
    void changerDebit();
    // A real port opened again at the chosen rate.
    void ouvrirAuDebitChoisi();
    void afficher(const QByteArray& octets);
    void montrerEtat();

    Session& session_;
    BoardControl* carte_;
    bool tient_ = false;
    bool montrerAuPremierOctet_ = false;
    bool apresCr_ = false;
    int debitOuvert_ = 0; // a real port's rate while the window holds it
    bool quitting_ = false;
    QPlainTextEdit* recu_;
    QLineEdit* saisie_;
    QComboBox* debit_;
    QPushButton* connecter_;
    QLabel* etat_;
    QTimer minuterie_;
};

} // namespace tessaline
