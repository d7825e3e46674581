// The board's S-record reader: record syntax and checksums, and loading into RAM and
// EEPROM only.
#include "board_test_support.h"

#include <ostream>

#include "sim/srecord.h"

namespace hc11::test {
namespace {

struct SRecordRow {
    const char* text;
    const char* errorPart; // nullptr: parses
};

std::ostream& operator<<(std::ostream& os, const SRecordRow& r) {
    return os << r.text;
}

class SRecordLines : public ::testing::TestWithParam<SRecordRow> {};

TEST_P(SRecordLines, ParseOrReportTheFault) {
    const SRecordRow row = GetParam();
    std::string error;
    const auto image = parseSRecords(row.text, error);
    if (!row.errorPart) {
        EXPECT_TRUE(image.has_value()) << error;
    } else {
        EXPECT_FALSE(image.has_value());
        EXPECT_NE(error.find(row.errorPart), std::string::npos) << error;
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, SRecordLines,
                         ::testing::Values(SRecordRow{"S1050000860173\n", nullptr}, // LDAA #$01 at $0000
                                           SRecordRow{"S00600004844521B\nS1050000860173\nS9030000FC\n",
                                                      nullptr},
                                           SRecordRow{"s1050000860173\r\n\r\n", nullptr}, // lower case, CRLF
                                           SRecordRow{"S1050000860174\n", "checksum"},
                                           SRecordRow{"S1060000860173\n", "byte count"},
                                           SRecordRow{"S105000086017\n", "hexadecimal"},
                                           SRecordRow{"S10500008G0173\n", "hexadecimal"},
                                           SRecordRow{"S206000000860172\n", "unsupported"},
                                           SRecordRow{"X1050000860173\n", "not an S-record"},
                                           SRecordRow{"S9030000FC\nS1050000860173\n", "after the S9"},
                                           SRecordRow{"S105FFFF860175\n", "past $FFFF"},
                                           SRecordRow{"S1050000860173\nS105000086017\n", "line 2"}));

TEST(SRecordImageTest, BlocksAndEntry) {
    std::string error;
    const auto image = parseSRecords("S1050010860163\nS1040020CE0D\nS9030010EC\n", error);
    ASSERT_TRUE(image.has_value()) << error;
    ASSERT_EQ(image->blocks.size(), 2u);
    EXPECT_EQ(image->blocks[0].address, 0x0010);
    EXPECT_EQ(image->blocks[0].bytes, (std::vector<uint8_t>{0x86, 0x01}));
    EXPECT_EQ(image->blocks[1].address, 0x0020);
    EXPECT_EQ(image->blocks[1].bytes, (std::vector<uint8_t>{0xCE}));
    EXPECT_EQ(image->entry, 0x0010);
}

TEST(BoardLoadSRecords, LoadsRamAndEepromOnly) {
    auto b = makeBoard("68HC11E1");
    std::string error;
    uint16_t first = 0;
    // $0010 (RAM) and $B600 (EEPROM).
    ASSERT_TRUE(b->loadSRecords("S1050010860163\nS104B600AA9B\n", error, &first)) << error;
    EXPECT_EQ(first, 0x0010);
    EXPECT_EQ(b->peek(0x0010), 0x86);
    EXPECT_EQ(b->peek(0xB600), 0xAA);

    // A record at $1000 (registers) refuses the whole file: nothing of it is loaded.
    EXPECT_FALSE(b->loadSRecords("S1050020860153\nS1041000AA41\n", error));
    EXPECT_NE(error.find("outside RAM and EEPROM"), std::string::npos) << error;
    EXPECT_EQ(b->peek(0x0020), 0x00);
    // A record running off the end of RAM.
    EXPECT_FALSE(b->loadSRecords("S10501FF860173\n", error));
    EXPECT_FALSE(b->loadSRecords("S1050010860164\n", error));
    EXPECT_NE(error.find("checksum"), std::string::npos);
}

TEST(BoardLoadBinary, RefusesBytesOutsideMemory) {
    auto b = makeBoard("68HC11A1");
    const uint8_t bytes[] = {1, 2, 3};
    EXPECT_TRUE(b->loadBinary(0x00FD, bytes));
    EXPECT_EQ(b->peek(0x00FF), 3);
    EXPECT_FALSE(b->loadBinary(0x00FE, bytes));
    EXPECT_EQ(b->peek(0x00FE), 2) << "nothing written";
    EXPECT_FALSE(b->loadBinary(0xFFFF, bytes));
}

} // namespace
} // namespace hc11::test
