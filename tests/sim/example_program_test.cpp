// The EEPROM image a simulated board can start with (--eeprom), and the example program
// meant for it: examples/compteur.asm run from $FE00 counts its passes as its comments say.
#include "board_test_support.h"

#include "sim/eeprom_image.h"

#include <cstdio>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace hc11::test {
namespace {

const std::string kImage = TESSALINE_EXAMPLES "/compteur.s19";
constexpr uint16_t kCompte = 0x0100, kPairs = 0x0101;
constexpr uint16_t kBoucle = 0xFE07; // the loop's JSR incremente

// The image survives both kinds of reset; a file with one record outside the EEPROM
// loads nothing, and tessaline-sim refuses it with status 2 before opening a terminal.
TEST(EepromImage, KeptOverResetsAndRefusedWholeWhenARecordIsOutside) {
    auto board = makeBoard("68HC11F1");
    std::string error;
    ASSERT_EQ(loadEepromImage(*board, kImage, error), EepromImageLoad::Loaded) << error;
    board->resetBootstrap();
    board->resetSingleChip(0xFE00);
    EXPECT_EQ(board->peek(0xFE00), 0x0E); // CLI
    EXPECT_EQ(board->peek(0xFE22), 0x39); // the last RTS
    EXPECT_EQ(board->peek(0xFE23), 0xFF); // erased after the image

    const std::string file = ::testing::TempDir() + "outside" + std::to_string(::getpid()) + ".s19";
    std::ofstream(file) << "S105FE000101FA\nS1041000AA41\n";
    auto fresh = makeBoard("68HC11F1");
    EXPECT_EQ(loadEepromImage(*fresh, file, error), EepromImageLoad::Refused);
    EXPECT_EQ(fresh->peek(0xFE00), 0xFF);
    std::FILE* p = ::popen((TESSALINE_SIM " --eeprom " + file + " 2>&1 </dev/null").c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[512] = {};
    const std::string out(buf, std::fread(buf, 1, sizeof buf - 1, p));
    const int status = ::pclose(p);
    ::unlink(file.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << out;
    EXPECT_EQ(out, "tessaline-sim: " + file +
                       ": S1 record at $1000: $1000 is outside the 68HC11F1's EEPROM ($FE00-$FFFF)\n");
}

TEST(ExampleProgram, CountsItsPassesAndItsEvenPassesInRam) {
    auto board = makeBoard("68HC11F1");
    std::string error;
    ASSERT_EQ(loadEepromImage(*board, kImage, error), EepromImageLoad::Loaded) << error;
    ASSERT_TRUE(board->poke(kCompte, 0x55) && board->poke(kPairs, 0xAA));
    board->resetSingleChip(0xFE00);
    board->cpu().r.sp = 0x03FF;
    ASSERT_TRUE(board->runUntilPc(kBoucle, 100));
    EXPECT_EQ(board->peek(kCompte), 0);
    EXPECT_EQ(board->peek(kPairs), 0);
    // Past 256 passes COMPTE wraps to 0, which is even again.
    for (unsigned pass = 1; pass <= 300; ++pass) {
        ASSERT_TRUE(board->runUntilPc(kBoucle + 3, 40)); // back from incremente
        ASSERT_TRUE(board->runUntilPc(kBoucle, 200)) << "pass " << pass;
        ASSERT_EQ(board->peek(kCompte), pass % 256) << "pass " << pass;
        ASSERT_EQ(board->peek(kPairs), (pass / 2) % 256) << "pass " << pass;
        ASSERT_EQ(board->cpu().r.sp, 0x03FF) << "every call returned, pass " << pass;
    }
}

} // namespace
} // namespace hc11::test
