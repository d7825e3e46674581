#include "realtime_board.h"

#include <algorithm>
#include <limits>

namespace tessaline {

namespace {
// How often a busy board catches up with the wall clock; a character at 9600
// baud lasts about a millisecond.
constexpr int PeriodeMs = 1;
// A board held up longer than this (the windows were busy) resumes without a
// burst of catching up.
constexpr std::chrono::milliseconds RetardMaximal{200};
} // namespace

RealTimeBoard::RealTimeBoard(SimBoardControl& carte, hc11::RealTimePacer::Clock horloge, QObject* parent)
    : QObject(parent)
    , carte_(carte)
    , horloge_(std::move(horloge)) {
    suivreCarte();
    minuterie_.setSingleShot(true);
    minuterie_.setTimerType(Qt::PreciseTimer);
    connect(&minuterie_, &QTimer::timeout, this, &RealTimeBoard::avancer);
    carte_.setCadence([this] { rattraper(); }, [this] { reveiller(); });
    minuterie_.start(0);
}

RealTimeBoard::~RealTimeBoard() {
    carte_.setCadence({}, {});
}

std::optional<std::chrono::milliseconds> RealTimeBoard::prochainReveil() const {
    if (!minuterie_.isActive()) return std::nullopt;
    return std::chrono::milliseconds(minuterie_.interval());
}

void RealTimeBoard::suivreCarte() {
    if (generation_ == carte_.generation()) return;
    generation_ = carte_.generation();
    pacer_ = std::make_unique<hc11::RealTimePacer>(carte_.board().eClockHz(), horloge_);
    pacer_->start(carte_.board().cycleCount());
    auRepos_ = false;
}

void RealTimeBoard::rattraper() {
    suivreCarte();
    hc11::Board& board = carte_.board();
    // A rest is passed over at once, up to the event that ends it.
    if (auRepos_) board.runUntil(std::min(pacer_->targetCycle(), board.nextEventCycle()));
    pacer_->limitLag(board.cycleCount(), RetardMaximal);
    board.runUntil(pacer_->targetCycle());
    auRepos_ = board.resting();
}

void RealTimeBoard::reveiller() {
    suivreCarte();
    auRepos_ = carte_.board().resting();
    planifier();
}

void RealTimeBoard::avancer() {
    rattraper();
    carte_.ligne().signalerDonnees();
    planifier();
}

void RealTimeBoard::planifier() {
    hc11::Board& board = carte_.board();
    if (!auRepos_) {
        carte_.signalerActivite();
        minuterie_.start(PeriodeMs);
        return;
    }
    // Output compares move the pins of a resting board: the panel follows them.
    if (board.timerDrivesPins()) carte_.signalerActivite();
    const uint64_t prochain = board.nextEventCycle();
    if (prochain == hc11::kNever) {
        minuterie_.stop();
        return;
    }
    const auto attente = std::chrono::ceil<std::chrono::milliseconds>(pacer_->timeUntil(prochain));
    minuterie_.start(static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(
        attente.count(), PeriodeMs, std::numeric_limits<int>::max())));
}

} // namespace tessaline
