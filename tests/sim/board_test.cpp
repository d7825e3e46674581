// The board around the CPU: where each chip answers, the boot ROM by mode and the
// free-running timer; S-records and loading; the real-time pacer; tessaline-sim's options,
// its headless --run mode and what it refuses; the EEPROM image a board starts with, and
// the example programs of examples/ run from their stored images; a polling loop passed
// over whole turns at a time, against a twin board run one instruction at a time.
#include "board_test_support.h"
#include "sim/boot_rom.h"
#include "sim/eeprom_image.h"
#include "sim/headless_run.h"
#include "sim/real_time_pacer.h"
#include "sim/sim_options.h"
#include "sim/srecord.h"
#include "sim/srecord_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace hc11::test {
namespace {

using namespace std::chrono_literals;

// The board answers where each chip's description puts RAM, EEPROM and the register
// block, and nowhere else (the sizes are pinned by the full-RAM boot download and the
// Talker's EEPROM writes on each chip); the boot ROM by mode; the free-running timer.
TEST(MemoryMap, EveryChipAnswersOnlyWhereItsDescriptionSays) {
    for (const auto& chip : builtInChips()) {
        SCOPED_TRACE(chip.name);
        // The bus's fast path maps whole 256-byte pages.
        EXPECT_EQ(chip.ramStart % 256 + chip.ramSize % 256 + chip.eepromStart % 256 + chip.eepromSize % 256,
                  0);
        EXPECT_GE(chip.ramSize, chip.bootCapacity);
        auto b = parkedBoard(chip.name);
        const auto ramEnd = uint16_t(chip.ramEnd());
        b->write(0x0010, 0x5A);
        b->write(ramEnd, 0xA5);
        EXPECT_EQ(b->read(0x0010), 0x5A);
        EXPECT_EQ(b->read(ramEnd), 0xA5);

        const auto eepromEnd = uint16_t(chip.eepromEnd());
        EXPECT_EQ(b->read(chip.eepromStart), 0xFF);
        ASSERT_TRUE(b->poke(eepromEnd, 0x42));
        b->write(eepromEnd, 0x00);
        EXPECT_EQ(b->read(eepromEnd), 0x42) << "EEPROM is read-only to plain stores";

        b->write(0x1004, 0x3C); // port B: a plain latch here
        EXPECT_EQ(b->read(0x1004), 0x3C);
        EXPECT_EQ(b->read(reg::CONFIG), chip.config);
        b->write(reg::CONFIG, 0x00);
        EXPECT_EQ(b->read(reg::CONFIG), chip.config) << "CONFIG is not a latch";

        for (uint32_t a : {chip.ramEnd() + 1, chip.registerEnd() + 1, uint32_t(chip.eepromStart - 1), 0x8000u,
                           0xBF00u, 0xC000u}) {
            if (chip.inRam(uint16_t(a)) || chip.inEeprom(uint16_t(a)) || chip.inRegisters(uint16_t(a)))
                continue;
            b->write(uint16_t(a), 0x00);
            EXPECT_EQ(b->read(uint16_t(a)), kUnmappedRead) << std::hex << a;
            EXPECT_FALSE(b->poke(uint16_t(a), 0));
        }
    }
}

TEST(MemoryMap, ModesSetTheVectorsAndTheBootRom) {
    auto b = parkedBoard("68HC11F1");
    EXPECT_FALSE(b->specialMode);
    EXPECT_EQ(b->vectorBase, 0xFFC0);
    EXPECT_EQ(b->read(0xBFFE), kUnmappedRead);
    b->resetBootstrap();
    EXPECT_TRUE(b->specialMode);
    EXPECT_EQ(b->vectorBase, 0xBFC0);
    EXPECT_EQ(b->read(kBootRomStart), kBootRomFiller);
    b->write(0xBFD6, 0x00);
    EXPECT_EQ(b->read16(0xBFD6), 0x00C4) << "ROM ignores writes";
    // RBOOT = 0 removes the ROM; SMOD = 0 leaves the special mode for good.
    b->write(reg::HPRIO, hprio::SMOD | hprio::PSELReset);
    EXPECT_EQ(b->read(0xBFD6), kUnmappedRead);
    EXPECT_TRUE(b->specialMode);
    b->write(reg::HPRIO, hprio::PSELReset);
    EXPECT_FALSE(b->specialMode);
    EXPECT_EQ(b->vectorBase, 0xFFC0);
    b->write(reg::HPRIO, hprio::RBOOT | hprio::SMOD | hprio::PSELReset);
    EXPECT_EQ(b->read(reg::HPRIO), hprio::PSELReset) << "mode bits are read-only in normal modes";
    EXPECT_FALSE(b->specialMode);
}

TEST(FreeRunningTimer, TcntCountsEClocksFromReset) {
    auto b = parkedBoard("68HC11E1");
    runFor(*b, 1000);
    EXPECT_EQ(b->read16(reg::TCNT), 1000);
    b->write(reg::TCNT, 0); // counts only in test mode
    runFor(*b, 70'000);
    EXPECT_EQ(b->read16(reg::TCNT), uint16_t(71'000));

    // PR1:PR0 = 11 (divide by 16), written inside the 64-cycle window.
    park(*b);
    b->write(reg::TMSK2, 0x03);
    runFor(*b, 1600);
    EXPECT_EQ(b->read16(reg::TCNT), 100);
    EXPECT_EQ(b->read(reg::TMSK2), 0x03);
    // Too late to change it now.
    b->write(reg::TMSK2, 0x00);
    EXPECT_EQ(b->read(reg::TMSK2), 0x03);
}

// The board's S-record reader: record syntax and checksums, and loading into RAM and
// EEPROM only.
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

// RealTimePacer against a clock the test moves by hand.
TEST(RealTimePacer, MapsElapsedTimeToCycles) {
    std::chrono::nanoseconds now = 5s;
    RealTimePacer pacer(2'000'000, [&] { return now; });
    pacer.start(1000);
    EXPECT_EQ(pacer.targetCycle(), 1000u);
    now += 1ms;
    EXPECT_EQ(pacer.targetCycle(), 3000u);
    EXPECT_EQ(pacer.timeUntil(3000), 0ns);
    EXPECT_EQ(pacer.timeUntil(5000), 1ms);
    EXPECT_EQ(pacer.timeUntil(500), 0ns);
    now -= 2ms; // a clock that went back never gives a cycle before the start
    EXPECT_EQ(pacer.targetCycle(), 1000u);
}

TEST(RealTimePacer, LimitsTheLagAfterAStall) {
    std::chrono::nanoseconds now = 0s;
    RealTimePacer pacer(1'000'000, [&] { return now; });
    pacer.start(0);
    now += 50ms;
    pacer.limitLag(40'000, 20ms); // 10 ms behind: within the limit
    EXPECT_EQ(pacer.targetCycle(), 50'000u);
    now += 1s;
    pacer.limitLag(50'000, 20ms); // a second behind: restart from here
    EXPECT_EQ(pacer.targetCycle(), 50'000u);
    now += 1ms;
    EXPECT_EQ(pacer.targetCycle(), 51'000u);
}

// tessaline-sim's command line and its headless --run mode. The pseudo-terminal tests
// start tessaline-sim with --chip and --quartz and depend on both.
std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> args;
    for (size_t at = 0, end = 0; at <= line.size(); at = end + 1)
        args.push_back(line.substr(at, (end = std::min(line.find(' ', at), line.size())) - at));
    return args;
}

TEST(SimOptions, ValuesAndUsageErrors) {
    std::string error;
    const auto o = parseSimOptions(words("--run p.s19 --chip 68HC11A1 --quartz 16 --start B600 --max-cycles "
                                         "5000 --dump 0100:16 --dump FFFE:2"),
                                   error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(std::tie(o->runFile, o->chip, o->quartzMHz, o->start, o->maxCycles),
              std::tuple("p.s19", "68HC11A1", 16u, 0xB600, 5000u));
    EXPECT_EQ(o->dumps, (std::vector<DumpRange>{{0x0100, 16}, {0xFFFE, 2}}));
    const auto l =
        parseSimOptions(words("--fast --trace t.txt --link /tmp/l --eeprom e.s19 --latency 16"), error);
    ASSERT_TRUE(l) << error;
    EXPECT_EQ(std::tie(l->fast, l->traceFile, l->linkPath, l->eepromFile, l->latencyMs),
              std::tuple(true, "t.txt", "/tmp/l", "e.s19", 16u));

    for (std::string_view line :
         {"--chip 68HC11Z9", "--quartz 3", "--quartz", "--start 100", "--run p --start XYZ",
          "--run p --max-cycles -1", "extra", "--run p --fast", "--run p --eeprom e", "--eeprom",
          "--run p --dump 0100", "--run p --dump 0100:0", "--run p --dump 0100:257", "--dump 0100:4",
          "--chip 68HC11E1 --chip 68HC11A1", "--run p --quartz 8 --run q", "--latency 0", "--latency 256",
          "--run p --latency 1"}) {
        error.clear();
        EXPECT_FALSE(parseSimOptions(words(line), error)) << line;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

struct Outcome {
    int code;
    std::vector<std::string> out;
    std::string err;
};

Outcome run(SimOptions o, const std::string& records, const std::string& typed = {}) {
    // One file per test and process: ctest runs these tests side by side.
    o.runFile = ::testing::TempDir() + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                std::to_string(::getpid()) + ".s19";
    std::ofstream(o.runFile) << records;
    std::ostringstream out, err;
    std::istringstream clavier(typed);
    Outcome r{runHeadless(o, out, err, &clavier), {}, err.str()};
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

// A program that owns the SCI, driven through --terminal: it sets 2400 baud and echoes
// what it receives, letters in upper case; the run ends once the line is quiet.
TEST(HeadlessRun, TheTerminalTypesToTheProgramsSciAndShowsWhatItSends) {
    SimOptions o;
    o.terminal = true;
    // $0100: BAUD = $32 (2400 baud at 8 MHz), SCCR2 = TE|RE; then: wait for RDRF, read,
    // 'a'-'z' less $20, wait for TDRE, send, again.
    const std::string echo = "S12B01008632B7102B860CB7102DB6102E842027F9B6102F81612506817A22028020F6102E"
                             "2AFBB7102F20E2D9\n";
    const Outcome r = run(o, echo, "Bonjour, 68hc11 !\n");
    ASSERT_EQ(r.code, 0) << r.err;
    ASSERT_EQ(r.out.size(), 1u) << "the program's output alone";
    EXPECT_EQ(r.out[0], "BONJOUR, 68HC11 !");
    EXPECT_NE(r.err.find("Stopped: terminal quiet"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("PC=01"), std::string::npos) << r.err;
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

// tessaline-sim --run takes only a regular S-record file of sane size with a data
// record: anything else is refused (exit 2) before a board is built.
int run(const std::string& file, std::string& err) {
    SimOptions o;
    o.runFile = file;
    std::ostringstream out, errors;
    const int code = runHeadless(o, out, errors);
    err = errors.str();
    return out.str().empty() ? code : -1; // -1: something ran
}

TEST(SimRunInput, RefusesWhatIsNotASmallRegularSRecordFile) {
    const std::string dir = ::testing::TempDir() + "tessaline_run_" + std::to_string(::getpid());
    ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
    const std::string fifo = dir + "/fifo", big = dir + "/big", limit = dir + "/limit", header = dir + "/h";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream(big).close(), std::ofstream(limit).close();
    ASSERT_EQ(::truncate(big.c_str(), off_t(kMaxSRecordFileBytes) + 1), 0);
    ASSERT_EQ(::truncate(limit.c_str(), off_t(kMaxSRecordFileBytes)), 0);
    std::ofstream(header) << "S00600004844521B\nS9030000FC\n";

    std::string err;
    for (const std::string& refused : {dir, std::string("/dev/null"), fifo, big, header}) {
        EXPECT_EQ(run(refused, err), 2) << refused;
        EXPECT_NE(err.find(refused), std::string::npos) << err;
    }
    // Read whole, then found malformed: refused as well, as README says.
    EXPECT_EQ(run(limit, err), 2) << err;
    for (const std::string& f : {fifo, big, limit, header})
        ::unlink(f.c_str());
    ::rmdir(dir.c_str());
}

// The EEPROM image a simulated board can start with (--eeprom): examples/compteur.s19.
const std::string kImage = TESSALINE_EXAMPLES "/compteur.s19";

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

// examples/chenillard.asm run standalone from its own reset vector (RESET in normal
// single-chip mode) on an F1 with its stored image in the EEPROM, timed in E cycles: one
// LED of port B steps every 8 OC2 compares of 50,000 E cycles (TCNT at E, prescaler 1,
// RM 10.1), up then wrapping, and an edge on IRQ reverses it once. (tension.asm runs
// under the Talker in ExampleUnderTalker.) kAffiche: the OC2 handler's store to MOTIF.
constexpr uint16_t kAffiche = 0xFE6F;
constexpr uint64_t kStepCycles = 8 * 50'000;
// Handler paths to kAffiche differ by a few instructions; the compares do not drift.
constexpr uint64_t kJitter = 16;
constexpr uint16_t kMotif = 0x0100;

// Runs to the next LED step; returns the pattern shown and the cycles since `since`.
struct Step {
    int leds;
    uint64_t after;
};
Step nextStep(Board& b, uint64_t& since) {
    runFor(b, 1); // off the store the previous step stopped on
    EXPECT_TRUE(b.runUntilPc(kAffiche, kStepCycles + 1000));
    runFor(b, 8); // STAA MOTIF, STAA PORTB
    const uint64_t at = b.cycleCount();
    const Step s{int(b.portPins(Port::B)), at - since};
    since = at;
    return s;
}

int up(int p) {
    return p == 0x80 ? 0x01 : p << 1;
}
int down(int p) {
    return p == 0x01 ? 0x80 : p >> 1;
}

TEST(Chenillard, StepsEvery400000ECyclesWrapsAndTheIrqEdgeReversesItOnce) {
    auto board = boardWith("chenillard.s19");
    Board& b = *board;
    b.resetSingleChip();
    uint64_t last = b.cycleCount();
    runFor(b, 200);
    ASSERT_EQ(int(b.portPins(Port::B)), 0x01) << "PB0 lit at start";
    EXPECT_EQ(b.cpu().r.sp, 0x03FF) << "its own stack, every call returned";

    // The first step comes 8 periods after the first compare was set, just after reset.
    int expected = 0x01;
    Step s = nextStep(b, last);
    EXPECT_NEAR(double(s.after), double(kStepCycles), 200.0);
    // Up through PB7 and back to PB0.
    for (int i = 0; i < 10; ++i) {
        expected = up(expected);
        ASSERT_EQ(s.leds, expected) << "step " << i;
        ASSERT_EQ(int(b.peek(kMotif)), expected);
        s = nextStep(b, last);
        ASSERT_NEAR(double(s.after), double(kStepCycles), double(kJitter)) << "step " << i;
    }
    expected = up(expected);
    ASSERT_EQ(s.leds, expected);

    // A press held down for three steps: one reversal, not one per step or per cycle.
    runFor(b, kStepCycles / 2);
    b.setIrqPinLow(true);
    for (int i = 0; i < 3; ++i) {
        s = nextStep(b, last);
        expected = down(expected);
        ASSERT_EQ(s.leds, expected) << "held, step " << i;
    }
    b.setIrqPinLow(false);
    // Down through PB0 to PB7 (the wrap the other way), on time.
    for (int i = 0; i < 9; ++i) {
        s = nextStep(b, last);
        expected = down(expected);
        ASSERT_EQ(s.leds, expected) << "down, step " << i;
        ASSERT_NEAR(double(s.after), double(kStepCycles), double(kJitter)) << "down, step " << i;
    }
    // Two quick presses between two steps: two reversals, the same direction again.
    b.setIrqPinLow(true);
    runFor(b, 1000);
    b.setIrqPinLow(false);
    runFor(b, 1000);
    b.setIrqPinLow(true);
    runFor(b, 1000);
    b.setIrqPinLow(false);
    s = nextStep(b, last);
    EXPECT_EQ(s.leds, down(expected));
}

// With the COP on (CONFIG.NOCOP = 0, taking effect at reset), the main loop keeps the
// watchdog fed for seconds of board time while the LED goes on stepping.
TEST(Chenillard, FeedsTheCopWhenCONFIGTurnsItOn) {
    auto board = boardWith("chenillard.s19");
    Board& b = *board;
    b.programConfig(uint8_t(b.config() & ~config::NOCOP));
    b.resetSingleChip();
    ASSERT_TRUE(b.copEnabled());
    // 15 and a half steps, 3.1 s: the COP times out after 2^15 E cycles (16 ms).
    runFor(b, 15 * kStepCycles + kStepCycles / 2);
    EXPECT_EQ(b.copResets(), 0u);
    int expected = 0x01;
    for (int n = 0; n < 15; ++n)
        expected = up(expected);
    EXPECT_EQ(int(b.portPins(Port::B)), expected);
}

// A program that polls in a loop writing nothing (as the Talker waits for the host,
// SCSR read with interrupts masked) is passed over whole turns at a time up to the
// board's next event (Board::skipSpin). Each board here runs beside a twin that runs
// the same program one instruction at a time (runUntilPc, which never skips): both
// must end with the same cycle count, registers, instruction count, timer and SCI
// state, and a byte from the host must end the loop at the very same cycle.

// The RAM program: the SCI on at 9615 baud (BAUD $30, SCCR2 TE and RE), OC2 toggling PA6
// (TOC2 $1234, TCTL1 $40: so that the timer's flags and pins move while the CPU polls),
// then the polling loop on RDRF; the byte received goes to $80 and the CPU waits at kWai.
constexpr uint16_t kStart = 0x0040;
constexpr uint16_t kWai = 0x0061;
constexpr uint16_t kReceived = 0x0080;
const std::string kPollingProgram = " SEI\n LDX #$1000\n LDAA #$30\n STAA $2B,X\n LDAA #$0C\n STAA $2D,X\n"
                                    " LDD #$1234\n STD $18,X\n LDAA #$40\n STAA $20,X\n"
                                    "POLL LDAA SCSR\n ANDA #$20\n BEQ POLL\n LDAA SCDR\n STAA $80\n"
                                    "REST WAI\n BRA REST";

// A delay count (its registers change every turn: no spin), then a loop on itself at $0046.
const std::string kDelayProgram = " LDX #$4000\nCOUNT DEX\n BNE COUNT\n BRA *";

// Waits for the counter's overflow flag, then for an interrupt: a loop on a timer
// register is never passed over (its flags rise with time, not at a board event).
constexpr uint16_t kWaiAfterOverflow = 0x0047;
const std::string kOverflowPollProgram = "POLL LDAA TFLG2\n ANDA #$80\n BEQ POLL\n WAI"; // TOF

// Never reached: runUntilPc then simply runs instruction by instruction.
constexpr uint16_t kNowhere = 0xFFFF;

struct Twins {
    explicit Twins(const std::string& program) {
        for (Board* b : {spun.get(), stepped.get()}) {
            loadSource(*b, kStart, program);
            startProgram(*b, kStart, {});
            b->setHostBaud(9615);
        }
    }
    void runTo(uint64_t cycle) {
        spun->runUntil(cycle);
        stepped->runUntilPc(kNowhere, cycle - stepped->cycleCount());
    }
    void expectSame() const {
        EXPECT_EQ(spun->cycleCount(), stepped->cycleCount());
        EXPECT_EQ(spun->cpu().instructions(), stepped->cpu().instructions());
        const Registers& a = spun->cpu().r;
        const Registers& b = stepped->cpu().r;
        EXPECT_TRUE(a == b) << std::hex << "PC " << a.pc << " / " << b.pc << ", A " << int(a.a) << " / "
                            << int(b.a) << ", CCR " << int(a.ccr) << " / " << int(b.ccr);
        for (uint16_t r : {reg::TCNT, reg::TCNTL, reg::TFLG1, reg::TFLG2, reg::SCSR, reg::PORTA, kReceived})
            EXPECT_EQ(spun->peek(r), stepped->peek(r)) << std::hex << "$" << r;
    }
    std::unique_ptr<Board> spun = makeBoard();
    std::unique_ptr<Board> stepped = makeBoard();
};

TEST(SpinSkip, PollingLoopPassedOverEndsAsRunningEveryTurn) {
    Twins t(kPollingProgram);
    // Past a counter overflow (TOF) and several OC2 matches, and ending mid-turn.
    for (uint64_t cycle : {5'000ull, 70'001ull, 200'003ull, 1'000'000ull}) {
        t.runTo(cycle);
        t.expectSame();
        EXPECT_TRUE(t.spun->resting()) << "at cycle " << cycle;
    }
    EXPECT_TRUE(t.spun->timerDrivesPins());
    EXPECT_NE(t.spun->peek(reg::TFLG2) & tmsk2::TOI, 0) << "the counter overflowed meanwhile";
}

TEST(SpinSkip, HostByteEndsTheLoopAtTheSameCycle) {
    Twins t(kPollingProgram);
    t.runTo(123'457);
    t.spun->hostSend(0x5A);
    t.stepped->hostSend(0x5A);
    // Each stops right after the WAI that follows the loop.
    t.spun->cpu().stopOnEvents = true;
    t.spun->runUntil(2'000'000);
    ASSERT_EQ(t.spun->cpu().lastEvent(), Cpu::Event::Wai);
    ASSERT_TRUE(t.stepped->runUntilPc(kWai, 2'000'000));
    t.stepped->cpu().step();
    t.expectSame();
    EXPECT_EQ(t.spun->peek(kReceived), 0x5A);
}

TEST(SpinSkip, TimerFlagPollEndsWhenTheFlagRises) {
    Twins t(kOverflowPollProgram);
    t.spun->cpu().stopOnEvents = true;
    t.spun->runUntil(200'000);
    ASSERT_EQ(t.spun->cpu().lastEvent(), Cpu::Event::Wai);
    ASSERT_TRUE(t.stepped->runUntilPc(kWaiAfterOverflow, 200'000));
    t.stepped->cpu().step();
    t.expectSame();
    EXPECT_GT(t.spun->cycleCount(), 65'536u);
}

TEST(SpinSkip, DelayCountIsRunNotPassedOver) {
    Twins t(kDelayProgram);
    t.runTo(20'000);
    t.expectSame();
    EXPECT_FALSE(t.spun->resting()) << "X still counts down";
    // The count ends inside this run, which was busy when it started; the next run
    // finds the loop on the BRA.
    t.runTo(500'000);
    t.expectSame();
    EXPECT_EQ(t.spun->cpu().r.pc, 0x0046);
    t.runTo(510'001);
    t.expectSame();
    EXPECT_TRUE(t.spun->resting());
    EXPECT_FALSE(t.spun->timerDrivesPins());
}

} // namespace
} // namespace hc11::test
