// The serial line of the in-process simulated board: the host's end of the
// board's SCI line, behind the same interface as a real port.
#pragma once

#include "link/serial_line.h"
#include "sim/board.h"

#include <functional>

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

    // Called by whatever runs the board, after each slice: the host's end
    // follows the program's rate (when asked to), and a waiting reader is
    // told that bytes have come.
    void signalerDonnees();

    // What runs the board in real time (RealTimeBoard): `avant` brings the
    // board up to the present before the line looks at it or sends to it, so
    // that a board left asleep shows what it holds now; `apres` is told after
    // a byte was sent or the line opened, which may give the board work.
    // Unset (virtual time), the line does neither.
    void setCadence(std::function<void()> avant, std::function<void()> apres);

    // The program's SCI: its rate in baud, 0 while no program runs or its
    // receiver and transmitter are both off (SCCR2 RE and TE); its data bits
    // (8, or 9 with SCCR1 M); whether its receiver is on.
    int debitProgramme() const;
    int bitsProgramme() const;
    bool recepteurProgramme() const;
    // From now on (true) the host's end takes the rate of the program's SCI
    // whenever the line is looked at or the board has run a slice, as a
    // terminal set to it; what it has received stays. The next open() ends it.
    void suivreProgramme(bool suivre);

    hc11::Board& board() { return *board_; }

private:
    // The host's rate set to the program's, when following it.
    void suivreSci();

    void rattraper() const {
        if (rattraper_) rattraper_();
    }
    void reveiller() const {
        if (reveiller_) reveiller_();
    }

    hc11::Board* board_;
    std::function<void()> rattraper_;
    std::function<void()> reveiller_;
    bool ouvert_ = false;
    bool debranchee_ = false;
    bool suivreProgramme_ = false;
    int baud_ = 0;
    ErreurExecution erreur_;
};

} // namespace tessaline
