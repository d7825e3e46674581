// The board's S-record reader: record syntax and checksums, and loading into RAM and
// EEPROM only.
#include "board_test_support.h"

#include "sim/srecord.h"

namespace hc11::test {
namespace {

TEST(SRecords, ParseOrReportTheFault) {
    struct Row {
        const char* text;
        const char* errorPart; // nullptr: parses
    };
    for (Row row :
         {Row{"S1050000860173\n", nullptr}, // LDAA #$01 at $0000
          Row{"S00600004844521B\nS1050000860173\nS9030000FC\n", nullptr},
          Row{"s1050000860173\r\n\r\n", nullptr}, // lower case, CRLF
          Row{"S1050000860174\n", "checksum"}, Row{"S1060000860173\n", "byte count"},
          Row{"S105000086017\n", "hexadecimal"}, Row{"S10500008G0173\n", "hexadecimal"},
          Row{"S206000000860172\n", "unsupported"}, Row{"X1050000860173\n", "not an S-record"},
          Row{"S9030000FC\nS1050000860173\n", "after the S9"}, Row{"S105FFFF860175\n", "past $FFFF"},
          Row{"S1050000860173\nS105000086017\n", "line 2"}}) {
        SCOPED_TRACE(row.text);
        std::string error;
        const auto image = parseSRecords(row.text, error);
        EXPECT_EQ(image.has_value(), !row.errorPart) << error;
        if (row.errorPart) {
            EXPECT_NE(error.find(row.errorPart), std::string::npos) << error;
        }
    }
}

TEST(SRecords, BlocksAndEntry) {
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

TEST(BoardLoad, RamAndEepromOnlyAndAllOrNothing) {
    auto b = makeBoard("68HC11E1");
    std::string error;
    uint16_t first = 0;
    ASSERT_TRUE(b->loadSRecords("S1050010860163\nS104B600AA9B\n", error, &first)) << error;
    EXPECT_EQ(first, 0x0010);
    EXPECT_EQ(b->peek(0x0010), 0x86);
    EXPECT_EQ(b->peek(0xB600), 0xAA);
    // A record at $1000 (registers) refuses the whole file: nothing of it is loaded.
    EXPECT_FALSE(b->loadSRecords("S1050020860153\nS1041000AA41\n", error));
    EXPECT_NE(error.find("outside RAM and EEPROM"), std::string::npos) << error;
    EXPECT_EQ(b->peek(0x0020), 0x00);
    EXPECT_FALSE(b->loadSRecords("S10501FF860173\n", error)) << "runs off the end of RAM";

    auto a1 = makeBoard("68HC11A1");
    const uint8_t bytes[] = {1, 2, 3};
    EXPECT_TRUE(a1->loadBinary(0x00FD, bytes));
    EXPECT_EQ(a1->peek(0x00FF), 3);
    EXPECT_FALSE(a1->loadBinary(0x00FE, bytes));
    EXPECT_EQ(a1->peek(0x00FE), 2) << "nothing written";
    EXPECT_FALSE(a1->loadBinary(0xFFFF, bytes));
}

} // namespace
} // namespace hc11::test
