// The real serial path: QSerialPort on the slave side of a pseudo-terminal
// whose master is the simulator's raw board end.
#include "link/qt_event_clock.h"
#include "link/qt_serial_line.h"
#include "link/serial_port.h"
#include "link/tempo.h"
#include "link/transfer.h"
#include "recording_screen.h"
#include "sim/pty_endpoint.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

using namespace tessaline;

namespace {

struct Pty : hc11::PtyEndpoint {
    Pty() {
        std::string erreur;
        ok = open(erreur);
    }
    QString slave() const { return QString::fromStdString(slavePath()); }
    void write(const QByteArray& d) {
        ASSERT_TRUE(PtyEndpoint::write(reinterpret_cast<const uint8_t*>(d.constData()), size_t(d.size())));
    }
    QByteArray read(int n, double secondes) {
        QByteArray r;
        QtEventClock horloge;
        const double debut = horloge.now();
        while (r.size() < n && ecoule(debut, horloge.now()) < secondes) {
            for (uint8_t o : PtyEndpoint::read().data)
                r.append(char(o));
            horloge.waitForEvents(0.02);
        }
        return r;
    }
    bool ok = false;
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
    ASSERT_TRUE(pty.ok);
    QtSerialLine ligne;
    QtEventClock horloge;
    ASSERT_TRUE(ligne.open(pty.slave(), QStringLiteral("1200,N,8,1")))
        << ligne.lastError().description.toStdString();
    EXPECT_EQ(pty.hostBaud(), 1200);

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
    EXPECT_EQ(pty.read(256, 5), tousLesOctets());
    ligne.close();
    EXPECT_FALSE(ligne.isOpen());
}

TEST(QtSerialLine, OpenDropsBytesReceivedBefore) {
    Pty pty;
    ASSERT_TRUE(pty.ok);
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
    ASSERT_TRUE(pty.ok);
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

namespace {

// Processor time this process has used, in seconds.
double tempsProcesseur() {
    return double(std::clock()) / CLOCKS_PER_SEC;
}

} // namespace

// The board's end of the terminal closes (a killed simulator): poll reports a
// hang-up and read returns 0. The wait in progress ends at once on it, the
// port is shown closed, and nothing spins afterwards.
TEST(QtSerialLine, HangUpEndsTheWaitAtOnceAndNothingSpins) {
    Pty pty;
    ASSERT_TRUE(pty.ok);
    QtSerialLine ligne;
    QtEventClock horloge;
    test::RecordingScreen ecran;
    Session session(ligne, horloge, ecran);
    session.config.Port = pty.slave();
    ComOpen(session);
    ASSERT_TRUE(session.liaison.portOuvert);
    QTimer::singleShot(200, [&pty] { pty.close(); });
    const auto debut = std::chrono::steady_clock::now();
    const Reception r = attendreOctet(session, 2000, false, QStringLiteral("RecevoirComBINDec"));
    EXPECT_EQ(r.fin, FinAttente::Coupee);
    EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(2)) << "not the 200-s time-out";
    EXPECT_TRUE(ligne.coupee());
    EXPECT_FALSE(ligne.isOpen());
    EXPECT_FALSE(session.liaison.portOuvert);
    EXPECT_EQ(ecran.panel("Com"), "Com Close");
    ASSERT_EQ(ecran.messages.size(), 1);
    EXPECT_TRUE(ecran.messages[0].text.contains(QStringLiteral("la liaison est coup\u00e9e")));

    // A second of idle event loop costs next to no processor time.
    const double avant = tempsProcesseur();
    Tempo(horloge, 1.0f);
    EXPECT_LT(tempsProcesseur() - avant, 0.2);
    EXPECT_EQ(attendreOctet(session, 2000, false, QStringLiteral("RecevoirComBINDec")).fin,
              FinAttente::Coupee);
    EXPECT_EQ(ecran.messages.size(), 1) << "said once";
    ligne.close();
}

// Closing waits for the bytes really pending, never for a fixed worst case:
// bytes queued for a board whose end has gone cannot leave, and the close
// does not wait for them.
TEST(QtSerialLine, CloseDoesNotWaitForBytesThatCannotLeave) {
    Pty pty;
    ASSERT_TRUE(pty.ok);
    QtSerialLine ligne;
    ASSERT_TRUE(ligne.open(pty.slave(), QStringLiteral("1200,N,8,1")));
    pty.close();
    for (int i = 0; i < 16; ++i)
        ligne.sendByte(0x55);
    const auto debut = std::chrono::steady_clock::now();
    ligne.close();
    EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(1));
    EXPECT_FALSE(ligne.isOpen());
}
