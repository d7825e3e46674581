// The serial port of the session: opening and closing it with the configured
// port and rate, its status-bar panels, and the link watch that notices bytes
// the target sends on its own.
#pragma once

#include "link/session.h"

#include <QObject>
#include <QTimer>

#include <functional>

namespace tessaline {

// "COM1".."COM4" give 1..4; anything else 0.
int numeroPort(const QString& nomPort);
// The device behind a port name: on Windows the name itself; elsewhere the
// environment's TESSALINE_COMn when set, else the configured device. A name that
// is already a device path ("/dev/ttyUSB0") stands for itself. Empty when the
// name designates nothing.
QString cheminPeripherique(const Configuration& config, const QString& nomPort);
// The environment variable that overrides the device behind port number `n`
// (TESSALINE_COM2 for COM2).
QByteArray variablePeripherique(int n);
// The device that variable imposes behind port number `n`; empty when it is
// not set (and always on Windows, where the names are the system's ports).
QString peripheriqueImpose(int n);
// "1200,N,8,1" for the configured working rate.
QString texteParametres(int baud);

// (Re)opens the port with the configured port name and working rate; on
// failure shows the error report naming "ComOpen" and leaves the closed state.
void ComOpen(Session& session);
// The same at another rate (the bootstrap download's); the configuration keeps
// its working rate.
void ComOpen(Session& session, int baud);
// Closes the port if it is open and shows the closed state.
void ComClose(Session& session);
// True when the line is broken (SerialLine::coupee). The first to notice shows
// the port closed and says once that the link is cut, with what to check;
// after that it only answers. A successful ComOpen starts over.
bool constaterCoupure(Session& session);
// Switches the link watch on or off; switched on, then lets 0.05 s pass.
void SurvCom(Session& session, bool actif);

// The link watch (tmrSurvCom, 50 ms): when a byte arrives while no operation
// runs, it is read and dropped (the $03 of a stopped program) and the Talker
// check runs, given a 10-second time-out. A line that breaks meanwhile is
// reported at once, and the check then finds no Talker.
class LinkWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int IntervalleMs = 50;
    static constexpr int TimeoutVerification = 100; // tenths of a second

    explicit LinkWatch(Session& session);

    void setEnabled(bool actif);
    bool isEnabled() const { return timer_.isActive(); }
    // The Talker check run on unsolicited bytes (given), with its time-out in
    // tenths of a second.
    using Verification = std::function<void(int timeout, const QByteArray& recus)>;
    void setVerification(Verification verification) { verification_ = std::move(verification); }
    // One tick of the timer; public so that tests in virtual time can drive it.
    void tick();
    int verifications() const { return verifications_; }

private:
    Session& session_;
    QTimer timer_;
    Verification verification_;
    int verifications_ = 0;
};

} // namespace tessaline
