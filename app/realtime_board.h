// The in-process simulated board run in real time on the windows' thread: a
// timer catches the board up with the wall clock every millisecond and tells
// the line when bytes have come. A board built anew (another chip or crystal)
// starts its own time from the moment it appears.
#pragma once

#include "sim/real_time_pacer.h"
#include "sim_board_control.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace tessaline {

class RealTimeBoard : public QObject {
    Q_OBJECT
public:
    explicit RealTimeBoard(SimBoardControl& carte, QObject* parent = nullptr);

private:
    void avancer();
    void suivreCarte();

    SimBoardControl& carte_;
    std::unique_ptr<hc11::RealTimePacer> pacer_;
    int generation_ = -1;
    QTimer minuterie_;
};

} // namespace tessaline
