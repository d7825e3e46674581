// The cycle counts of each instruction class against the data sheet (MC68HC11A8 TD
// section 10, instruction set table). Which bytes are instructions, on every page, is
// pitted against the decoder's table in tests/disasm/cpu_cross_check_test.cpp.
#include "sim/opcode_table.h"

#include <gtest/gtest.h>

#include <string>

namespace hc11 {
namespace {

constexpr Page kPages[] = {Page::None, Page::P18, Page::P1A, Page::PCD};

// The cycle reference of the data sheet, by instruction class and addressing mode.
int referenceCycles(const std::string& mn, Mode mode) {
    const auto in = [&](std::initializer_list<const char*> names) {
        for (const char* n : names)
            if (mn == n) return true;
        return false;
    };
    // imm, dir, ext, ind X, ind Y
    const auto byMode = [&](int imm, int dir, int ext, int ix, int iy) {
        switch (mode) {
        case Mode::Immediate8:
        case Mode::Immediate16: return imm;
        case Mode::Direct: return dir;
        case Mode::Extended: return ext;
        case Mode::IndexedX: return ix;
        case Mode::IndexedY: return iy;
        default: return -1;
        }
    };
    if (in({"ADCA", "ADCB", "ADDA", "ADDB", "ANDA", "ANDB", "BITA", "BITB", "CMPA", "CMPB", "EORA",
            "EORB", "LDAA", "LDAB", "ORAA", "ORAB", "SBCA", "SBCB", "SUBA", "SUBB", "STAA", "STAB"}))
        return byMode(2, 3, 4, 4, 5);
    if (in({"LDD", "LDX", "LDS", "STD", "STX", "STS"})) return byMode(3, 4, 5, 5, 6);
    if (in({"LDY", "STY"})) return byMode(4, 5, 6, 6, 6);
    if (in({"ADDD", "SUBD", "CPX"})) return byMode(4, 5, 6, 6, 7);
    if (in({"CPY", "CPD"})) return byMode(5, 6, 7, 7, 7);
    if (in({"NEG", "COM", "LSR", "ROR", "ASR", "ASL", "ROL", "DEC", "INC", "TST", "CLR"}))
        return byMode(-1, -1, 6, 6, 7);
    if (mn == "JMP") return byMode(-1, -1, 3, 3, 4);
    if (mn == "JSR") return byMode(-1, 5, 6, 6, 7);
    if (mode == Mode::Relative) return mn == "BSR" ? 6 : 3;
    switch (mode) {
    case Mode::BitDirect:
    case Mode::BitBranchDirect: return 6;
    case Mode::BitIndexedX:
    case Mode::BitBranchIndexedX: return 7;
    case Mode::BitIndexedY:
    case Mode::BitBranchIndexedY: return 8;
    default: break;
    }
    if (in({"INX", "DEX", "INS", "DES", "TSX", "TXS", "ABX", "XGDX", "LSRD", "ASLD", "PSHA", "PSHB"}))
        return 3;
    if (in({"INY", "DEY", "TSY", "TYS", "ABY", "XGDY", "PULA", "PULB", "PSHX"})) return 4;
    if (in({"PSHY", "PULX", "RTS"})) return 5;
    if (mn == "PULY") return 6;
    if (mn == "MUL") return 10;
    if (mn == "RTI") return 12;
    if (in({"SWI", "WAI"})) return 14;
    if (in({"IDIV", "FDIV"})) return 41;
    return 2; // every other inherent instruction, STOP included
}

TEST(OpcodeTable, CyclesFollowTheDataSheetByClass) {
    for (Page page : kPages)
        for (int op = 0; op < 256; ++op) {
            const OpInfo& info = opInfo(page, uint8_t(op));
            if (!info.legal || info.specialModeOnly) continue;
            EXPECT_EQ(info.cycles, referenceCycles(info.mnemonic, info.mode))
                << info.mnemonic << " page " << int(page) << " op " << std::hex << op;
        }
}

} // namespace
} // namespace hc11
