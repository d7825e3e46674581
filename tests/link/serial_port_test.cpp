#include "link/serial_port.h"
#include "link/transfer.h"

#include "link_fixture.h"

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

class SerialPort : public ::testing::Test {
protected:
    void SetUp() override {
        qunsetenv("TESSALINE_COM2");
        s.ligne.close();
        s.ligne.ouvertures.clear();
    }
    ScriptedSession s;
    Session& session = s.session;
};

} // namespace

TEST_F(SerialPort, OpenShowsPortSettingsAndOpenState) {
    session.config.Port = QStringLiteral("COM2");
    session.config.Baud = 9600;
    ComOpen(session);
    EXPECT_TRUE(session.liaison.portOuvert);
    EXPECT_EQ(s.ecran.panel("Port"), "COM2:9600,N,8,1");
    EXPECT_EQ(s.ecran.panel("Com"), "Com Open");
    EXPECT_EQ(s.ligne.ouvertures.last(), "/dev/ttyS1|9600,N,8,1");
    EXPECT_TRUE(s.ecran.messages.isEmpty());

    ComClose(session);
    EXPECT_FALSE(s.ligne.isOpen());
    EXPECT_EQ(s.ecran.panel("Com"), "Com Close");
}

TEST_F(SerialPort, DevicesBehindPortNames) {
    Configuration c;
    c.Peripheriques[2] = QStringLiteral("/dev/ttyUSB0");
    EXPECT_EQ(cheminPeripherique(c, QStringLiteral("COM1")), "/dev/ttyS0");
    EXPECT_EQ(cheminPeripherique(c, QStringLiteral("COM3")), "/dev/ttyUSB0");
    EXPECT_EQ(cheminPeripherique(c, QStringLiteral("/dev/pts/4")), "/dev/pts/4");
    EXPECT_EQ(cheminPeripherique(c, QStringLiteral("COM5")), QString());
    EXPECT_EQ(cheminPeripherique(c, QStringLiteral("com1")), QString());
    qputenv("TESSALINE_COM2", "/dev/pts/7");
    EXPECT_EQ(cheminPeripherique(c, QStringLiteral("COM2")), "/dev/pts/7");
    qunsetenv("TESSALINE_COM2");
}

// A device that refuses, and a port name with no device behind it (nothing
// is opened): both are reported once and leave the port closed.
TEST_F(SerialPort, FailedOpenReportsAndLeavesClosed) {
    for (const bool nomInconnu : {false, true}) {
        SCOPED_TRACE(nomInconnu ? "COM7" : "refused");
        s.ecran.messages.clear();
        s.ligne.refuserOuverture = !nomInconnu;
        session.config.Port = QString::fromLatin1(nomInconnu ? "COM7" : "COM2");
        ComOpen(session);
        EXPECT_FALSE(session.liaison.portOuvert);
        EXPECT_EQ(s.ecran.panel("Com"), "Com Close");
        ASSERT_EQ(s.ecran.messages.size(), 1);
        EXPECT_EQ(s.ecran.messages[0].text.endsWith("Sub : ComOpen\r\n\r\n 2 :  ( Permission denied )"),
                  !nomInconnu);
        EXPECT_TRUE(s.ecran.messages[0].text.contains("Sub : ComOpen"));
    }
    EXPECT_EQ(s.ligne.ouvertures.size(), 1) << "COM7 is not opened";
    EXPECT_EQ(s.ecran.beeps, 2);
}

TEST(LineSettings, ParsesTheSettingsText) {
    ParametresLigne p;
    ASSERT_TRUE(lireParametresLigne(QStringLiteral("1200,N,8,1"), p));
    EXPECT_EQ(p.baud, 1200);
    EXPECT_EQ(p.parite, 'N');
    EXPECT_EQ(p.bitsDonnees, 8);
    EXPECT_EQ(p.bitsStop, 1);
    for (const char* faux : {"", "1200", "abc,N,8,1", "1200,X,8,1", "1200,N,9,1", "1200,N,8,3", "0,N,8,1"})
        EXPECT_FALSE(lireParametresLigne(QString::fromLatin1(faux), p)) << faux;
}

TEST_F(SerialPort, LinkWatchRunsOneCheckPerUnsolicitedByte) {
    ComOpen(session);
    LinkWatch& veille = session.surveillance();
    int appels = 0;
    int timeoutPendant = 0;
    veille.setVerification([&](int timeout, const QByteArray&) {
        ++appels;
        timeoutPendant = timeout;
        EXPECT_FALSE(veille.isEnabled()) << "the watch is off during its own check";
    });
    SurvCom(session, true);
    EXPECT_TRUE(veille.isEnabled());

    veille.tick();
    EXPECT_EQ(appels, 0) << "nothing received, nothing checked";

    s.ligne.injecter(QByteArray("\x03", 1));
    veille.tick();
    EXPECT_EQ(appels, 1);
    EXPECT_EQ(timeoutPendant, 100) << "the check is given the watch's 10 s";
    EXPECT_EQ(s.ligne.bytesWaiting(), 0) << "the unsolicited byte is consumed";
    EXPECT_TRUE(veille.isEnabled());
    veille.tick();
    EXPECT_EQ(appels, 1);
}

TEST_F(SerialPort, WithTheWatchOffBytesStayForTheOperation) {
    ComOpen(session);
    SurvCom(session, false);
    EXPECT_FALSE(session.surveillance().isEnabled());
    EXPECT_EQ(s.horloge.elapsed(), 0) << "switched off at once: the operation goes straight on";
    s.ligne.injecter(QByteArray("\x03", 1));
    s.horloge.waitForEvents(0.2);
    EXPECT_EQ(s.ligne.bytesWaiting(), 1);
}

// A tick of the watch inside a wait for a byte (an operation that left it on,
// a check run from a window event) leaves that byte to the wait.
TEST_F(SerialPort, WatchLeavesTheByteAWaitIsFor) {
    ComOpen(session);
    LinkWatch& veille = session.surveillance();
    int appels = 0;
    veille.setVerification([&](int, const QByteArray&) { ++appels; });
    SurvCom(session, true);
    s.ligne.injecter(QByteArray("\x01", 1), 0.5);
    s.horloge.after(0.6, [&] { veille.tick(); });
    const Reception r = attendreOctet(session, 20, Attente::DansEchange, QStringLiteral("test"));
    EXPECT_EQ(r.fin, FinAttente::Donnee);
    EXPECT_EQ(r.octet, 0x01);
    EXPECT_EQ(appels, 0);
}
