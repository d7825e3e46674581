// The in-process simulated board run in real time on the windows' thread.
// While the board rests (Board::resting(): the Talker polling the line, WAI,
// STOP, no program running) nothing runs it: its timer is set for its next
// event (a character completing on the line), or not at all. Whatever looks
// at the board or acts on it (the line, the panel) first brings it up to the
// present, which costs nothing for a resting board, and an action from
// outside (a byte sent, a switch, a reset) wakes it. A busy board is caught up
// with the wall clock every millisecond and tells the panel. A board built
// anew (another chip or crystal) starts its own time from the moment it
// appears.
#pragma once

#include "sim/real_time_pacer.h"
#include "sim_board_control.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>

namespace tessaline {

class RealTimeBoard : public QObject {
    Q_OBJECT
public:
    explicit RealTimeBoard(SimBoardControl& carte,
                           hc11::RealTimePacer::Clock horloge = hc11::RealTimePacer::steadyNow,
                           QObject* parent = nullptr);
    ~RealTimeBoard() override;

    // The timer's work: the board caught up with the present, the line told of
    // bytes that have come, the next wake planned.
    void avancer();
    // In how long the timer runs the board next; none while it sleeps until
    // something acts on it.
    std::optional<std::chrono::milliseconds> prochainReveil() const;

private:
    void rattraper();
    void reveiller();
    void planifier();
    void suivreCarte();

    SimBoardControl& carte_;
    hc11::RealTimePacer::Clock horloge_;
    std::unique_ptr<hc11::RealTimePacer> pacer_;
    int generation_ = -1;
    // The board rested when it was last run or acted on.
    bool auRepos_ = false;
    QTimer minuterie_;
};

} // namespace tessaline
