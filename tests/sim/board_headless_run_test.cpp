// tessaline-sim's command line and its headless --run mode. The pseudo-terminal tests
// start tessaline-sim with --chip and --quartz and depend on both.
#include "board_test_support.h"

#include "sim/headless_run.h"
#include "sim/sim_options.h"

#include <fstream>
#include <sstream>

namespace hc11::test {
namespace {

TEST(SimOptions, ValuesAndUsageErrors) {
    std::string error;
    const std::vector<std::string_view> good = {"--run",  "p.s19",   "--chip", "68HC11A1",     "--quartz",
                                                "16",     "--start", "B600",   "--max-cycles", "5000",
                                                "--dump", "0100:16", "--dump", "FFFE:2"};
    const auto o = parseSimOptions(good, error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->runFile, "p.s19");
    EXPECT_EQ(o->chip, "68HC11A1");
    EXPECT_EQ(o->quartzMHz, 16u);
    EXPECT_EQ(o->start, 0xB600);
    EXPECT_EQ(o->maxCycles, 5000u);
    EXPECT_EQ(o->dumps, (std::vector<DumpRange>{{0x0100, 16}, {0xFFFE, 2}}));
    const std::vector<std::string_view> link = {"--fast", "--trace",  "t.txt", "--link",
                                                "/tmp/l", "--eeprom", "e.s19"};
    ASSERT_TRUE(parseSimOptions(link, error));
    EXPECT_TRUE(parseSimOptions(link, error)->fast);
    EXPECT_EQ(parseSimOptions(link, error)->traceFile, "t.txt");
    EXPECT_EQ(parseSimOptions(link, error)->linkPath, "/tmp/l");
    EXPECT_EQ(parseSimOptions(link, error)->eepromFile, "e.s19");

    const std::vector<std::vector<std::string_view>> bad = {
        {"--chip", "68HC11Z9"},
        {"--quartz", "3"},
        {"--quartz"},
        {"--start", "100"},
        {"--run", "p", "--start", "XYZ"},
        {"--run", "p", "--max-cycles", "-1"},
        {"extra"},
        {"--run", "p", "--fast"},
        {"--run", "p", "--eeprom", "e"},
        {"--eeprom"},
        {"--run", "p", "--dump", "0100"},
        {"--run", "p", "--dump", "0100:0"},
        {"--run", "p", "--dump", "0100:257"},
        {"--dump", "0100:4"},
        {"--chip", "68HC11E1", "--chip", "68HC11A1"},
        {"--run", "p", "--quartz", "8", "--run", "q"},
    };
    for (const auto& args : bad) {
        error.clear();
        EXPECT_FALSE(parseSimOptions(args, error)) << args[0];
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

struct Outcome {
    int code;
    std::vector<std::string> out;
    std::string err;
};

Outcome run(SimOptions o, const std::string& records) {
    // One file per test and process: ctest runs these tests side by side.
    o.runFile = ::testing::TempDir() + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                std::to_string(::getpid()) + ".s19";
    std::ofstream(o.runFile) << records;
    std::ostringstream out, err;
    Outcome r{runHeadless(o, out, err), {}, err.str()};
    std::istringstream in(out.str());
    for (std::string l; std::getline(in, l);)
        r.out.push_back(l);
    return r;
}

TEST(HeadlessRun, RunsToWaiOrToTheCycleLimitFromTheStartAddress) {
    SimOptions o;
    o.chip = "68HC11A1";
    // $0040: LDAA #$12; LDAB #$34; LDX #$5678; LDY #$9ABC; WAI
    Outcome r = run(o, "S10F00408612C634CE567818CE9ABC3E08\nS9030040BC\n");
    ASSERT_EQ(r.code, 0) << r.err;
    ASSERT_GE(r.out.size(), 3u);
    // WAI stacked the nine-byte frame below SP = $00FF.
    EXPECT_EQ(r.out[r.out.size() - 3], "A=12 B=34 X=5678 Y=9ABC SP=00F6 PC=004C CCR=D8");
    EXPECT_EQ(r.out[r.out.size() - 2], "E cycles: 25"); // 2 + 2 + 3 + 4 + 14
    EXPECT_EQ(r.out.back().rfind("E cycles per second: ", 0), 0u);
    o.dumps = {{0x0040, 4}, {0x00F7, 2}};
    r = run(o, "S10F00408612C634CE567818CE9ABC3E08\nS9030040BC\n");
    ASSERT_GE(r.out.size(), 6u);
    EXPECT_EQ(r.out[1], "$0040: 86 12 C6 34");
    EXPECT_EQ(r.out[2], "$00F7: D8 34"); // the stacked CCR and B, in the order asked
    o.dumps.clear();

    // CLI; WAI: an interrupt could still wake it, so the run goes on to its limit.
    o.maxCycles = 1000;
    r = run(o, "S10500400E3E6E\n");
    ASSERT_GE(r.out.size(), 3u);
    EXPECT_EQ(r.out[r.out.size() - 2], "E cycles: 1000");

    // $0000: BRA * ; $0010: LDAA #$01; WAI
    const std::string loop = "S105000020FEDC\nS106001086013E24\n";
    o.maxCycles = 3000;
    r = run(o, loop);
    ASSERT_GE(r.out.size(), 3u);
    EXPECT_NE(r.out[r.out.size() - 3].find("PC=0000 CCR=D0"), std::string::npos);
    EXPECT_EQ(r.out[r.out.size() - 2], "E cycles: 3000");
    o.start = 0x0010;
    r = run(o, loop);
    ASSERT_GE(r.out.size(), 3u);
    EXPECT_EQ(r.out[r.out.size() - 3].substr(0, 4), "A=01");
}

TEST(HeadlessRun, BadFilesAreRefusedAndAnIllegalOpcodeStops) {
    SimOptions o;
    o.chip = "68HC11E1";
    // A file that is no program for the chip: refused with 2, as the usage says.
    Outcome r = run(o, "S1041000AA41\n");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("outside RAM and EEPROM"), std::string::npos) << r.err;
    // One that cannot be read at all: 1.
    o.runFile = ::testing::TempDir() + "does_not_exist.s19";
    std::ostringstream out, err;
    EXPECT_EQ(runHeadless(o, out, err), 1);

    r = run(o, "S1040020419A\n"); // $41 is no instruction
    EXPECT_EQ(r.code, 0);
    ASSERT_FALSE(r.out.empty());
    EXPECT_NE(r.out.front().find("illegal opcode at $0020"), std::string::npos) << r.out.front();
}

} // namespace
} // namespace hc11::test
