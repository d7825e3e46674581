// The EEPROM image a simulated board can start with (tessaline-sim --eeprom), and the
// example program examples/compteur.s that is meant for it: its stored image is the
// assembly of its source, and run from $FE00 it counts its passes as its comments say.
#include "board_test_support.h"

#include "sim/eeprom_image.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace hc11::test {
namespace {

namespace fs = std::filesystem;

const fs::path kExamples = TESSALINE_EXAMPLES;
const std::string kImage = (kExamples / "compteur.s19").string();
constexpr uint16_t kCompte = 0x0100, kPairs = 0x0101;
constexpr uint16_t kBoucle = 0xFE06; // the loop's first instruction (JSR incremente)

std::string textOf(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string writeTemp(const std::string& name, const std::string& text) {
    const std::string path = ::testing::TempDir() + name + std::to_string(::getpid()) + ".s19";
    std::ofstream(path) << text;
    return path;
}

TEST(ExampleProgram, StoredImageIsTheAssemblyOfItsSource) {
    if (std::system("command -v m68hc11-as >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "m68hc11-as not found (Debian package binutils-m68hc1x): examples/compteur.s19 is "
                        "used but not checked against its source";
    const fs::path out = fs::temp_directory_path() / ("tessaline-examples-" + std::to_string(getpid()));
    fs::create_directories(out);
    const std::string command = std::string(TESSALINE_ASSEMBLE_EXAMPLES) + " '" + out.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(textOf(kImage), textOf(out / "compteur.s19"))
        << "examples/compteur.s19 is stale: run scripts/assemble-examples.sh --update";
    fs::remove_all(out);
}

TEST(EepromImage, FillsOnlyTheEepromKeepsItOverResetsAndRefusesAnythingElseWhole) {
    auto board = makeBoard("68HC11F1");
    std::string error;
    ASSERT_EQ(loadEepromImage(*board, kImage, error), EepromImageLoad::Loaded) << error;
    for (int reset = 0; reset < 3; ++reset) {
        SCOPED_TRACE(reset);
        EXPECT_EQ(board->peek(0xFE00), 0x7F); // CLR COMPTE
        EXPECT_EQ(board->peek(0xFE21), 0x39); // the last RTS
        EXPECT_EQ(board->peek(0xFE22), 0xFF); // erased after the image
        EXPECT_EQ(board->peek(0xFDFF), kUnmappedRead);
        if (reset == 0) board->resetBootstrap();
        if (reset == 1) board->resetSingleChip(0xFE00);
    }

    // A good record first, then one outside: nothing is loaded and the address is named.
    // The second file's last record runs from $FFF8 past $FFFF.
    const std::string outside[][2] = {
        {"S105FE000101FA\nS1041000AA41\n", "$1000 is outside the 68HC11F1's EEPROM ($FE00-$FFFF)"},
        {"S105FE000101FA\nS10CFFF8010203040506070809CF\n", "runs past $FFFF"},
    };
    for (const auto& [records, named] : outside) {
        auto fresh = makeBoard("68HC11F1");
        const std::string file = writeTemp("eeprom_outside", records);
        EXPECT_EQ(loadEepromImage(*fresh, file, error), EepromImageLoad::Refused);
        EXPECT_NE(error.find(named), std::string::npos) << error;
        EXPECT_NE(error.find(file), std::string::npos) << error;
        EXPECT_EQ(fresh->peek(0xFE00), 0xFF);
        ::unlink(file.c_str());
    }
    EXPECT_EQ(loadEepromImage(*board, "/nonexistent/compteur.s19", error), EepromImageLoad::Unreadable);
}

TEST(EepromImage, SimulatorRefusesARecordOutsideTheEepromWithStatusTwo) {
    const std::string file = writeTemp("sim_eeprom_outside", "S1041000AA41\n");
    std::FILE* p =
        ::popen((std::string(TESSALINE_SIM " --eeprom ") + file + " 2>&1 </dev/null").c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[512] = {};
    const std::string out(buf, std::fread(buf, 1, sizeof buf - 1, p));
    const int status = ::pclose(p);
    ::unlink(file.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2) << out;
    EXPECT_NE(out.find("$1000 is outside the 68HC11F1's EEPROM"), std::string::npos) << out;
    EXPECT_EQ(out.find("/dev/pts"), std::string::npos) << "no terminal is opened: " << out;
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
