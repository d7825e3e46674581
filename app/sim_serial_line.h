// The serial line of the in-process simulated board: the host's end of the
// board's SCI line, behind the same interface as a real port.
#pragma once

#include "link/serial_line.h"
#include "sim/board.h"

namespace tessaline {

class SimSerialLine : public SerialLine {
    Q_OBJECT
public:
    explicit SimSerialLine(hc11::Board& board, QObject* parent = nullptr);

    // Opening sets the host's rate on the line: at the boot rate, with no
    // program running yet, the board leaves reset in bootstrap mode as if the
    // user had pressed RESET.
    bool open(const QString& device, const QString& settings) override;
    void close() override { ouvert_ = false; }
    bool isOpen() const override { return ouvert_ && !debranchee_; }
    int bytesWaiting() override;
    QByteArray readAll() override;
    void sendByte(quint8 octet) override;
    ErreurExecution lastError() const override { return erreur_; }
    // The board is the device: the port named in the settings is not used.
    QString peripheriqueFixe() const override { return QStringLiteral("Carte simul\u00e9e"); }
    bool sansProgramme() const override;
    bool coupee() const override { return debranchee_; }

    // The line breaks as a USB adapter pulled out does: nothing more goes
    // either way until the next open(). The board keeps running.
    void debrancher();

    // The board behind the line is now `board` (another chip or crystal); an
    // open line keeps its rate, which the new board is told.
    void changerCarte(hc11::Board& board);

    // Called by whatever runs the board, after each slice: tells a waiting
    // reader that bytes have come.
    void signalerDonnees();

    hc11::Board& board() { return *board_; }

private:
    hc11::Board* board_;
    bool ouvert_ = false;
    bool debranchee_ = false;
    int baud_ = 0;
    ErreurExecution erreur_;
};

} // namespace tessaline
