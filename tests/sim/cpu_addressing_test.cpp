// Addressing modes: every form of an instruction computes the same thing from the same
// operand. The PC advance and the cycles of every instruction are checked against the
// decoder's table in tests/disasm/cpu_cross_check_test.cpp; addresses wrapping at 16
// bits in programs/wraps.asm.
#include "flat_bus.h"

#include "sim/opcode_table.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace hc11::test {
namespace {

using namespace ccr;

constexpr Page kPages[] = {Page::None, Page::P18, Page::P1A, Page::PCD};

struct Variant {
    Page page;
    uint8_t op;
    Mode mode;
};

bool isOperandMode(Mode m) {
    return m == Mode::Inherent || m == Mode::Immediate8 || m == Mode::Immediate16 || m == Mode::Direct ||
           m == Mode::Extended || m == Mode::IndexedX || m == Mode::IndexedY;
}

// Every legal opcode with an inherent, immediate or memory operand, grouped by mnemonic.
std::map<std::string, std::vector<Variant>> variantsByMnemonic() {
    std::map<std::string, std::vector<Variant>> byName;
    for (Page page : kPages)
        for (int op = 0; op < 256; ++op) {
            const OpInfo& info = opInfo(page, uint8_t(op));
            if (info.legal && !info.specialModeOnly && isOperandMode(info.mode))
                byName[info.mnemonic].push_back({page, uint8_t(op), info.mode});
        }
    return byName;
}

bool isWordOperation(const std::string& mn) {
    for (const char* w :
         {"ADDD", "SUBD", "CPD", "CPX", "CPY", "LDD", "LDS", "LDX", "LDY", "STD", "STS", "STX", "STY"})
        if (mn == w) return true;
    return false;
}

// Runs one form of an instruction with the operand $7B (or $7BA1) at its effective
// address: $0045 direct, $2345 extended and indexed (X = $2300 + $45, Y = $2280 + $C5).
struct ModeRun {
    std::string registers;
    uint16_t memory; // the word at the effective address afterwards
};
ModeRun runForm(const Variant& v, bool word) {
    constexpr uint16_t kDirect = 0x0045, kFar = 0x2345;
    FlatBoard board;
    board.bus.load(kDirect, {0x7B, 0xA1});
    board.bus.load(kFar, {0x7B, 0xA1});
    std::vector<uint8_t> code;
    if (v.page != Page::None) code.push_back(prebyteOf(v.page));
    code.push_back(v.op);
    uint16_t ea = 0;
    switch (v.mode) {
    case Mode::Immediate8: code.push_back(0x7B); break;
    case Mode::Immediate16: code.insert(code.end(), {0x7B, 0xA1}); break;
    case Mode::Direct:
        code.push_back(uint8_t(kDirect));
        ea = kDirect;
        break;
    case Mode::Extended:
        code.insert(code.end(), {0x23, 0x45});
        ea = kFar;
        break;
    case Mode::IndexedX:
        code.push_back(0x45);
        ea = kFar;
        break;
    case Mode::IndexedY:
        code.push_back(0xC5);
        ea = kFar;
        break;
    default: ADD_FAILURE() << "unexpected mode";
    }
    board.bus.load(FlatBoard::kCode, code);
    board.cpu.r = {.a = 0x96, .b = 0x5A, .ccr = H | C, .x = 0x2300, .y = 0x2280, .sp = 0x01FF};
    board.cpu.jump(FlatBoard::kCode);
    board.exec();
    EXPECT_EQ(board.cpu.r.pc, FlatBoard::kCode + code.size());
    const uint16_t mem = v.mode == Mode::Immediate8 || v.mode == Mode::Immediate16
                             ? 0
                             : uint16_t(word ? board.bus.word(ea) : board.bus[ea]);
    return {describe(board.cpu.r), mem};
}

TEST(CpuAddressing, AllFormsOfAnInstructionAgree) {
    int compared = 0;
    for (const auto& [mnemonic, variants] : variantsByMnemonic()) {
        if (variants.size() < 2 || mnemonic == "JMP" || mnemonic == "JSR") continue;
        const bool word = isWordOperation(mnemonic);
        const ModeRun first = runForm(variants.front(), word);
        const bool immediateFirst =
            variants.front().mode == Mode::Immediate8 || variants.front().mode == Mode::Immediate16;
        for (size_t i = 1; i < variants.size(); ++i) {
            const ModeRun other = runForm(variants[i], word);
            EXPECT_EQ(other.registers, first.registers) << mnemonic << " form " << i;
            if (!immediateFirst) {
                EXPECT_EQ(other.memory, first.memory) << mnemonic << " form " << i;
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 150);
}

// A read-modify-write on memory does what the same operation does on accumulator A.
TEST(CpuAddressing, MemoryFormsMatchTheAccumulatorForm) {
    const auto all = variantsByMnemonic();
    for (const char* mn : {"NEG", "COM", "LSR", "ROR", "ASR", "ASL", "ROL", "DEC", "INC", "TST", "CLR"}) {
        const Variant acc = all.at(std::string(mn) + "A").front();
        for (uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            FlatBoard ref;
            const Registers viaA = ref.run({acc.op}, {.a = value, .ccr = C});
            FlatBoard board;
            board.bus[0x2345] = value;
            const Registers viaMemory =
                board.run({0x18, uint8_t(acc.op + 0x20), 0x45}, {.ccr = C, .y = 0x2300});
            EXPECT_EQ(viaMemory.ccr, viaA.ccr) << mn << " " << int(value);
            if (std::string(mn) != "TST") {
                EXPECT_EQ(board.bus[0x2345], viaA.a) << mn << " " << int(value);
            }
        }
    }
}

} // namespace
} // namespace hc11::test
