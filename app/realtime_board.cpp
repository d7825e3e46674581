#include "realtime_board.h"

#include <chrono>

namespace tessaline {

namespace {
// How often the board catches up with the wall clock; a character at 9600
// baud lasts about a millisecond.
constexpr int PeriodeMs = 1;
// A board held up longer than this (the windows were busy) resumes without a
// burst of catching up.
constexpr std::chrono::milliseconds RetardMaximal{200};
} // namespace

RealTimeBoard::RealTimeBoard(SimBoardControl& carte, QObject* parent)
    : QObject(parent)
    , carte_(carte) {
    suivreCarte();
    minuterie_.setTimerType(Qt::PreciseTimer);
    connect(&minuterie_, &QTimer::timeout, this, &RealTimeBoard::avancer);
    minuterie_.start(PeriodeMs);
}

void RealTimeBoard::suivreCarte() {
    if (generation_ == carte_.generation()) return;
    generation_ = carte_.generation();
    pacer_ = std::make_unique<hc11::RealTimePacer>(carte_.board().eClockHz());
    pacer_->start(carte_.board().cycleCount());
}

void RealTimeBoard::avancer() {
    suivreCarte();
    hc11::Board& board = carte_.board();
    pacer_->limitLag(board.cycleCount(), RetardMaximal);
    board.runUntil(pacer_->targetCycle());
    carte_.ligne().signalerDonnees();
}

} // namespace tessaline
