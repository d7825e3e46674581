// The Clock and event pump seam: the time of day, and "let the window system
// process its events" while the program waits for the target.
#pragma once

namespace tessaline {

inline constexpr double SecondesParJour = 86400.0;

class EventClock {
public:
    virtual ~EventClock() = default;

    // Seconds since midnight; the clock starts again at 0 at midnight.
    virtual double now() = 0;
    // Processes the events already pending, once, without waiting.
    virtual void processEvents() = 0;
    // Sleeps until something happens (data on the line, a timer, a click, a flag
    // set through wake()) or until maxSeconds have passed, then processes it. It
    // never spins: a long wait costs no processor time.
    virtual void waitForEvents(double maxSeconds) = 0;
    // Ends a waitForEvents() in progress (a flag changed).
    virtual void wake() {}
    // False once the last window of the application has closed: waits give up.
    virtual bool applicationAlive() { return true; }
    // True while a processEvents() or waitForEvents() of this clock is running:
    // a window event handled now runs in the middle of an operation, which
    // still needs the windows and the session it works on.
    virtual bool dansUneAttente() const { return false; }
};

// Time elapsed from `debut` to `maintenant`, both read from the clock, for waits
// shorter than a day: a reading past midnight counts from the previous day.
inline double ecoule(double debut, double maintenant) {
    double d = maintenant - debut;
    if (d < 0) d += SecondesParJour;
    return d;
}

} // namespace tessaline
