// The serial line and what runs over it: the QSerialPort adapter on a pseudo-terminal,
// the port's open and close with its settings, the transfer primitives and their waits.
#include "link/qt_event_clock.h"
#include "link/qt_serial_line.h"
#include "link/serial_port.h"
#include "link/talker_protocol.h"
#include "link/tempo.h"
#include "link/transfer.h"
#include "recording_screen.h"
#include "scripted_session.h"
#include "sim/pty_endpoint.h"

#include <QTimer>
#include <chrono>
#include <ctime>
#include <gtest/gtest.h>

namespace tessaline::test {
namespace {

using namespace tessaline;
using namespace tessaline::test;

// The real serial path: QSerialPort on the slave side of a pseudo-terminal
// whose master is the simulator's raw board end.
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

// The adapter on a pseudo-terminal opened at `reglage`.
class QtSerialLineTest : public ::testing::Test {
protected:
    void ouvrir(const char* reglage = "9600,N,8,1") {
        ASSERT_TRUE(pty.ok);
        ASSERT_TRUE(ligne.open(pty.slave(), QString::fromLatin1(reglage)))
            << ligne.lastError().description.toStdString();
    }
    Pty pty;
    QtSerialLine ligne;
    QtEventClock horloge;
};

TEST_F(QtSerialLineTest, CarriesAll256ByteValuesBothWaysOverAPty) {
    ouvrir("1200,N,8,1");
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

TEST_F(QtSerialLineTest, OpenDropsBytesReceivedBefore) {
    ouvrir();
    pty.write(QByteArray("old"));
    horloge.waitForEvents(0.1);
    ouvrir();
    horloge.waitForEvents(0.05);
    EXPECT_EQ(ligne.bytesWaiting(), 0);
}

TEST_F(QtSerialLineTest, WaitingForDataSleepsAndWakesOnArrival) {
    ouvrir();
    pty.write(QByteArray("\x03", 1));
    const auto debut = std::chrono::steady_clock::now();
    while (ligne.bytesWaiting() == 0 && std::chrono::steady_clock::now() - debut < std::chrono::seconds(5))
        horloge.waitForEvents(5.0);
    EXPECT_EQ(ligne.readAll(), QByteArray("\x03", 1));
    EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(1))
        << "the 5-second wait ended when the byte came";
}

TEST_F(QtSerialLineTest, ComOpenOnAMissingDeviceReportsAndStaysClosed) {
    test::RecordingScreen ecran;
    Session session(ligne, horloge, ecran);
    session.config.Port = QStringLiteral("/dev/tessaline-no-such-device");
    ComOpen(session);
    EXPECT_FALSE(session.liaison.portOuvert);
    EXPECT_EQ(ecran.panel("Com"), "Com Close");
    ASSERT_EQ(ecran.messages.size(), 1);
    EXPECT_TRUE(ecran.messages[0].text.contains("Sub : ComOpen"));
}

// Processor time this process has used, in seconds.
double tempsProcesseur() {
    return double(std::clock()) / CLOCKS_PER_SEC;
}

// The board's end of the terminal closes (a killed simulator): poll reports a
// hang-up and read returns 0. The wait in progress ends at once on it, the
// port is shown closed, and nothing spins afterwards.
TEST_F(QtSerialLineTest, HangUpEndsTheWaitAtOnceAndNothingSpins) {
    ASSERT_TRUE(pty.ok);
    test::RecordingScreen ecran;
    Session session(ligne, horloge, ecran);
    session.config.Port = pty.slave();
    ComOpen(session);
    ASSERT_TRUE(session.liaison.portOuvert);
    QTimer::singleShot(200, [this] { pty.close(); });
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
TEST_F(QtSerialLineTest, CloseDoesNotWaitForBytesThatCannotLeave) {
    ouvrir("1200,N,8,1");
    pty.close();
    for (int i = 0; i < 16; ++i)
        ligne.sendByte(0x55);
    const auto debut = std::chrono::steady_clock::now();
    ligne.close();
    EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(1));
    EXPECT_FALSE(ligne.isOpen());
}

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

// A driver that refuses low latency is named in the trace once, whatever the
// reopenings (each rate change reopens the port).
TEST_F(SerialPort, ARefusedLowLatencyIsTracedOnce) {
    s.ligne.refusLatence = QStringLiteral("Operation not permitted");
    ComOpen(session);
    ComOpen(session, 9600);
    ASSERT_TRUE(session.liaison.portOuvert);
    const QString trace = s.ecran.text(Zone::Trace);
    EXPECT_EQ(trace.count(QStringLiteral("refuse la faible latence (Operation not permitted)")), 1)
        << trace.toStdString();
}

TEST(LineSettings, ParsesTheSettingsText) {
    ParametresLigne p;
    ASSERT_TRUE(lireParametresLigne(QStringLiteral("1200,N,8,1"), p));
    EXPECT_EQ(std::tuple(p.baud, p.parite, p.bitsDonnees, p.bitsStop), std::tuple(1200, 'N', 8, 1));
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
    EXPECT_EQ(std::pair(r.fin, r.octet), std::pair(FinAttente::Donnee, 0x01));
    EXPECT_EQ(appels, 0);
}

const QString TimeOutHexa =
    QStringLiteral(" >>>>>>----  ATTENTION  ----<<<<<< \r\n\r\nSub : RecevoirComBINHexa\r\n\r\n"
                   "Delai Comunication ( TimeOut ) D\u00e9pass\u00e9");

class Transfer : public ::testing::Test {
protected:
    ScriptedSession s;
    Session& session = s.session;
};

// The wait under every exchange, in virtual time.
Reception attendre(Session& session, int timeout, bool avecAnnulation = true) {
    return attendreOctet(session, timeout, avecAnnulation, QStringLiteral("RecevoirComBINDec"));
}

TEST_F(Transfer, WaitEndsOnDataOrAfterItsTimeOutAndSleepsMeanwhile) {
    s.ligne.injecter(QByteArray("\xC3", 1), 0.5);
    const Reception r = attendre(session, 20);
    EXPECT_EQ(std::pair(r.fin, r.octet), std::pair(FinAttente::Donnee, 0xC3));

    const double debut = s.horloge.elapsed();
    EXPECT_EQ(attendre(session, 2000).fin, FinAttente::TimeOut); // 200 s
    EXPECT_GT(s.horloge.elapsed() - debut, 200.0);
    EXPECT_LT(s.horloge.elapsed() - debut, 200.1);
    EXPECT_LE(s.horloge.waits, 3) << "the wait sleeps up to the deadline instead of spinning";
    EXPECT_TRUE(s.ecran.messages.isEmpty()) << "the caller reports the time-out";
}

TEST_F(Transfer, TimeOutZeroEndsAsSoonAsTheClockMoves) {
    EXPECT_EQ(attendre(session, 0).fin, FinAttente::TimeOut);
    EXPECT_GT(s.horloge.elapsed(), 0.0);
    EXPECT_LT(s.horloge.elapsed(), 0.01);
}

TEST_F(Transfer, WaitWithoutLimitEndsOnlyOnDataAbortOrCancel) {
    s.ligne.injecter(QByteArray("\x00", 1), 500);
    const Reception r = attendre(session, SansLimite);
    EXPECT_EQ(std::pair(r.fin, r.octet), std::pair(FinAttente::Donnee, 0))
        << "a zero byte is data, not a cancel";
    EXPECT_GE(s.horloge.elapsed(), 500.0);

    session.liaison.abandon = true; // left over: cleared when the wait starts
    double debut = s.horloge.elapsed();
    s.horloge.after(3, [&] { session.demanderAbandon(); });
    EXPECT_EQ(attendre(session, SansLimite).fin, FinAttente::Abandon);
    EXPECT_NEAR(s.horloge.elapsed() - debut, 3.0, 0.01) << "the click ends the wait at once";

    debut = s.horloge.elapsed();
    s.horloge.after(2, [&] { session.demanderAnnulation(); });
    EXPECT_EQ(attendre(session, SansLimite).fin, FinAttente::Annulation);
    EXPECT_NEAR(s.horloge.elapsed() - debut, 2.0, 0.01);
    EXPECT_EQ(attendre(session, 10, false).fin, FinAttente::TimeOut) << "a wait may ignore cancel";
}

TEST_F(Transfer, TwoBytesTogetherGiveTheFirstAndLoseTheSecond) {
    s.ligne.injecter(QByteArray("\x41\x42", 2), 0.2);
    EXPECT_EQ(attendre(session, 10).octet, 0x41);
    EXPECT_EQ(attendre(session, 10).fin, FinAttente::TimeOut);
}

TEST(TransferMidnight, WaitSpanningMidnightEndsAfterItsTimeOut) {
    ScriptedSession s("1200,N,8,1", 86399.5);
    EXPECT_EQ(attendre(s.session, 20).fin, FinAttente::TimeOut);
    EXPECT_NEAR(s.horloge.elapsed(), 2.05, 0.05);
    EXPECT_LT(s.horloge.now(), 10.0) << "the clock restarted at midnight";
}

TEST_F(Transfer, TimeOutReportAndViderCom) {
    AfficheTimeOut(session, QStringLiteral("RecevoirComBINHexa"));
    ASSERT_EQ(s.ecran.messages.size(), 1);
    // The report as it was, and what to do on its next line.
    EXPECT_EQ(s.ecran.messages[0].text, TimeOutHexa + QStringLiteral("\r\n") + texteRemede(Remede::Liaison));
    EXPECT_EQ(std::pair(s.ecran.messages[0].title, s.ecran.messages[0].icon),
              std::pair(QStringLiteral("Tessaline"), Icone::Question));
    EXPECT_EQ(s.ecran.beeps, 1);

    s.ligne.injecter(QByteArray("abc"), 0);
    ASSERT_EQ(s.ligne.bytesWaiting(), 3);
    ViderCom(session);
    EXPECT_EQ(s.ligne.bytesWaiting(), 0);
}

// The Talker answers each byte of an exchange within milliseconds: a silent
// one is given up after 2 s whatever the configured time-out (a shorter one
// still bounds it). The user's program may run as long as it likes: the wait
// for its stop keeps the configured time-out.
TEST_F(Transfer, TheTalkersAnswerIsWaitedTwoSecondsTheProgramTheConfiguredTimeOut) {
    // A Talker that echoes the command byte and then falls silent.
    s.ligne.repondre = [](quint8 o) {
        return o == commande::LireMemoire ? QByteArray(1, char(o)) : QByteArray();
    };
    for (const auto& [timeout, attendu] : {std::pair{2000, 2.0}, {5, 0.5}}) {
        session.config.Timeout = timeout;
        const double debut = s.horloge.elapsed();
        EXPECT_EQ(lireMemoire(session, 0xFE00, 4, session.config.Timeout).issue, Issue::TimeOut);
        EXPECT_NEAR(s.horloge.elapsed() - debut, attendu, 0.01) << timeout;
    }
    s.ligne.repondre = {};
    session.config.Timeout = 2000;
    double debut = s.horloge.elapsed();
    EXPECT_EQ(lireMemoire(session, 0xFE00, 4, session.config.Timeout).issue, Issue::PasDEcho);
    EXPECT_NEAR(s.horloge.elapsed() - debut, 2.0, 0.01) << "the echo of the command byte";

    debut = s.horloge.elapsed();
    EXPECT_EQ(attendreArretProgramme(session, QStringLiteral("RecevoirComBINHexa")).fin, FinAttente::TimeOut);
    EXPECT_NEAR(s.horloge.elapsed() - debut, 200.0, 0.01);
}

// A line that breaks (the far end hung up) ends every wait at once; the first
// to notice shows the port closed and says so once, with what to check.
TEST_F(Transfer, ABrokenLineEndsTheWaitAtOnceAndIsSaidOnce) {
    session.liaison.portOuvert = true;
    s.ligne.couper(1.5);
    EXPECT_EQ(attendre(session, 2000).fin, FinAttente::Coupee);
    EXPECT_NEAR(s.horloge.elapsed(), 1.5, 0.01);
    EXPECT_FALSE(session.liaison.portOuvert);
    EXPECT_EQ(s.ecran.panel("Com"), "Com Close");
    ASSERT_EQ(s.ecran.messages.size(), 1);
    EXPECT_TRUE(
        s.ecran.messages[0].text.contains(QStringLiteral("la liaison est coup\u00e9e (Input/output error)")))
        << s.ecran.messages[0].text.toStdString();
    EXPECT_TRUE(s.ecran.messages[0].text.endsWith(texteRemede(Remede::Coupure)));

    const double avant = s.horloge.elapsed();
    EXPECT_EQ(lireMemoire(session, 0xFE00, 4, 2000).issue, Issue::Coupee);
    EXPECT_EQ(attendreArretProgramme(session, QStringLiteral("RecevoirComBINHexa")).fin, FinAttente::Coupee);
    EXPECT_LT(s.horloge.elapsed() - avant, 0.01);
    EXPECT_EQ(s.ecran.messages.size(), 1) << "said once";
}

TEST(Tempo, ZeroProcessesEventsOnceLongerDelaysSleep) {
    ScriptedSession s;
    Tempo(s.horloge, 0);
    EXPECT_EQ(s.horloge.processed, 1);
    EXPECT_EQ(s.horloge.elapsed(), 0.0);
    Tempo(s.horloge, 0.3f);
    EXPECT_GE(s.horloge.elapsed(), 0.3 - 1e-6);
    EXPECT_LE(s.horloge.waits, 2);
}

TEST(Tempo, SpansMidnightAndStopsWhenTheApplicationCloses) {
    ScriptedSession s("1200,N,8,1", 86399.9);
    Tempo(s.horloge, 0.3f);
    EXPECT_NEAR(s.horloge.elapsed(), 0.3, 1e-3);
    s.horloge.alive = false;
    const double avant = s.horloge.elapsed();
    Tempo(s.horloge, 10.0f);
    EXPECT_EQ(s.horloge.elapsed(), avant);
}

} // namespace
} // namespace tessaline::test
