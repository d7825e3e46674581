// The in-process simulated board run in real time on the windows' thread: a
// timer catches the board up with the wall clock every millisecond and tells
// the line when bytes have come. Also the windows' view of the board (its
// description and RESET button).
#pragma once

#include "sim/board.h"
#include "sim/real_time_pacer.h"
#include "sim_serial_line.h"
#include "ui/board_control.h"

#include <QObject>
#include <QTimer>

namespace tessaline {

class RealTimeBoard : public QObject, public BoardControl {
    Q_OBJECT
public:
    RealTimeBoard(hc11::Board& board, SimSerialLine& ligne, QObject* parent = nullptr);

    QString description() const override;
    void reset() override;

private:
    void avancer();

    hc11::Board& board_;
    SimSerialLine& ligne_;
    hc11::RealTimePacer pacer_;
    QTimer minuterie_;
};

} // namespace tessaline
