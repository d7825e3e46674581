#include "link/conversions.h"

#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <stdexcept>

using namespace tessaline;

TEST(HexaDec, ReadsHexadecimalTextInEitherCase) {
    const struct {
        const char* texte;
        int32_t valeur;
    } cas[] = {{"", 0},
               {"0", 0},
               {"1A", 26},
               {"ffff", 65535},
               {"FFFF", 65535},
               {"00FF", 255},
               {"7FFFFFFF", 2147483647},
               {"aBcD", 0xABCD},
               {"000000001", 1},
               {"0000000000000000000000000000000007", 7},
               // A character that is no hexadecimal digit counts as a 0 digit.
               {"1G", 0x10},
               {"G1", 0x01},
               {" 12", 0x012}};
    for (const auto& c : cas)
        EXPECT_EQ(HexaDec(QString::fromLatin1(c.texte)), c.valeur) << c.texte;
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
    EXPECT_EQ(DecHexa4(int64_t{0}), "0000");
    EXPECT_EQ(DecHexa4(int64_t{10}), "000A");
    EXPECT_EQ(DecHexa4(int64_t{255}), "00FF");
    EXPECT_EQ(DecHexa4(int64_t{4096}), "1000");
    EXPECT_EQ(DecHexa4(int64_t{65535}), "FFFF");
    EXPECT_EQ(DecHexa4(65024.0), "FE00");
    EXPECT_EQ(DecHexa4(2.5), "0002") << "halves round to even";
    EXPECT_EQ(DecHexa4(3.5), "0004");
    EXPECT_EQ(DecHexa2(5), "05");
    EXPECT_EQ(DecHexa2(255), "FF");
    EXPECT_EQ(DecHexa2(256), "100");
    EXPECT_EQ(DecHexa2(0), "00");
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
