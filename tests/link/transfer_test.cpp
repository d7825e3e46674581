#include "link/transfer.h"

#include "link/talker_protocol.h"
#include "link/tempo.h"
#include "link_fixture.h"

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

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

} // namespace

TEST_F(Transfer, WaitEndsOnDataOrAfterItsTimeOutAndSleepsMeanwhile) {
    s.ligne.injecter(QByteArray("\xC3", 1), 0.5);
    const Reception r = attendre(session, 20);
    EXPECT_EQ(r.fin, FinAttente::Donnee);
    EXPECT_EQ(r.octet, 0xC3);

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
    EXPECT_EQ(r.fin, FinAttente::Donnee);
    EXPECT_EQ(r.octet, 0) << "a zero byte is data, not a cancel";
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
    ScriptedSession s(86399.5);
    EXPECT_EQ(attendre(s.session, 20).fin, FinAttente::TimeOut);
    EXPECT_GT(s.horloge.elapsed(), 2.0);
    EXPECT_LT(s.horloge.elapsed(), 2.1);
    EXPECT_LT(s.horloge.now(), 10.0) << "the clock restarted at midnight";
}

TEST_F(Transfer, TimeOutReportAndViderCom) {
    AfficheTimeOut(session, QStringLiteral("RecevoirComBINHexa"));
    ASSERT_EQ(s.ecran.messages.size(), 1);
    // The report as it was, and what to do on its next line.
    EXPECT_EQ(s.ecran.messages[0].text, TimeOutHexa + QStringLiteral("\r\n") + texteRemede(Remede::Liaison));
    EXPECT_EQ(s.ecran.messages[0].title, "Tessaline");
    EXPECT_EQ(s.ecran.messages[0].icon, Icone::Question);
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
    ScriptedSession s(86399.9);
    Tempo(s.horloge, 0.3f);
    EXPECT_NEAR(s.horloge.elapsed(), 0.3, 1e-3);
    s.horloge.alive = false;
    const double avant = s.horloge.elapsed();
    Tempo(s.horloge, 10.0f);
    EXPECT_EQ(s.horloge.elapsed(), avant);
}
