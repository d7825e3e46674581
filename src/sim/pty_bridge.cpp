#include "pty_bridge.h"

#include <algorithm>
#include <poll.h>
#include <sys/prctl.h>
#include <utility>

namespace hc11 {

PtyBridge::PtyBridge(Board& board, PtyEndpoint& pty, bool virtualTime, std::chrono::milliseconds latency)
    : board_(board)
    , pty_(pty)
    , virtualTime_(virtualTime)
    , pacer_(board.eClockHz())
    , latency_(latency) {}

void PtyBridge::watch(int fd, std::function<bool()> onReadable) {
    watches_.push_back({fd, std::move(onReadable)});
}

void PtyBridge::resetBoard(bool singleChip) {
    if (singleChip)
        board_.resetSingleChip();
    else
        board_.resetBootstrap();
    flushOutput();
}

bool PtyBridge::paced() const {
    return !virtualTime_ || board_.phase() != Board::Phase::Running;
}

void PtyBridge::advance() {
    const bool paced = this->paced();
    // Back to real time after a virtual-time run: the present is the board's cycle now.
    if (paced && !wasPaced_) pacer_.start(board_.cycleCount());
    wasPaced_ = paced;
    if (!paced) {
        board_.runUntil(board_.cycleCount() + kVirtualSlice);
        return;
    }
    pacer_.limitLag(board_.cycleCount(), kMaxLag);
    board_.runUntil(pacer_.targetCycle());
}

void PtyBridge::flushOutput() {
    if (board_.hostAvailable()) {
        const auto bytes = board_.hostReadAll();
        activeUntil_ = RealTimePacer::steadyNow() + kActiveWindow;
        if (hostOpen_) {
            if (held_.empty()) heldUntil_ = RealTimePacer::steadyNow() + latency_;
            held_.insert(held_.end(), bytes.begin(), bytes.end());
        }
    }
    sendHeld();
}

void PtyBridge::sendHeld() {
    if (held_.empty()) return;
    if (held_.size() < kAdapterPacket && RealTimePacer::steadyNow() < heldUntil_) return;
    pty_.write(held_.data(), held_.size());
    held_.clear();
}

std::chrono::nanoseconds PtyBridge::waitTime() const {
    if (!paced()) return std::chrono::nanoseconds(0);
    const auto now = RealTimePacer::steadyNow();
    auto wait = std::min(pacer_.timeUntil(board_.nextEventCycle()), std::chrono::nanoseconds(kSettingsPoll));
    if (configPending_)
        wait = std::min(wait, configDue_ > now ? configDue_ - now : std::chrono::nanoseconds(0));
    if (now < activeUntil_) wait = std::min(wait, std::chrono::nanoseconds(kActivePoll));
    if (!held_.empty())
        wait = std::min(wait, heldUntil_ > now ? heldUntil_ - now : std::chrono::nanoseconds(0));
    return std::max(wait, std::chrono::nanoseconds(0));
}

void PtyBridge::checkSettings(bool changed, bool flushed) {
    const auto now = RealTimePacer::steadyNow();
    if (!changed && !flushed && now < nextSettingsPoll_ && !configPending_) return;
    nextSettingsPoll_ = now + kSettingsPoll;
    const double baud = pty_.hostBaud();
    if (baud > 0 && baud != lastBaud_) {
        lastBaud_ = baud;
        changed = true;
    }
    if (!hostOpen_) return;
    if (changed && lastBaud_ > 0) board_.setHostBaud(lastBaud_);
    if (changed || (flushed && configPending_)) {
        configPending_ = true;
        configDue_ = now + kSettleTime;
    } else if (flushed && lastBaud_ > 0) {
        // The line was settled and the host discarded its input: if the boot ROM still
        // waits for the sync, its break may have gone with it.
        board_.hostLineConfigured(lastBaud_);
    }
    if (configPending_ && now >= configDue_) {
        configPending_ = false;
        if (lastBaud_ > 0) board_.hostLineConfigured(lastBaud_);
    }
}

void PtyBridge::readHost() {
    auto r = pty_.read();
    if (r.hangup) {
        if (hostOpen_) {
            hostOpen_ = false;
            configPending_ = false;
            board_.hostReadAll();
            held_.clear();
        }
        hungUp_ = true;
        return;
    }
    bool opened = false;
    if (!hostOpen_ && (r.settingsChanged || !r.data.empty() || hungUp_)) {
        hostOpen_ = true;
        hungUp_ = false;
        opened = true;
    }
    checkSettings(r.settingsChanged || opened, r.inputFlushed);
    if (!r.data.empty()) activeUntil_ = RealTimePacer::steadyNow() + kActiveWindow;
    for (uint8_t b : r.data)
        board_.hostSend(b);
}

void PtyBridge::run() {
    // The kernel may let a timed wait run late by its timer slack (50 us by
    // default), once per character the board sends: keep it to a microsecond so
    // that answers leave when the board finishes them.
    ::prctl(PR_SET_TIMERSLACK, 1000UL, 0, 0, 0);
    pacer_.start(board_.cycleCount());
    for (;;) {
        advance();
        flushOutput();

        std::vector<pollfd> fds;
        // After a hangup the master reports POLLHUP until the host reopens: look at it
        // only when the wait times out, so that the loop does not spin.
        fds.push_back({hungUp_ ? -1 : pty_.masterFd(), POLLIN, 0});
        for (const auto& w : watches_)
            fds.push_back({w.fd, POLLIN, 0});
        auto wait = waitTime();
        if (hungUp_) wait = std::max(wait, std::chrono::nanoseconds(std::chrono::milliseconds(5)));
        const timespec ts{time_t(wait.count() / 1'000'000'000), long(wait.count() % 1'000'000'000)};
        const int n = ::ppoll(fds.data(), fds.size(), &ts, nullptr);

        // The host's bytes are taken in before the board runs on to the present:
        // they came at the latest now and at the earliest when the board was
        // last brought up to date. Were the board run on first, a late wake-up
        // of this thread on a busy machine would show it a pause in the host's
        // stream that the host never made, and the boot ROM ends a download
        // after four idle character times.
        if (hungUp_) {
            pollfd p{pty_.masterFd(), POLLIN, 0};
            if (::poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP)) readHost(); // the host reopened the line
        } else if (n > 0 && fds[0].revents) {
            readHost();
        }
        advance();
        if (n > 0) {
            for (std::size_t i = 0; i < watches_.size(); ++i)
                if (fds[i + 1].revents && !watches_[i].onReadable()) return;
        }
        checkSettings(false);
    }
}

} // namespace hc11
