#include "link/qt_event_clock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <QTime>
#include <QTimer>

#include <cmath>

namespace tessaline {

double QtEventClock::now() {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

namespace {
// Counts the passes of the event loop running one inside the other.
class Imbrication {
public:
    explicit Imbrication(int& profondeur)
        : profondeur_(profondeur) {
        ++profondeur_;
    }
    ~Imbrication() { --profondeur_; }
    Imbrication(const Imbrication&) = delete;
    Imbrication& operator=(const Imbrication&) = delete;

private:
    int& profondeur_;
};
} // namespace

void QtEventClock::processEvents() {
    Imbrication i(profondeur_);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventClock::waitForEvents(double maxSeconds) {
    // A single-shot timer bounds the sleep; any other event (serial data, a
    // click, a timer of the windows) ends it sooner. Nothing spins.
    Imbrication i(profondeur_);
    QTimer borne;
    borne.setSingleShot(true);
    borne.setTimerType(Qt::PreciseTimer);
    borne.start(std::max(1, static_cast<int>(std::ceil(maxSeconds * 1000.0))));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void QtEventClock::wake() {
    if (auto* dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread())) dispatcher->wakeUp();
}

} // namespace tessaline
