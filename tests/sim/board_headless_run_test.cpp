// tessaline-sim's command line and its headless --run mode.
#include "board_test_support.h"

#include "sim/headless_run.h"
#include "sim/sim_options.h"

#include <fstream>
#include <sstream>

namespace hc11::test {
namespace {

std::optional<SimOptions> parse(std::initializer_list<std::string_view> args, std::string& error) {
    const std::vector<std::string_view> v(args);
    return parseSimOptions(v, error);
}

TEST(SimOptions, Values) {
    std::string error;
    auto o = parse({"--chip", "68HC11A1", "--quartz", "16", "--fast", "--trace", "t.txt", "--link", "/tmp/l"},
                   error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->chip, "68HC11A1");
    EXPECT_EQ(o->quartzMHz, 16u);
    EXPECT_TRUE(o->fast);
    EXPECT_EQ(o->traceFile, "t.txt");
    EXPECT_EQ(o->linkPath, "/tmp/l");
    o = parse({"--run", "p.s19", "--start", "B600", "--max-cycles", "5000"}, error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->start, 0xB600);
    EXPECT_EQ(o->maxCycles, 5000u);
}

TEST(SimOptions, UsageErrors) {
    const std::vector<std::vector<std::string_view>> bad = {
        {"--chip", "68HC11Z9"},
        {"--quartz", "3"},
        {"--quartz"},
        {"--start", "100"},
        {"--run", "p", "--start", "XYZ"},
        {"--run", "p", "--max-cycles", "-1"},
        {"extra"},
        {"--run", "p", "--fast"},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(parseSimOptions(args, error)) << args[0];
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

class HeadlessRun : public ::testing::Test {
protected:
    std::string writeFile(const std::string& name, const std::string& text) {
        const std::string path = ::testing::TempDir() + name;
        std::ofstream(path) << text;
        return path;
    }
    std::vector<std::string> lines(const std::string& s) {
        std::vector<std::string> v;
        std::istringstream in(s);
        for (std::string l; std::getline(in, l);)
            v.push_back(l);
        return v;
    }
};

TEST_F(HeadlessRun, RunsToWaiAndPrintsTheRegisters) {
    // $0040: LDAA #$12; LDAB #$34; LDX #$5678; LDY #$9ABC; WAI
    SimOptions o;
    o.chip = "68HC11A1";
    o.runFile = writeFile("run_wai.s19", "S10F00408612C634CE567818CE9ABC3E08\nS9030040BC\n");
    std::ostringstream out, err;
    EXPECT_EQ(runHeadless(o, out, err), 0) << err.str();
    const auto l = lines(out.str());
    ASSERT_GE(l.size(), 3u);
    // WAI stacked the nine-byte frame below SP = $00FF.
    EXPECT_EQ(l[l.size() - 3], "A=12 B=34 X=5678 Y=9ABC SP=00F6 PC=004C CCR=D8");
    EXPECT_EQ(l[l.size() - 2], "E cycles: 25"); // 2 + 2 + 3 + 4 + 14
    EXPECT_EQ(l[l.size() - 1].rfind("E cycles per second: ", 0), 0u);
}

TEST_F(HeadlessRun, StopsAtTheCycleLimitAndHonoursStart) {
    // $0000: BRA * ; $0010: LDAA #$01; WAI
    SimOptions o;
    o.runFile = writeFile("run_limit.s19", "S105000020FEDC\nS106001086013E24\n");
    o.maxCycles = 3000;
    std::ostringstream out, err;
    EXPECT_EQ(runHeadless(o, out, err), 0) << err.str();
    auto l = lines(out.str());
    EXPECT_EQ(l[l.size() - 3].substr(l[l.size() - 3].find("PC=")), "PC=0000 CCR=D0");
    EXPECT_EQ(l[l.size() - 2], "E cycles: 3000");

    o.start = 0x0010;
    std::ostringstream out2;
    EXPECT_EQ(runHeadless(o, out2, err), 0);
    l = lines(out2.str());
    EXPECT_EQ(l[l.size() - 3].substr(0, 4), "A=01");
}

TEST_F(HeadlessRun, RefusesRecordsOutsideMemory) {
    SimOptions o;
    o.chip = "68HC11E1";
    o.runFile = writeFile("run_bad.s19", "S1041000AA41\n");
    std::ostringstream out, err;
    EXPECT_EQ(runHeadless(o, out, err), 1);
    EXPECT_NE(err.str().find("outside RAM and EEPROM"), std::string::npos) << err.str();
    o.runFile = ::testing::TempDir() + "does_not_exist.s19";
    EXPECT_EQ(runHeadless(o, out, err), 1);
}

TEST_F(HeadlessRun, IllegalOpcodeStopsTheRun) {
    SimOptions o;
    o.chip = "68HC11F1";
    o.runFile = writeFile("run_illegal.s19", "S1040020419A\n"); // $41 is no instruction
    std::ostringstream out, err;
    EXPECT_EQ(runHeadless(o, out, err), 0);
    EXPECT_NE(out.str().find("illegal opcode at $0020"), std::string::npos) << out.str();
}

} // namespace
} // namespace hc11::test
