// Whole listing lines, character by character, for the corner cases of the decoder
// (targets that wrap, data bytes, input that is too short). The line of every
// instruction class is opcode_coverage_test.cpp's.
#include "disasm/desass_instr.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tessaline;

namespace {

struct LineCase {
    const char* hexa;
    const char* adresse;
    const char* ligne;
    int longueur;
    const char* adrDest;
};

void expectLines(const std::vector<LineCase>& cases, const QString& regIX = "0000",
                 const QString& regIY = "0000") {
    for (const LineCase& c : cases) {
        const Desassemblage d = DesassInstr(c.hexa, c.adresse, regIX, regIY);
        EXPECT_EQ(d.ligne, c.ligne) << c.hexa << " at " << c.adresse;
        EXPECT_EQ(d.LongInstr, c.longueur) << c.hexa << " at " << c.adresse;
        EXPECT_EQ(d.AdrDest, c.adrDest) << c.hexa << " at " << c.adresse;
    }
}

// Decodes `octets` (hex text) from `debut` on, as the listing command does: each decode
// gets the text from its own address on and the next starts LongInstr bytes later.
std::vector<QString> listing(const QString& octets, int debut, int instructions) {
    std::vector<QString> lignes;
    int position = 0;
    for (int i = 0; i < instructions; ++i) {
        const QString adresse =
            QString::number((debut + position) & 0xFFFF, 16).toUpper().rightJustified(4, u'0');
        const Desassemblage d = DesassInstr(octets.mid(2 * position), adresse, "0000", "0000");
        lignes.push_back(adresse + d.ligne);
        position += d.LongInstr;
    }
    return lignes;
}

} // namespace

TEST(ListingLine, TargetsAndDestinationsWrapAroundTheAddressSpace) {
    expectLines({{"207F", "FFF0", "\t207F\t\t\tBRA\t$0071", 2, "0071"},
                 {"8D00", "FFFE", "\t8D00\t\t\tBSR\t$0000", 2, "0000"},
                 {"2080", "0010", "\t2080\t\t\tBRA\t$FF92", 2, "FF92"},
                 {"01", "FFFF", "\t01\t\t\tNOP", 1, "0000"},
                 {"CE1234", "FFFE", "\tCE1234\t\t\tLDX\t#$1234", 3, "0001"},
                 {"18A6FF", "E000", "\t18A6FF\t\t\tLDAA\t$FF , Y", 3, "00FE"}},
                "FFF0", "FFFF");
}

TEST(ListingLine, UnknownBytesListOneDataByteAndTheNextDecodeStartsAfterIt) {
    const std::vector<QString> expected = {
        "E000\t00\t\t\tFCB\t$00", "E001\t41\t\t\tFCB\t$41", "E002\t87\t\t\tFCB\t$87",
        "E003\tCD\t\t\tFCB\t$CD", "E004\t00\t\t\tFCB\t$00", "E005\t18\t\t\tFCB\t$18",
        "E006\t00\t\t\tFCB\t$00", "E007\t01\t\t\tNOP",
    };
    EXPECT_EQ(listing("004187CD0018000101010101", 0xE000, 8), expected);
}

TEST(ListingLine, ListingRunsAcrossFFFFIntoZero) {
    const std::vector<QString> expected = {
        "FFFC\t8655\t\t\tLDAA\t#$55",
        "FFFE\t01\t\t\tNOP",
        "FFFF\t08\t\t\tINX",
        "0000\t20FE\t\t\tBRA\t$0000",
    };
    EXPECT_EQ(listing("86550108"
                      "20FE0000000000",
                      0xFFFC, 4),
              expected);
}

TEST(ListingLine, LowerCaseDigitsNeverFormAnOpcode) {
    expectLines({
        {"cc123400", "E000", "\tcc\t\t\tFCB\t$cc", 1, "E001"},
        {"1a83123400", "E000", "\t1a\t\t\tFCB\t$1a", 1, "E001"},
        {"18ce123400", "E000", "\t18\t\t\tFCB\t$18", 1, "E001"},
        {"1A8f", "E000", "\t1A\t\t\tFCB\t$1A", 1, "E001"},
        // The opcode is upper case: the operand is shown as it stands.
        {"86ff", "E000", "\t86ff\t\t\tLDAA\t#$ff", 2, "E002"},
    });
}

TEST(ListingLine, ShortInputListsTheFirstByteAsData) {
    expectLines({
        // A failed memory read gives the empty text.
        {"", "E000", "\t\t\t\tFCB\t$", 1, "E001"},
        {"8", "E000", "\t8\t\t\tFCB\t$8", 1, "E001"},
        {"86", "E000", "\t86\t\t\tFCB\t$86", 1, "E001"},
        {"18", "E000", "\t18\t\t\tFCB\t$18", 1, "E001"},
        {"18CE10", "E000", "\t18\t\t\tFCB\t$18", 1, "E001"},
        {"1F2E20", "E000", "\t1F\t\t\tFCB\t$1F", 1, "E001"},
        {"181E1080F", "E000", "\t18\t\t\tFCB\t$18", 1, "E001"},
        // Exactly the instruction's bytes are enough.
        {"181E1080F9", "E000", "\t181E1080F9\t\t\tBRSET\t$10 , Y $80\t$DFFE", 5, "DFFE"},
        {"01", "E000", "\t01\t\t\tNOP", 1, "E001"},
    }); // An instruction cut short goes nowhere either.
    EXPECT_FALSE(transfersControl("7E12"));
    EXPECT_FALSE(transfersControl("181E1080"));
    EXPECT_FALSE(transfersControl(""));
}

TEST(ListingLine, AddressAndRegisterTextsAreReadModulo10000) {
    expectLines({{"2000", "", "\t2000\t\t\tBRA\t$0002", 2, "0002"},
                 {"2000", "1E000", "\t2000\t\t\tBRA\t$E002", 2, "E002"},
                 {"2000", "FFFFFFFFFF", "\t2000\t\t\tBRA\t$0001", 2, "0001"},
                 {"A610", "E000", "\tA610\t\t\tLDAA\t$10 , X", 2, "0010"}},
                "", "");
}
