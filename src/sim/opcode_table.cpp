// The instruction set table, one row per mnemonic and addressing mode, in the order of the
// instruction set table of the data sheet (MC68HC11A8 Technical Data; M68HC11 Reference
// Manual). The four 256-entry opcode pages are built from it at compile time.
//
// Cycle counts: where the published tables disagree, the values below follow the
// majority (JSR ind,Y 7; CPX ext 6; BSR 6; STY dir/ext/ind,X 5/6/6).
#include "sim/opcode_table.h"

#include <cstddef>

namespace hc11 {
namespace {

// Operation code as the data sheet writes it: prebyte in the high byte (0x18A9 is
// "18 A9"), or the plain opcode on page 1.
struct Row {
    const char* mnemonic;
    Mode mode;
    uint16_t code;
    uint8_t cycles;
    bool specialModeOnly = false;
};

constexpr Mode INH = Mode::Inherent;
constexpr Mode IMM = Mode::Immediate8;
constexpr Mode IMM16 = Mode::Immediate16;
constexpr Mode DIR = Mode::Direct;
constexpr Mode EXT = Mode::Extended;
constexpr Mode INDX = Mode::IndexedX;
constexpr Mode INDY = Mode::IndexedY;
constexpr Mode REL = Mode::Relative;
constexpr Mode BDIR = Mode::BitDirect;
constexpr Mode BINDX = Mode::BitIndexedX;
constexpr Mode BINDY = Mode::BitIndexedY;
constexpr Mode BRDIR = Mode::BitBranchDirect;
constexpr Mode BRINDX = Mode::BitBranchIndexedX;
constexpr Mode BRINDY = Mode::BitBranchIndexedY;

// clang-format off
constexpr Row kRows[] = {
    {"ABA",  INH, 0x1B, 2},
    {"ABX",  INH, 0x3A, 3},
    {"ABY",  INH, 0x183A, 4},
    {"ADCA", IMM, 0x89, 2}, {"ADCA", DIR, 0x99, 3}, {"ADCA", EXT, 0xB9, 4}, {"ADCA", INDX, 0xA9, 4}, {"ADCA", INDY, 0x18A9, 5},
    {"ADCB", IMM, 0xC9, 2}, {"ADCB", DIR, 0xD9, 3}, {"ADCB", EXT, 0xF9, 4}, {"ADCB", INDX, 0xE9, 4}, {"ADCB", INDY, 0x18E9, 5},
    {"ADDA", IMM, 0x8B, 2}, {"ADDA", DIR, 0x9B, 3}, {"ADDA", EXT, 0xBB, 4}, {"ADDA", INDX, 0xAB, 4}, {"ADDA", INDY, 0x18AB, 5},
    {"ADDB", IMM, 0xCB, 2}, {"ADDB", DIR, 0xDB, 3}, {"ADDB", EXT, 0xFB, 4}, {"ADDB", INDX, 0xEB, 4}, {"ADDB", INDY, 0x18EB, 5},
    {"ADDD", IMM16, 0xC3, 4}, {"ADDD", DIR, 0xD3, 5}, {"ADDD", EXT, 0xF3, 6}, {"ADDD", INDX, 0xE3, 6}, {"ADDD", INDY, 0x18E3, 7},
    {"ANDA", IMM, 0x84, 2}, {"ANDA", DIR, 0x94, 3}, {"ANDA", EXT, 0xB4, 4}, {"ANDA", INDX, 0xA4, 4}, {"ANDA", INDY, 0x18A4, 5},
    {"ANDB", IMM, 0xC4, 2}, {"ANDB", DIR, 0xD4, 3}, {"ANDB", EXT, 0xF4, 4}, {"ANDB", INDX, 0xE4, 4}, {"ANDB", INDY, 0x18E4, 5},
    {"ASL",  EXT, 0x78, 6}, {"ASL",  INDX, 0x68, 6}, {"ASL",  INDY, 0x1868, 7},
    {"ASLA", INH, 0x48, 2},
    {"ASLB", INH, 0x58, 2},
    {"ASLD", INH, 0x05, 3},
    {"ASR",  EXT, 0x77, 6}, {"ASR",  INDX, 0x67, 6}, {"ASR",  INDY, 0x1867, 7},
    {"ASRA", INH, 0x47, 2},
    {"ASRB", INH, 0x57, 2},
    {"BCC",  REL, 0x24, 3},
    {"BCLR", BDIR, 0x15, 6}, {"BCLR", BINDX, 0x1D, 7}, {"BCLR", BINDY, 0x181D, 8},
    {"BCS",  REL, 0x25, 3},
    {"BEQ",  REL, 0x27, 3},
    {"BGE",  REL, 0x2C, 3},
    {"BGT",  REL, 0x2E, 3},
    {"BHI",  REL, 0x22, 3},
    {"BITA", IMM, 0x85, 2}, {"BITA", DIR, 0x95, 3}, {"BITA", EXT, 0xB5, 4}, {"BITA", INDX, 0xA5, 4}, {"BITA", INDY, 0x18A5, 5},
    {"BITB", IMM, 0xC5, 2}, {"BITB", DIR, 0xD5, 3}, {"BITB", EXT, 0xF5, 4}, {"BITB", INDX, 0xE5, 4}, {"BITB", INDY, 0x18E5, 5},
    {"BLE",  REL, 0x2F, 3},
    {"BLS",  REL, 0x23, 3},
    {"BLT",  REL, 0x2D, 3},
    {"BMI",  REL, 0x2B, 3},
    {"BNE",  REL, 0x26, 3},
    {"BPL",  REL, 0x2A, 3},
    {"BRA",  REL, 0x20, 3},
    {"BRCLR", BRDIR, 0x13, 6}, {"BRCLR", BRINDX, 0x1F, 7}, {"BRCLR", BRINDY, 0x181F, 8},
    {"BRN",  REL, 0x21, 3},
    {"BRSET", BRDIR, 0x12, 6}, {"BRSET", BRINDX, 0x1E, 7}, {"BRSET", BRINDY, 0x181E, 8},
    {"BSET", BDIR, 0x14, 6}, {"BSET", BINDX, 0x1C, 7}, {"BSET", BINDY, 0x181C, 8},
    {"BSR",  REL, 0x8D, 6},
    {"BVC",  REL, 0x28, 3},
    {"BVS",  REL, 0x29, 3},
    {"CBA",  INH, 0x11, 2},
    {"CLC",  INH, 0x0C, 2},
    {"CLI",  INH, 0x0E, 2},
    {"CLR",  EXT, 0x7F, 6}, {"CLR",  INDX, 0x6F, 6}, {"CLR",  INDY, 0x186F, 7},
    {"CLRA", INH, 0x4F, 2},
    {"CLRB", INH, 0x5F, 2},
    {"CLV",  INH, 0x0A, 2},
    {"CMPA", IMM, 0x81, 2}, {"CMPA", DIR, 0x91, 3}, {"CMPA", EXT, 0xB1, 4}, {"CMPA", INDX, 0xA1, 4}, {"CMPA", INDY, 0x18A1, 5},
    {"CMPB", IMM, 0xC1, 2}, {"CMPB", DIR, 0xD1, 3}, {"CMPB", EXT, 0xF1, 4}, {"CMPB", INDX, 0xE1, 4}, {"CMPB", INDY, 0x18E1, 5},
    {"COM",  EXT, 0x73, 6}, {"COM",  INDX, 0x63, 6}, {"COM",  INDY, 0x1863, 7},
    {"COMA", INH, 0x43, 2},
    {"COMB", INH, 0x53, 2},
    {"CPD",  IMM16, 0x1A83, 5}, {"CPD",  DIR, 0x1A93, 6}, {"CPD",  EXT, 0x1AB3, 7}, {"CPD",  INDX, 0x1AA3, 7}, {"CPD",  INDY, 0xCDA3, 7},
    {"CPX",  IMM16, 0x8C, 4},   {"CPX",  DIR, 0x9C, 5},   {"CPX",  EXT, 0xBC, 6},   {"CPX",  INDX, 0xAC, 6},   {"CPX",  INDY, 0xCDAC, 7},
    {"CPY",  IMM16, 0x188C, 5}, {"CPY",  DIR, 0x189C, 6}, {"CPY",  EXT, 0x18BC, 7}, {"CPY",  INDX, 0x1AAC, 7}, {"CPY",  INDY, 0x18AC, 7},
    {"DAA",  INH, 0x19, 2},
    {"DEC",  EXT, 0x7A, 6}, {"DEC",  INDX, 0x6A, 6}, {"DEC",  INDY, 0x186A, 7},
    {"DECA", INH, 0x4A, 2},
    {"DECB", INH, 0x5A, 2},
    {"DES",  INH, 0x34, 3},
    {"DEX",  INH, 0x09, 3},
    {"DEY",  INH, 0x1809, 4},
    {"EORA", IMM, 0x88, 2}, {"EORA", DIR, 0x98, 3}, {"EORA", EXT, 0xB8, 4}, {"EORA", INDX, 0xA8, 4}, {"EORA", INDY, 0x18A8, 5},
    {"EORB", IMM, 0xC8, 2}, {"EORB", DIR, 0xD8, 3}, {"EORB", EXT, 0xF8, 4}, {"EORB", INDX, 0xE8, 4}, {"EORB", INDY, 0x18E8, 5},
    {"FDIV", INH, 0x03, 41},
    {"IDIV", INH, 0x02, 41},
    {"INC",  EXT, 0x7C, 6}, {"INC",  INDX, 0x6C, 6}, {"INC",  INDY, 0x186C, 7},
    {"INCA", INH, 0x4C, 2},
    {"INCB", INH, 0x5C, 2},
    {"INS",  INH, 0x31, 3},
    {"INX",  INH, 0x08, 3},
    {"INY",  INH, 0x1808, 4},
    {"JMP",  EXT, 0x7E, 3}, {"JMP",  INDX, 0x6E, 3}, {"JMP",  INDY, 0x186E, 4},
    {"JSR",  DIR, 0x9D, 5}, {"JSR",  EXT, 0xBD, 6}, {"JSR",  INDX, 0xAD, 6}, {"JSR",  INDY, 0x18AD, 7},
    {"LDAA", IMM, 0x86, 2}, {"LDAA", DIR, 0x96, 3}, {"LDAA", EXT, 0xB6, 4}, {"LDAA", INDX, 0xA6, 4}, {"LDAA", INDY, 0x18A6, 5},
    {"LDAB", IMM, 0xC6, 2}, {"LDAB", DIR, 0xD6, 3}, {"LDAB", EXT, 0xF6, 4}, {"LDAB", INDX, 0xE6, 4}, {"LDAB", INDY, 0x18E6, 5},
    {"LDD",  IMM16, 0xCC, 3},   {"LDD",  DIR, 0xDC, 4},   {"LDD",  EXT, 0xFC, 5},   {"LDD",  INDX, 0xEC, 5},   {"LDD",  INDY, 0x18EC, 6},
    {"LDS",  IMM16, 0x8E, 3},   {"LDS",  DIR, 0x9E, 4},   {"LDS",  EXT, 0xBE, 5},   {"LDS",  INDX, 0xAE, 5},   {"LDS",  INDY, 0x18AE, 6},
    {"LDX",  IMM16, 0xCE, 3},   {"LDX",  DIR, 0xDE, 4},   {"LDX",  EXT, 0xFE, 5},   {"LDX",  INDX, 0xEE, 5},   {"LDX",  INDY, 0xCDEE, 6},
    {"LDY",  IMM16, 0x18CE, 4}, {"LDY",  DIR, 0x18DE, 5}, {"LDY",  EXT, 0x18FE, 6}, {"LDY",  INDX, 0x1AEE, 6}, {"LDY",  INDY, 0x18EE, 6},
    {"LSR",  EXT, 0x74, 6}, {"LSR",  INDX, 0x64, 6}, {"LSR",  INDY, 0x1864, 7},
    {"LSRA", INH, 0x44, 2},
    {"LSRB", INH, 0x54, 2},
    {"LSRD", INH, 0x04, 3},
    {"MUL",  INH, 0x3D, 10},
    {"NEG",  EXT, 0x70, 6}, {"NEG",  INDX, 0x60, 6}, {"NEG",  INDY, 0x1860, 7},
    {"NEGA", INH, 0x40, 2},
    {"NEGB", INH, 0x50, 2},
    {"NOP",  INH, 0x01, 2},
    {"ORAA", IMM, 0x8A, 2}, {"ORAA", DIR, 0x9A, 3}, {"ORAA", EXT, 0xBA, 4}, {"ORAA", INDX, 0xAA, 4}, {"ORAA", INDY, 0x18AA, 5},
    {"ORAB", IMM, 0xCA, 2}, {"ORAB", DIR, 0xDA, 3}, {"ORAB", EXT, 0xFA, 4}, {"ORAB", INDX, 0xEA, 4}, {"ORAB", INDY, 0x18EA, 5},
    {"PSHA", INH, 0x36, 3},
    {"PSHB", INH, 0x37, 3},
    {"PSHX", INH, 0x3C, 4},
    {"PSHY", INH, 0x183C, 5},
    {"PULA", INH, 0x32, 4},
    {"PULB", INH, 0x33, 4},
    {"PULX", INH, 0x38, 5},
    {"PULY", INH, 0x1838, 6},
    {"ROL",  EXT, 0x79, 6}, {"ROL",  INDX, 0x69, 6}, {"ROL",  INDY, 0x1869, 7},
    {"ROLA", INH, 0x49, 2},
    {"ROLB", INH, 0x59, 2},
    {"ROR",  EXT, 0x76, 6}, {"ROR",  INDX, 0x66, 6}, {"ROR",  INDY, 0x1866, 7},
    {"RORA", INH, 0x46, 2},
    {"RORB", INH, 0x56, 2},
    {"RTI",  INH, 0x3B, 12},
    {"RTS",  INH, 0x39, 5},
    {"SBA",  INH, 0x10, 2},
    {"SBCA", IMM, 0x82, 2}, {"SBCA", DIR, 0x92, 3}, {"SBCA", EXT, 0xB2, 4}, {"SBCA", INDX, 0xA2, 4}, {"SBCA", INDY, 0x18A2, 5},
    {"SBCB", IMM, 0xC2, 2}, {"SBCB", DIR, 0xD2, 3}, {"SBCB", EXT, 0xF2, 4}, {"SBCB", INDX, 0xE2, 4}, {"SBCB", INDY, 0x18E2, 5},
    {"SEC",  INH, 0x0D, 2},
    {"SEI",  INH, 0x0F, 2},
    {"SEV",  INH, 0x0B, 2},
    {"STAA", DIR, 0x97, 3}, {"STAA", EXT, 0xB7, 4}, {"STAA", INDX, 0xA7, 4}, {"STAA", INDY, 0x18A7, 5},
    {"STAB", DIR, 0xD7, 3}, {"STAB", EXT, 0xF7, 4}, {"STAB", INDX, 0xE7, 4}, {"STAB", INDY, 0x18E7, 5},
    {"STD",  DIR, 0xDD, 4},   {"STD",  EXT, 0xFD, 5},   {"STD",  INDX, 0xED, 5},   {"STD",  INDY, 0x18ED, 6},
    {"STOP", INH, 0xCF, 2},
    {"STS",  DIR, 0x9F, 4},   {"STS",  EXT, 0xBF, 5},   {"STS",  INDX, 0xAF, 5},   {"STS",  INDY, 0x18AF, 6},
    {"STX",  DIR, 0xDF, 4},   {"STX",  EXT, 0xFF, 5},   {"STX",  INDX, 0xEF, 5},   {"STX",  INDY, 0xCDEF, 6},
    {"STY",  DIR, 0x18DF, 5}, {"STY",  EXT, 0x18FF, 6}, {"STY",  INDX, 0x1AEF, 6}, {"STY",  INDY, 0x18EF, 6},
    {"SUBA", IMM, 0x80, 2}, {"SUBA", DIR, 0x90, 3}, {"SUBA", EXT, 0xB0, 4}, {"SUBA", INDX, 0xA0, 4}, {"SUBA", INDY, 0x18A0, 5},
    {"SUBB", IMM, 0xC0, 2}, {"SUBB", DIR, 0xD0, 3}, {"SUBB", EXT, 0xF0, 4}, {"SUBB", INDX, 0xE0, 4}, {"SUBB", INDY, 0x18E0, 5},
    {"SUBD", IMM16, 0x83, 4},   {"SUBD", DIR, 0x93, 5},   {"SUBD", EXT, 0xB3, 6},   {"SUBD", INDX, 0xA3, 6},   {"SUBD", INDY, 0x18A3, 7},
    {"SWI",  INH, 0x3F, 14},
    {"TAB",  INH, 0x16, 2},
    {"TAP",  INH, 0x06, 2},
    {"TBA",  INH, 0x17, 2},
    // TEST never completes: the data sheet gives its cycles as infinite. The model spins
    // on it one E cycle per step (see Cpu).
    {"TEST", INH, 0x00, 1, true},
    {"TPA",  INH, 0x07, 2},
    {"TST",  EXT, 0x7D, 6}, {"TST",  INDX, 0x6D, 6}, {"TST",  INDY, 0x186D, 7},
    {"TSTA", INH, 0x4D, 2},
    {"TSTB", INH, 0x5D, 2},
    {"TSX",  INH, 0x30, 3},
    {"TSY",  INH, 0x1830, 4},
    {"TXS",  INH, 0x35, 3},
    {"TYS",  INH, 0x1835, 4},
    {"WAI",  INH, 0x3E, 14},
    {"XGDX", INH, 0x8F, 3},
    {"XGDY", INH, 0x188F, 4},
};
// clang-format on

constexpr Page pageOfCode(uint16_t code) {
    return code > 0xFF ? pageOfPrebyte(uint8_t(code >> 8)) : Page::None;
}

constexpr std::array<OpcodePage, kPageCount> buildMap() {
    std::array<OpcodePage, kPageCount> map{};
    for (std::size_t p = 0; p < kPageCount; ++p)
        for (OpInfo& info : map[p])
            info.length = p == 0 ? 1 : 2;
    for (const Row& row : kRows) {
        const Page page = pageOfCode(row.code);
        // A prebyte that is not one of the three, or an opcode given twice, stops the build.
        if (row.code > 0xFF && page == Page::None) throw "unknown prebyte";
        OpInfo& info = map[static_cast<std::size_t>(page)][row.code & 0xFF];
        if (info.legal) throw "opcode listed twice";
        info.mnemonic = row.mnemonic;
        info.mode = row.mode;
        info.length = uint8_t((page == Page::None ? 1 : 2) + operandBytes(row.mode));
        info.cycles = row.cycles;
        info.legal = true;
        info.specialModeOnly = row.specialModeOnly;
    }
    // The prebytes themselves are not instructions of page 1.
    for (uint8_t prebyte : {kPrebyte18, kPrebyte1A, kPrebyteCD})
        if (map[0][prebyte].legal) throw "prebyte listed as an instruction";
    return map;
}

} // namespace

// constinit: the map is built by the compiler, so a faulty row fails the build.
constinit const std::array<OpcodePage, kPageCount> kOpcodeMap = buildMap();

} // namespace hc11
