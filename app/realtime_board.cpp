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

RealTimeBoard::RealTimeBoard(hc11::Board& board, SimSerialLine& ligne, QObject* parent)
    : QObject(parent)
    , board_(board)
    , ligne_(ligne)
    , pacer_(board.eClockHz()) {
    pacer_.start(board_.cycleCount());
    minuterie_.setTimerType(Qt::PreciseTimer);
    connect(&minuterie_, &QTimer::timeout, this, &RealTimeBoard::avancer);
    minuterie_.start(PeriodeMs);
}

void RealTimeBoard::avancer() {
    pacer_.limitLag(board_.cycleCount(), RetardMaximal);
    board_.runUntil(pacer_.targetCycle());
    ligne_.signalerDonnees();
}

QString RealTimeBoard::description() const {
    return QString::fromLatin1(board_.chip().name.data(), static_cast<qsizetype>(board_.chip().name.size())) +
           QStringLiteral(", quartz %1 MHz").arg(board_.crystalHz() / 1'000'000);
}

void RealTimeBoard::reset() {
    board_.resetBootstrap();
}

} // namespace tessaline
