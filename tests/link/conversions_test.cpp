// The ground floor's pure parts: the conversions and the trace writers.
#include "link/conversions.h"
#include "link/registers.h"
#include "link/trace.h"
#include "scripted_session.h"

#include <QByteArray>
#include <QLocale>
#include <QTemporaryDir>
#include <clocale>
#include <gtest/gtest.h>
#include <locale>
#include <stdexcept>

namespace tessaline::test {
namespace {

using namespace tessaline;
using namespace tessaline::test;

// A character that is no hexadecimal digit counts as a 0 digit ("1G", "G1", " 12").
TEST(HexaDec, ReadsHexadecimalTextInEitherCase) {
    const std::pair<const char*, int32_t> cas[] = {{"", 0},
                                                   {"0", 0},
                                                   {"1A", 26},
                                                   {"ffff", 65535},
                                                   {"FFFF", 65535},
                                                   {"00FF", 255},
                                                   {"7FFFFFFF", 2147483647},
                                                   {"aBcD", 0xABCD},
                                                   {"000000001", 1},
                                                   {"0000000000000000000000000000000007", 7},
                                                   {"1G", 0x10},
                                                   {"G1", 0x01},
                                                   {" 12", 0x012}};
    for (const auto& [texte, valeur] : cas)
        EXPECT_EQ(HexaDec(QString::fromLatin1(texte)), valeur) << texte;
}

// Found by fuzzing: the whole text was put in upper case first, and a character
// whose upper case is two letters counted as two digits ("\uFB00" read as $FF).
TEST(HexaDec, EachCharacterIsOneDigitPosition) {
    EXPECT_EQ(HexaDec(QString::fromUtf8("\uFB00")), 0);
    EXPECT_EQ(HexaDec(QString::fromUtf8("1\uFB00")), 0x10);
    EXPECT_EQ(HexaDec(QString::fromUtf8("A\u00DF")), 0xA0) << "sharp s, upper case SS";
}

TEST(HexaDec, OverflowAboveInt32IsAnException) {
    EXPECT_THROW(HexaDec(QStringLiteral("80000000")), std::overflow_error);
    EXPECT_THROW(HexaDec(QStringLiteral("FFFFFFFF")), std::overflow_error);
    EXPECT_THROW(HexaDec(QStringLiteral("100000000")), std::overflow_error);
}

TEST(DecHexa, FourAndTwoDigitForms) {
    QStringList quatre, deux;
    for (int64_t v : {0, 10, 255, 4096, 65535})
        quatre << DecHexa4(v);
    for (double v : {65024.0, 2.5, 3.5}) // halves round to even
        quatre << DecHexa4(v);
    for (int v : {5, 255, 256, 0})
        deux << DecHexa2(v);
    EXPECT_EQ(quatre, (QStringList{"0000", "000A", "00FF", "1000", "FFFF", "FE00", "0002", "0004"}));
    EXPECT_EQ(deux, (QStringList{"05", "FF", "100", "00"}));
}

TEST(DecHexa, OutOfRangeIsInvalidArgument) {
    EXPECT_THROW(DecHexa4(int64_t{65536}), std::invalid_argument);
    EXPECT_THROW(DecHexa4(int64_t{-1}), std::invalid_argument);
    EXPECT_THROW(DecHexa4(-0.7), std::invalid_argument);
    EXPECT_THROW(DecHexa4(65535.6), std::invalid_argument);
}

TEST(HeureTrace, FormatsTimeOfDayWithPoint) {
    EXPECT_EQ(HeureTrace(0), "00:00:00.000");
    EXPECT_EQ(HeureTrace(86399.999), "23:59:59.999");
    EXPECT_EQ(HeureTrace(45296.5), "12:34:56.500");
    EXPECT_EQ(HeureTrace(59.9996), "00:01:00.000") << "never a 60-second field";
    EXPECT_EQ(HeureTrace(3600 + 0.0004), "01:00:00.000");
}

TEST(HeureTrace, PointEvenUnderCommaLocale) {
    const QLocale avant;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    const char* ancien = std::setlocale(LC_ALL, nullptr);
    const std::string sauvegarde = ancien ? ancien : "C";
    std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"); // may be missing; QLocale covers Qt's side
    EXPECT_EQ(HeureTrace(45296.5), "12:34:56.500");
    EXPECT_EQ(HeureTrace(45296.5).size(), 12);
    std::setlocale(LC_ALL, sauvegarde.c_str());
    QLocale::setDefault(avant);
}

TEST(CheminCourt, ExistingPathUnchangedMissingPathEmpty) {
    QTemporaryDir dir;
    const QString fichier = dir.filePath(QStringLiteral("source.asm"));
    QFile f(fichier);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(CheminCourt(fichier), fichier);
    EXPECT_EQ(CheminCourt(dir.filePath(QStringLiteral("absent.asm"))), QString());
    EXPECT_EQ(CheminCourt(QString()), QString());
}

class Trace : public ::testing::Test {
protected:
    ScriptedSession s{"1200,N,8,1", 12 * 3600 + 34 * 60 + 56.5};
    Session& session = s.session;
    QVector<tessaline::test::Run> trace() const { return s.ecran.runsOf(Zone::Trace); }
};

TEST_F(Trace, EchoEntryIsATimeStampThenTheEchoInBoldRed) {
    s.ecran.append(Zone::Echo, QStringLiteral("MemDump"), couleur::Rouge);
    s.ecran.append(Zone::Echo, QStringLiteral(" FE00"), couleur::Bleu);
    TraceEcho(session);
    QStringList r;
    for (const tessaline::test::Run& run : trace())
        r << QStringLiteral("%1 %2 %3").arg(run.text).arg(run.colour, 0, 16).arg(run.bold);
    EXPECT_EQ(r,
              (QStringList{QStringLiteral("12:34:56.500\t ff 0"), QStringLiteral("MemDump FE00\r\n ff 1")}));
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

} // namespace
} // namespace tessaline::test
