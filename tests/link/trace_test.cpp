#include "link/registers.h"
#include "link/trace.h"
#include "link_fixture.h"

#include <gtest/gtest.h>

using namespace tessaline;
using namespace tessaline::test;

namespace {

class Trace : public ::testing::Test {
protected:
    ScriptedSession s{12 * 3600 + 34 * 60 + 56.5};
    Session& session = s.session;
    QVector<tessaline::test::Run> trace() const { return s.ecran.runsOf(Zone::Trace); }
};

} // namespace

TEST_F(Trace, EchoEntryIsATimeStampThenTheEchoInBoldRed) {
    s.ecran.append(Zone::Echo, QStringLiteral("MemDump"), couleur::Rouge);
    s.ecran.append(Zone::Echo, QStringLiteral(" FE00"), couleur::Bleu);
    TraceEcho(session);
    const auto r = trace();
    ASSERT_EQ(r.size(), 2);
    EXPECT_EQ(r[0].text, "12:34:56.500\t");
    EXPECT_EQ(r[0].colour, couleur::Rouge);
    EXPECT_FALSE(r[0].bold);
    EXPECT_EQ(r[1].text, "MemDump FE00\r\n");
    EXPECT_EQ(r[1].colour, couleur::Rouge);
    EXPECT_TRUE(r[1].bold);
}

TEST_F(Trace, ReturnEntryCarriesTheRegisterLine) {
    s.ecran.append(Zone::Echo, QStringLiteral("Stop"), couleur::Rouge);
    session.registres = {QStringLiteral("12"),   QStringLiteral("34"),   QStringLiteral("D0"),
                         QStringLiteral("1000"), QStringLiteral("2000"), QStringLiteral("B610"),
                         QStringLiteral("00E8")};
    TraceEchoRetour(session);
    EXPECT_EQ(s.ecran.text(Zone::Trace),
              "12:34:56.500\t  <==  Stop\r\n\t\t  <==  Registres : PC=B610  A=12  B=34  IX=1000  IY=2000  "
              "CCR=D0  SP=00E8\r\n");
    const auto r = trace();
    EXPECT_EQ(r[1].colour, couleur::Bleu);
    EXPECT_FALSE(r[1].bold);
    for (const tessaline::test::Run& run : r.mid(2))
        EXPECT_EQ(run.colour, run.text.endsWith(u'=') || run.text.contains("Registres") ? couleur::Noir
                                                                                        : couleur::Magenta)
            << run.text.toStdString();
}

TEST_F(Trace, LinkStateEntryShowsBothPanels) {
    s.ecran.setPanel(QStringLiteral("Talker"), QStringLiteral("Pas de Talker"), 0);
    s.ecran.setPanel(QStringLiteral("Cible"), QStringLiteral("Cible STOP"), 0);
    TraceEtat(session);
    EXPECT_EQ(s.ecran.text(Zone::Trace), "12:34:56.500\tPas de Talker\tCible STOP\r\n");
    EXPECT_EQ(trace()[1].colour, couleur::Bleu);
}
