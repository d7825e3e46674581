// Ctrl-C on the command line: SIGINT and SIGTERM become the session's
// interruption request. The exchange in progress is finished (the Talker is
// left idle), the command in progress ends at the next exchange, and the run
// stops there.
#pragma once

#include "link/event_clock.h"
#include "link/session.h"

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace tessaline {

// Catches SIGINT and SIGTERM for as long as it lives. The handler only notes
// the signal and writes one byte to a pipe (both async-signal-safe); the pipe
// wakes the Qt event loop of a wait in progress.
class SignauxInterruption : public QObject {
public:
    SignauxInterruption();
    ~SignauxInterruption() override;
    SignauxInterruption(const SignauxInterruption&) = delete;
    SignauxInterruption& operator=(const SignauxInterruption&) = delete;

    // The signal caught (SIGINT or SIGTERM) since this catcher was made, 0
    // while none has come.
    static int signalRecu();

private:
    std::unique_ptr<QSocketNotifier> notificateur_;
};

// An event clock that hands a caught signal on, once, as soon as a wait or an
// event pass of the clock under it ends: over the real clock as over the
// simulated board's, which never runs the Qt event loop.
class HorlogeInterruptible : public EventClock {
public:
    HorlogeInterruptible(EventClock& interne, std::function<void()> surSignal);

    double now() override { return interne_.now(); }
    void processEvents() override;
    void waitForEvents(double maxSeconds) override;
    void wake() override { interne_.wake(); }
    bool applicationAlive() override { return interne_.applicationAlive(); }

private:
    void transmettre();

    EventClock& interne_;
    std::function<void()> surSignal_;
    bool transmis_ = false;
};

// What a caught signal asks of a run's session. While an operation waits for
// the program to stop (at a breakpoint, after a step), the console's Stop:
// the operation stops the program itself, takes its SWIs back and shows where
// it was. Otherwise the interruption of the whole run: the exchange in
// progress is finished, and whatever SWIs the operation planted are taken back.
void transmettreSignal(Session& session);

} // namespace tessaline
