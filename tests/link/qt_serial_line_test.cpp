// The real serial path: QSerialPort on one end of a pseudo-terminal pair.
#include "link/qt_event_clock.h"
#include "link/qt_serial_line.h"
#include "link/serial_port.h"
#include "recording_screen.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace tessaline;

namespace {

// The far end of the line: the master side of a pseudo-terminal, made raw so
// that no byte is translated.
class Pty {
public:
    Pty() {
        fd_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (fd_ < 0 || grantpt(fd_) != 0 || unlockpt(fd_) != 0) return;
        termios t{};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        tcsetattr(fd_, TCSANOW, &t);
        slave_ = QString::fromLocal8Bit(ptsname(fd_));
    }
    ~Pty() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0 && !slave_.isEmpty(); }
    QString slave() const { return slave_; }
    void write(const QByteArray& d) const { ASSERT_EQ(::write(fd_, d.constData(), d.size()), d.size()); }
    QByteArray read(int n, int timeoutMs) const {
        QByteArray r;
        const auto fin = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (r.size() < n && std::chrono::steady_clock::now() < fin) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 20) > 0 && (p.revents & POLLIN)) {
                char buf[512];
                const ssize_t k = ::read(fd_, buf, sizeof buf);
                if (k > 0) r.append(buf, int(k));
            }
        }
        return r;
    }
    speed_t speed() const {
        termios t{};
        tcgetattr(fd_, &t);
        return cfgetospeed(&t);
    }

private:
    int fd_ = -1;
    QString slave_;
};

QByteArray tousLesOctets() {
    QByteArray b;
    for (int i = 0; i < 256; ++i)
        b.append(char(i));
    return b;
}

} // namespace

TEST(QtSerialLine, CarriesAll256ByteValuesBothWaysOverAPty) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    QtSerialLine ligne;
    QtEventClock horloge;
    ASSERT_TRUE(ligne.open(pty.slave(), QStringLiteral("1200,N,8,1")))
        << ligne.lastError().description.toStdString();
    EXPECT_EQ(pty.speed(), speed_t(B1200));

    // Target to host, with the special characters of terminals among them.
    pty.write(tousLesOctets());
    QByteArray recu;
    const double debut = horloge.now();
    while (recu.size() < 256 && ecoule(debut, horloge.now()) < 5) {
        horloge.waitForEvents(0.1);
        if (ligne.bytesWaiting() > 0) recu += ligne.readAll();
    }
    EXPECT_EQ(recu, tousLesOctets());

    // Host to target.
    for (int i = 0; i < 256; ++i)
        ligne.sendByte(quint8(i));
    EXPECT_EQ(pty.read(256, 5000), tousLesOctets());
    ligne.close();
    EXPECT_FALSE(ligne.isOpen());
}

TEST(QtSerialLine, OpenDropsBytesReceivedBefore) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    QtSerialLine ligne;
    ASSERT_TRUE(ligne.open(pty.slave(), QStringLiteral("9600,N,8,1")));
    pty.write(QByteArray("old"));
    QtEventClock horloge;
    horloge.waitForEvents(0.1);
    ASSERT_TRUE(ligne.open(pty.slave(), QStringLiteral("9600,N,8,1")));
    horloge.waitForEvents(0.05);
    EXPECT_EQ(ligne.bytesWaiting(), 0);
}

TEST(QtSerialLine, WaitingForDataSleepsAndWakesOnArrival) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    QtSerialLine ligne;
    ASSERT_TRUE(ligne.open(pty.slave(), QStringLiteral("9600,N,8,1")));
    QtEventClock horloge;
    pty.write(QByteArray("\x03", 1));
    const auto debut = std::chrono::steady_clock::now();
    while (ligne.bytesWaiting() == 0 && std::chrono::steady_clock::now() - debut < std::chrono::seconds(5))
        horloge.waitForEvents(5.0);
    EXPECT_EQ(ligne.readAll(), QByteArray("\x03", 1));
    EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(1))
        << "the 5-second wait ended when the byte came";
}

TEST(QtSerialLine, ComOpenOnAMissingDeviceReportsAndStaysClosed) {
    QtSerialLine ligne;
    QtEventClock horloge;
    test::RecordingScreen ecran;
    Session session(ligne, horloge, ecran);
    session.config.Port = QStringLiteral("/dev/tessaline-no-such-device");
    ComOpen(session);
    EXPECT_FALSE(session.liaison.portOuvert);
    EXPECT_EQ(ecran.panel("Com"), "Com Close");
    ASSERT_EQ(ecran.messages.size(), 1);
    EXPECT_TRUE(ecran.messages[0].text.contains("Sub : ComOpen"));
}
