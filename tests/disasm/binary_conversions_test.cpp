#include "disasm/binary_conversions.h"

#include "link/conversions.h"

#include <gtest/gtest.h>

using namespace tessaline;

// Two upper-case digits are the next test's; here the texts that are not.
TEST(HexSigne8, ReadsTheLastTwoDigitsOfAnyText) {
    const struct {
        const char* texte;
        int valeur;
    } cas[] = {{"fb", -5}, {"", 0}, {"5", 5}, {"1FF", -1}, {"G0", 0}};
    for (const auto& c : cas)
        EXPECT_EQ(HexSigne8(c.texte), c.valeur) << c.texte;
}

TEST(HexSigne8, AgreesWithTheBinaryComplementMethodForEveryByte) {
    // The negative half read the long way: v - 1 on eight binary digits, every digit
    // inverted, read back and negated.
    for (int v = 0; v < 256; ++v) {
        const QString texte = DecHexa2(v);
        int attendu = v;
        if (v >= 128) {
            QString bits = DecBin(uint64_t(v - 1)).rightJustified(8, u'0');
            for (QChar& c : bits)
                c = c == u'0' ? u'1' : u'0';
            attendu = -int(BinDec(bits));
        }
        EXPECT_EQ(HexSigne8(texte), attendu) << texte.toStdString();
    }
}

// Up to sixteen bits DecBin is pinned by HexBin's table and the last test.
TEST(DecBin, SixtyFourBits) {
    EXPECT_EQ(DecBin(0x8000000000000000ull), "1" + QString(63, u'0'));
}

TEST(BinDec, ReadsBinaryDigitsAndRejectsAnythingElse) {
    const struct {
        const char* texte;
        int64_t valeur;
    } cas[] = {{"", 0},
               {"0", 0},
               {"1", 1},
               {"101", 5},
               {"00000101", 5},
               {"11111111", 255},
               {"2", kBinDecErreur},
               {"10a1", kBinDecErreur},
               {" 1", kBinDecErreur},
               {"1 ", kBinDecErreur},
               {"111111111111111111111111111111111111111111111111111111111111111", INT64_MAX},
               {"0000111111111111111111111111111111111111111111111111111111111111111", INT64_MAX},
               {"1000000000000000000000000000000000000000000000000000000000000000", kBinDecErreur}};
    for (const auto& c : cas)
        EXPECT_EQ(BinDec(c.texte), c.valeur) << c.texte;
}

TEST(HexBin, BinaryOfAHexadecimalText) {
    const struct {
        const char* texte;
        const char* bits;
    } cas[] = {{"00", "0"},
               {"", "0"},
               {"01", "1"},
               {"05", "101"},
               {"80", "10000000"},
               {"FF", "11111111"},
               {"0F", "1111"},
               {"f0", "11110000"},
               {"1G", "10000"},
               {"123456789ABCDEF0", "1001000110100010101100111100010011010101111001101111011110000"}};
    for (const auto& c : cas)
        EXPECT_EQ(HexBin(c.texte), c.bits) << c.texte;
}

TEST(HexBin, IsDecBinOfTheHexadecimalValueAcrossSixteenBits) {
    for (int v = 0; v <= 0xFFFF; v += 7)
        EXPECT_EQ(HexBin(DecHexa4(int64_t(v))), DecBin(uint64_t(v))) << v;
}
