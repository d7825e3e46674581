#include "link/transfer.h"

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

} // namespace

TEST_F(Transfer, CommandEchoRightAndWrong) {
    s.ligne.echo();
    EXPECT_TRUE(EnvoiCommande(session, 6, true));
    s.ligne.repondre = [](quint8) { return QByteArray("\x07", 1); };
    EXPECT_FALSE(EnvoiCommande(session, 6, true));
    EXPECT_EQ(s.ligne.envoyes, QByteArray("\x06\x06", 2));
    EXPECT_TRUE(s.ecran.messages.isEmpty());
}

TEST_F(Transfer, ByteReadBackRightWrongAndMissing) {
    s.ligne.echo();
    EXPECT_TRUE(EnvoiOctet(session, 0x00));
    EXPECT_TRUE(EnvoiOctet(session, 0xFF));
    s.ligne.repondre = [](quint8 o) { return QByteArray(1, char(o ^ 0x01)); };
    EXPECT_FALSE(EnvoiOctet(session, 0x55));
    EXPECT_TRUE(s.ecran.messages.isEmpty());

    s.ligne.repondre = nullptr;
    session.config.Timeout = 5;
    EXPECT_FALSE(EnvoiOctet(session, 0x00)) << "no answer is no success, even for a zero byte";
    ASSERT_EQ(s.ecran.messages.size(), 1);
    EXPECT_TRUE(s.ecran.messages[0].text.contains("Sub : RecevoirComBINDec"));
}

TEST_F(Transfer, CommandTimeOutIsSilentAndTakesTheTimeOut) {
    session.config.Timeout = 20; // 2 s
    EXPECT_FALSE(EnvoiCommande(session, 1, true));
    EXPECT_TRUE(s.ecran.messages.isEmpty());
    EXPECT_GT(s.horloge.elapsed(), 2.0);
    EXPECT_LT(s.horloge.elapsed(), 2.1);
}

TEST_F(Transfer, TimeOutReportsOfTheReceiveRoutines) {
    session.config.Timeout = 20;
    EXPECT_EQ(RecevoirComBINHexa(session), QString());
    EXPECT_EQ(RecevoirComBINDec(session), -1);
    EXPECT_EQ(RecComBIN_NbOct_Dec(session), -2);
    ASSERT_EQ(s.ecran.messages.size(), 2) << "the third routine reports nothing";
    EXPECT_EQ(s.ecran.messages[0].text, TimeOutHexa);
    EXPECT_EQ(s.ecran.messages[0].title, "Tessaline");
    EXPECT_EQ(s.ecran.messages[0].icon, Icone::Question);
    EXPECT_TRUE(s.ecran.messages[1].text.contains("\r\n\r\nSub : RecevoirComBINDec\r\n\r\n"));
    EXPECT_EQ(s.ecran.beeps, 2);
}

TEST_F(Transfer, ReceivedValuesInEachForm) {
    s.ligne.injecter(QByteArray("\x0A", 1), 0.5);
    EXPECT_EQ(RecevoirComBINHexa(session), "0A");
    s.ligne.injecter(QByteArray("\xC3", 1), 0.5);
    EXPECT_EQ(RecevoirComBINDec(session), 0xC3);
    s.ligne.injecter(QByteArray("\x00", 1), 0.5);
    EXPECT_EQ(RecComBIN_NbOct_Dec(session), 0);
}

TEST_F(Transfer, LongTimeOutSleepsInsteadOfSpinning) {
    session.config.Timeout = 2000; // 200 s
    EXPECT_EQ(RecComBIN_NbOct_Dec(session), -2);
    EXPECT_GT(s.horloge.elapsed(), 200.0);
    EXPECT_LE(s.horloge.waits, 3) << "the wait sleeps up to the deadline";
}

TEST_F(Transfer, DisarmedWaitEndsOnlyOnData) {
    session.config.Timeout = 1;
    session.liaison.timeoutArme = false;
    s.ligne.injecter(QByteArray("\x00", 1), 500);
    EXPECT_EQ(RecComBIN_NbOct_Dec(session), 0);
    EXPECT_GE(s.horloge.elapsed(), 500.0);
    EXPECT_TRUE(s.ecran.messages.isEmpty());
}

TEST_F(Transfer, AbortEndsEveryWaitAndIsClearedAtTheStart) {
    session.config.Timeout = 2000;
    session.liaison.abandon = true; // left over: cleared when the wait starts
    const double debut = s.horloge.elapsed();
    s.horloge.after(3, [&] { session.demanderAbandon(); });
    EXPECT_EQ(RecComBIN_NbOct_Dec(session), -1);
    EXPECT_NEAR(s.horloge.elapsed() - debut, 3.0, 0.01) << "the click ends the wait at once";
    s.horloge.after(1, [&] { session.demanderAbandon(); });
    EXPECT_EQ(RecevoirComBINDec(session), 0);
    s.horloge.after(1, [&] { session.demanderAbandon(); });
    EXPECT_EQ(RecevoirComBINHexa(session), QString());
    EXPECT_TRUE(s.ecran.messages.isEmpty());
}

TEST_F(Transfer, CancelEndsOnlyTheSilentWait) {
    session.config.Timeout = 30;
    session.demanderAnnulation();
    EXPECT_EQ(RecComBIN_NbOct_Dec(session), 0);
    EXPECT_LT(s.horloge.elapsed(), 0.01);
    EXPECT_EQ(RecevoirComBINDec(session), -1) << "the reporting routines ignore cancel";
    s.ligne.echo();
    EXPECT_FALSE(EnvoiCommande(session, 0, true)) << "a cancelled wait is no echo of byte 0";
}

TEST_F(Transfer, TimeOutZeroEndsAsSoonAsTheClockMoves) {
    session.config.Timeout = 0;
    EXPECT_EQ(RecComBIN_NbOct_Dec(session), -2);
    EXPECT_GT(s.horloge.elapsed(), 0.0);
    EXPECT_LT(s.horloge.elapsed(), 0.01);
}

TEST_F(Transfer, TwoBytesTogetherGiveTheFirstAndLoseTheSecond) {
    session.config.Timeout = 10;
    s.ligne.injecter(QByteArray("\x41\x42", 2), 0.2);
    EXPECT_EQ(RecevoirComBINDec(session), 0x41);
    EXPECT_EQ(RecevoirComBINDec(session), -1);
}

TEST(TransferMidnight, WaitSpanningMidnightEndsAfterItsTimeOut) {
    ScriptedSession s(86399.5);
    s.session.config.Timeout = 20;
    EXPECT_EQ(RecComBIN_NbOct_Dec(s.session), -2);
    EXPECT_GT(s.horloge.elapsed(), 2.0);
    EXPECT_LT(s.horloge.elapsed(), 2.1);
    EXPECT_LT(s.horloge.now(), 10.0) << "the clock restarted at midnight";
}

TEST_F(Transfer, ViderComDropsWaitingBytes) {
    s.ligne.injecter(QByteArray("abc"), 0);
    ASSERT_EQ(s.ligne.bytesWaiting(), 3);
    ViderCom(session);
    EXPECT_EQ(s.ligne.bytesWaiting(), 0);
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
