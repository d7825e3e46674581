// Small 68HC11 programs, programs/*.asm, run from the S-record images stored beside them
// (scripts/update-images.sh), run on a flat 64 KiB bus from $1000 with every register zero, SP = $01FF
// and CCR = 0 (S clear, so that their final STOP stops the CPU). Their final registers,
// condition codes, memory and E cycles are the ones each program's comments derive
// from the data sheet's instruction set table; addresses of labels are the ones the
// programs' comments give from their layout at $1000.
#include "flat_bus.h"

#include "sim/srecord.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace hc11::test {
namespace {

using namespace ccr;
namespace fs = std::filesystem;

const fs::path kProgramDir = TESSALINE_TEST_PROGRAMS;

std::string textOf(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Bytes {
    uint16_t address;
    std::vector<uint8_t> bytes;
};

struct Program {
    const char* name;
    Registers end; // PC not compared
    uint64_t cycles;
    std::vector<Bytes> memory;
};

const Program kPrograms[] = {
    {"bcd_add",
     {.a = 0x20, .ccr = Z, .x = 0x1018, .y = 0x1020, .sp = 0x01FF},
     121,
     {{0x1021, {0x20, 0x00, 0x00, 0x06}}}},
    {"to_decimal",
     {.a = 0x00, .b = 0x84, .ccr = C, .x = 0x5555, .y = 0x1030, .sp = 0x01FF},
     410,
     {{0x102C, {0x55, 0x55, 0x00, 0x84, '5', '4', '3', '2', '1'}}}},
    {"bit_count",
     {.ccr = 0, .x = 0x0040, .y = 0x104E, .sp = 0x01FF},
     366,
     {{0x0040, {0x80, 0x00, 0x00, 0x09}}, {0x104E, {0x03, 0x01, 0x02}}}},
    {"call_stack",
     {.a = 0x4C, .b = 0x50, .ccr = 0, .x = 0x4C50, .y = 0x0200, .sp = 0x01FF},
     137,
     {{0x01FB, {0x10, 0x09, 0xE0, 0x4C, 0x50}}}},
    {"checksum",
     {.a = 0xB9, .b = 0x1C, .ccr = Z, .x = 0x1038, .y = 0x0002, .sp = 0x01FF},
     191,
     {{0x0050, {0x02, 0x1C, 0xCA, 0xCB, 0xB9}}}},
    {"swi_rti",
     {.a = 0x99, .b = 0x22, .ccr = C, .x = 0x3344, .y = 0x5566, .sp = 0x01FF},
     256,
     {{0x0060, {0x01, 0x22, 0x11, 0x33, 0x44, 0x55, 0x66, 0x10, 0x13}}}},
    {"wraps",
     {.a = 0x20, .b = 0x04, .x = 0x5678, .y = 0x0001, .sp = 0x01FF},
     65,
     {{0x0000, {0x78}},
      {0x0004, {0xCF}},
      {0x0050, {0x78, 0x34}},
      {0x00FF, {0x12, 0x34}},
      {0xFFFE, {0x20, 0x04}}}},
};

TEST(CpuPrograms, EndWithTheRegistersMemoryAndCyclesTheirCommentsDerive) {
    for (const Program& p : kPrograms) {
        SCOPED_TRACE(p.name);
        std::string error;
        const auto image = parseSRecords(textOf(kProgramDir / (std::string(p.name) + ".s19")), error);
        ASSERT_TRUE(image) << error;
        FlatBoard board;
        for (const SRecordBlock& block : image->blocks)
            board.bus.load(block.address, block.bytes);
        board.cpu.jump(0x1000);
        board.cpu.stopOnEvents = true;
        board.bus.eventLimit = 100'000;
        board.cpu.run();
        ASSERT_EQ(board.cpu.lastEvent(), Cpu::Event::Stop);
        EXPECT_EQ(describe(board.cpu.r), describe(p.end));
        EXPECT_EQ(board.bus.cycles, p.cycles);
        for (const Bytes& m : p.memory)
            for (size_t i = 0; i < m.bytes.size(); ++i)
                EXPECT_EQ(board.bus[uint16_t(m.address + i)], m.bytes[i])
                    << "at " << std::hex << m.address + i;
    }
}

} // namespace
} // namespace hc11::test
