// The opcode map as data, one row per known opcode. Page 1 is written column by column
// as Motorola's opcode map draws it (the high nibble picks the column, which mostly fixes
// the addressing mode), then the three prebyte pages in opcode order (M68HC11 RM, opcode
// map; MC68HC11A8 TD, instruction set table). The lookup pages are built from the rows by
// the compiler, so a row given twice or a stray prebyte fails the build.
#include "disasm/opcode_map.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace tessaline {
namespace {

// The prebyte of each page, in OpcodePage order; page 1 has none.
constexpr std::array<uint8_t, kOpcodePageCount> kPrebytes = {0x00, 0x18, 0x1A, 0xCD};

// An operation code as the data sheet writes it: prebyte in the high byte (0x18A6 is
// "18 A6"), or the plain opcode for page 1.
struct Row {
    uint16_t code;
    const char* mnemonic;
    InstrClass instrClass;
};

constexpr InstrClass INH = InstrClass::Inherent;
constexpr InstrClass IM8 = InstrClass::Immediate8;
constexpr InstrClass I16 = InstrClass::Immediate16;
constexpr InstrClass DIR = InstrClass::Direct;
constexpr InstrClass EXT = InstrClass::Extended;
constexpr InstrClass IDX = InstrClass::IndexedX;
constexpr InstrClass IDY = InstrClass::IndexedY;
constexpr InstrClass REL = InstrClass::Relative;
constexpr InstrClass BSD = InstrClass::BitDirect;
constexpr InstrClass BSX = InstrClass::BitIndexedX;
constexpr InstrClass BSY = InstrClass::BitIndexedY;
constexpr InstrClass BTD = InstrClass::BitBranchDirect;
constexpr InstrClass BTX = InstrClass::BitBranchIndexedX;
constexpr InstrClass BTY = InstrClass::BitBranchIndexedY;

// clang-format off
constexpr Row kRows[] = {
    // Page 1, column 0: inherent ($00 TEST is left out on purpose).
    {0x01, "NOP", INH},   {0x02, "IDIV", INH},  {0x03, "FDIV", INH},  {0x04, "LSRD", INH},  {0x05, "ASLD", INH},
    {0x06, "TAP", INH},   {0x07, "TPA", INH},   {0x08, "INX", INH},   {0x09, "DEX", INH},   {0x0A, "CLV", INH},
    {0x0B, "SEV", INH},   {0x0C, "CLC", INH},   {0x0D, "SEC", INH},   {0x0E, "CLI", INH},   {0x0F, "SEI", INH},
    // Column 1: inherent and the bit instructions; $18 and $1A are prebytes.
    {0x10, "SBA", INH},   {0x11, "CBA", INH},   {0x12, "BRSET", BTD}, {0x13, "BRCLR", BTD}, {0x14, "BSET", BSD},
    {0x15, "BCLR", BSD},  {0x16, "TAB", INH},   {0x17, "TBA", INH},   {0x19, "DAA", INH},   {0x1B, "ABA", INH},
    {0x1C, "BSET", BSX},  {0x1D, "BCLR", BSX},  {0x1E, "BRSET", BTX}, {0x1F, "BRCLR", BTX},
    // Column 2: relative branches.
    {0x20, "BRA", REL},   {0x21, "BRN", REL},   {0x22, "BHI", REL},   {0x23, "BLS", REL},   {0x24, "BCC", REL},
    {0x25, "BCS", REL},   {0x26, "BNE", REL},   {0x27, "BEQ", REL},   {0x28, "BVC", REL},   {0x29, "BVS", REL},
    {0x2A, "BPL", REL},   {0x2B, "BMI", REL},   {0x2C, "BGE", REL},   {0x2D, "BLT", REL},   {0x2E, "BGT", REL},
    {0x2F, "BLE", REL},
    // Column 3: stack, index register and control instructions.
    {0x30, "TSX", INH},   {0x31, "INS", INH},   {0x32, "PULA", INH},  {0x33, "PULB", INH},  {0x34, "DES", INH},
    {0x35, "TXS", INH},   {0x36, "PSHA", INH},  {0x37, "PSHB", INH},  {0x38, "PULX", INH},  {0x39, "RTS", INH},
    {0x3A, "ABX", INH},   {0x3B, "RTI", INH},   {0x3C, "PSHX", INH},  {0x3D, "MUL", INH},   {0x3E, "WAI", INH},
    {0x3F, "SWI", INH},
    // Column 4: accumulator A.
    {0x40, "NEGA", INH},  {0x43, "COMA", INH},  {0x44, "LSRA", INH},  {0x46, "RORA", INH},  {0x47, "ASRA", INH},
    {0x48, "ASLA", INH},  {0x49, "ROLA", INH},  {0x4A, "DECA", INH},  {0x4C, "INCA", INH},  {0x4D, "TSTA", INH},
    {0x4F, "CLRA", INH},
    // Column 5: accumulator B.
    {0x50, "NEGB", INH},  {0x53, "COMB", INH},  {0x54, "LSRB", INH},  {0x56, "RORB", INH},  {0x57, "ASRB", INH},
    {0x58, "ASLB", INH},  {0x59, "ROLB", INH},  {0x5A, "DECB", INH},  {0x5C, "INCB", INH},  {0x5D, "TSTB", INH},
    {0x5F, "CLRB", INH},
    // Column 6: read-modify-write, indexed X.
    {0x60, "NEG", IDX},   {0x63, "COM", IDX},   {0x64, "LSR", IDX},   {0x66, "ROR", IDX},   {0x67, "ASR", IDX},
    {0x68, "ASL", IDX},   {0x69, "ROL", IDX},   {0x6A, "DEC", IDX},   {0x6C, "INC", IDX},   {0x6D, "TST", IDX},
    {0x6E, "JMP", IDX},   {0x6F, "CLR", IDX},
    // Column 7: read-modify-write, extended.
    {0x70, "NEG", EXT},   {0x73, "COM", EXT},   {0x74, "LSR", EXT},   {0x76, "ROR", EXT},   {0x77, "ASR", EXT},
    {0x78, "ASL", EXT},   {0x79, "ROL", EXT},   {0x7A, "DEC", EXT},   {0x7C, "INC", EXT},   {0x7D, "TST", EXT},
    {0x7E, "JMP", EXT},   {0x7F, "CLR", EXT},
    // Column 8: accumulator A and 16-bit immediate, BSR, XGDX.
    {0x80, "SUBA", IM8},  {0x81, "CMPA", IM8},  {0x82, "SBCA", IM8},  {0x83, "SUBD", I16},  {0x84, "ANDA", IM8},
    {0x85, "BITA", IM8},  {0x86, "LDAA", IM8},  {0x88, "EORA", IM8},  {0x89, "ADCA", IM8},  {0x8A, "ORAA", IM8},
    {0x8B, "ADDA", IM8},  {0x8C, "CPX", I16},   {0x8D, "BSR", REL},   {0x8E, "LDS", I16},   {0x8F, "XGDX", INH},
    // Column 9: direct.
    {0x90, "SUBA", DIR},  {0x91, "CMPA", DIR},  {0x92, "SBCA", DIR},  {0x93, "SUBD", DIR},  {0x94, "ANDA", DIR},
    {0x95, "BITA", DIR},  {0x96, "LDAA", DIR},  {0x97, "STAA", DIR},  {0x98, "EORA", DIR},  {0x99, "ADCA", DIR},
    {0x9A, "ORAA", DIR},  {0x9B, "ADDA", DIR},  {0x9C, "CPX", DIR},   {0x9D, "JSR", DIR},   {0x9E, "LDS", DIR},
    {0x9F, "STS", DIR},
    // Column A: indexed X.
    {0xA0, "SUBA", IDX},  {0xA1, "CMPA", IDX},  {0xA2, "SBCA", IDX},  {0xA3, "SUBD", IDX},  {0xA4, "ANDA", IDX},
    {0xA5, "BITA", IDX},  {0xA6, "LDAA", IDX},  {0xA7, "STAA", IDX},  {0xA8, "EORA", IDX},  {0xA9, "ADCA", IDX},
    {0xAA, "ORAA", IDX},  {0xAB, "ADDA", IDX},  {0xAC, "CPX", IDX},   {0xAD, "JSR", IDX},   {0xAE, "LDS", IDX},
    {0xAF, "STS", IDX},
    // Column B: extended.
    {0xB0, "SUBA", EXT},  {0xB1, "CMPA", EXT},  {0xB2, "SBCA", EXT},  {0xB3, "SUBD", EXT},  {0xB4, "ANDA", EXT},
    {0xB5, "BITA", EXT},  {0xB6, "LDAA", EXT},  {0xB7, "STAA", EXT},  {0xB8, "EORA", EXT},  {0xB9, "ADCA", EXT},
    {0xBA, "ORAA", EXT},  {0xBB, "ADDA", EXT},  {0xBC, "CPX", EXT},   {0xBD, "JSR", EXT},   {0xBE, "LDS", EXT},
    {0xBF, "STS", EXT},
    // Column C: accumulator B and 16-bit immediate, STOP; $CD is a prebyte.
    {0xC0, "SUBB", IM8},  {0xC1, "CMPB", IM8},  {0xC2, "SBCB", IM8},  {0xC3, "ADDD", I16},  {0xC4, "ANDB", IM8},
    {0xC5, "BITB", IM8},  {0xC6, "LDAB", IM8},  {0xC8, "EORB", IM8},  {0xC9, "ADCB", IM8},  {0xCA, "ORAB", IM8},
    {0xCB, "ADDB", IM8},  {0xCC, "LDD", I16},   {0xCE, "LDX", I16},   {0xCF, "STOP", INH},
    // Column D: direct.
    {0xD0, "SUBB", DIR},  {0xD1, "CMPB", DIR},  {0xD2, "SBCB", DIR},  {0xD3, "ADDD", DIR},  {0xD4, "ANDB", DIR},
    {0xD5, "BITB", DIR},  {0xD6, "LDAB", DIR},  {0xD7, "STAB", DIR},  {0xD8, "EORB", DIR},  {0xD9, "ADCB", DIR},
    {0xDA, "ORAB", DIR},  {0xDB, "ADDB", DIR},  {0xDC, "LDD", DIR},   {0xDD, "STD", DIR},   {0xDE, "LDX", DIR},
    {0xDF, "STX", DIR},
    // Column E: indexed X.
    {0xE0, "SUBB", IDX},  {0xE1, "CMPB", IDX},  {0xE2, "SBCB", IDX},  {0xE3, "ADDD", IDX},  {0xE4, "ANDB", IDX},
    {0xE5, "BITB", IDX},  {0xE6, "LDAB", IDX},  {0xE7, "STAB", IDX},  {0xE8, "EORB", IDX},  {0xE9, "ADCB", IDX},
    {0xEA, "ORAB", IDX},  {0xEB, "ADDB", IDX},  {0xEC, "LDD", IDX},   {0xED, "STD", IDX},   {0xEE, "LDX", IDX},
    {0xEF, "STX", IDX},
    // Column F: extended.
    {0xF0, "SUBB", EXT},  {0xF1, "CMPB", EXT},  {0xF2, "SBCB", EXT},  {0xF3, "ADDD", EXT},  {0xF4, "ANDB", EXT},
    {0xF5, "BITB", EXT},  {0xF6, "LDAB", EXT},  {0xF7, "STAB", EXT},  {0xF8, "EORB", EXT},  {0xF9, "ADCB", EXT},
    {0xFA, "ORAB", EXT},  {0xFB, "ADDB", EXT},  {0xFC, "LDD", EXT},   {0xFD, "STD", EXT},   {0xFE, "LDX", EXT},
    {0xFF, "STX", EXT},

    // Page 2, prebyte $18: Y takes the place of X.
    {0x1808, "INY", INH},   {0x1809, "DEY", INH},
    {0x181C, "BSET", BSY},  {0x181D, "BCLR", BSY},  {0x181E, "BRSET", BTY}, {0x181F, "BRCLR", BTY},
    {0x1830, "TSY", INH},   {0x1835, "TYS", INH},   {0x1838, "PULY", INH},  {0x183A, "ABY", INH},
    {0x183C, "PSHY", INH},
    {0x1860, "NEG", IDY},   {0x1863, "COM", IDY},   {0x1864, "LSR", IDY},   {0x1866, "ROR", IDY},
    {0x1867, "ASR", IDY},   {0x1868, "ASL", IDY},   {0x1869, "ROL", IDY},   {0x186A, "DEC", IDY},
    {0x186C, "INC", IDY},   {0x186D, "TST", IDY},   {0x186E, "JMP", IDY},   {0x186F, "CLR", IDY},
    {0x188C, "CPY", I16},   {0x188F, "XGDY", INH},  {0x189C, "CPY", DIR},
    {0x18A0, "SUBA", IDY},  {0x18A1, "CMPA", IDY},  {0x18A2, "SBCA", IDY},  {0x18A3, "SUBD", IDY},
    {0x18A4, "ANDA", IDY},  {0x18A5, "BITA", IDY},  {0x18A6, "LDAA", IDY},  {0x18A7, "STAA", IDY},
    {0x18A8, "EORA", IDY},  {0x18A9, "ADCA", IDY},  {0x18AA, "ORAA", IDY},  {0x18AB, "ADDA", IDY},
    {0x18AC, "CPY", IDY},   {0x18AD, "JSR", IDY},   {0x18AE, "LDS", IDY},   {0x18AF, "STS", IDY},
    {0x18BC, "CPY", EXT},   {0x18CE, "LDY", I16},   {0x18DE, "LDY", DIR},   {0x18DF, "STY", DIR},
    {0x18E0, "SUBB", IDY},  {0x18E1, "CMPB", IDY},  {0x18E2, "SBCB", IDY},  {0x18E3, "ADDD", IDY},
    {0x18E4, "ANDB", IDY},  {0x18E5, "BITB", IDY},  {0x18E6, "LDAB", IDY},  {0x18E7, "STAB", IDY},
    {0x18E8, "EORB", IDY},  {0x18E9, "ADCB", IDY},  {0x18EA, "ORAB", IDY},  {0x18EB, "ADDB", IDY},
    {0x18EC, "LDD", IDY},   {0x18ED, "STD", IDY},   {0x18EE, "LDY", IDY},   {0x18EF, "STY", IDY},
    {0x18FE, "LDY", EXT},   {0x18FF, "STY", EXT},

    // Page 3, prebyte $1A.
    {0x1A83, "CPD", I16},   {0x1A93, "CPD", DIR},   {0x1AA3, "CPD", IDX},   {0x1AAC, "CPY", IDX},
    {0x1AB3, "CPD", EXT},   {0x1AEE, "LDY", IDX},   {0x1AEF, "STY", IDX},

    // Page 4, prebyte $CD.
    {0xCDA3, "CPD", IDY},   {0xCDAC, "CPX", IDY},   {0xCDEE, "LDX", IDY},   {0xCDEF, "STX", IDY},
};
// clang-format on

constexpr int kKnownOpcodes = 307;
static_assert(std::size(kRows) == kKnownOpcodes, "the decoder knows 307 opcodes");

constexpr int operandBytesOf(InstrClass c) {
    switch (c) {
    case InstrClass::Inherent: return 0;
    case InstrClass::Immediate8:
    case InstrClass::Direct:
    case InstrClass::IndexedX:
    case InstrClass::IndexedY:
    case InstrClass::Relative: return 1;
    case InstrClass::Immediate16:
    case InstrClass::Extended:
    case InstrClass::BitDirect:
    case InstrClass::BitIndexedX:
    case InstrClass::BitIndexedY: return 2;
    case InstrClass::BitBranchDirect:
    case InstrClass::BitBranchIndexedX:
    case InstrClass::BitBranchIndexedY: return 3;
    }
    return 0;
}

constexpr OpcodePage pageOf(uint8_t firstByte) {
    for (int p = 1; p < kOpcodePageCount; ++p)
        if (kPrebytes[std::size_t(p)] == firstByte) return OpcodePage(p);
    return OpcodePage::Page1;
}

using LookupPage = std::array<OpcodeEntry, 256>;

constexpr std::array<LookupPage, kOpcodePageCount> buildPages() {
    std::array<LookupPage, kOpcodePageCount> pages{};
    for (LookupPage& page : pages)
        for (OpcodeEntry& e : page)
            e = {nullptr, InstrClass::Inherent, 0};
    for (const Row& row : kRows) {
        const bool prefixed = row.code > 0xFF;
        const OpcodePage page = prefixed ? pageOf(uint8_t(row.code >> 8)) : OpcodePage::Page1;
        if (prefixed && page == OpcodePage::Page1) throw "unknown prebyte";
        OpcodeEntry& e = pages[std::size_t(page)][row.code & 0xFF];
        if (e.mnemonic != nullptr) throw "opcode listed twice";
        e = {row.mnemonic, row.instrClass, (prefixed ? 2 : 1) + operandBytesOf(row.instrClass)};
    }
    for (int p = 1; p < kOpcodePageCount; ++p)
        if (pages[0][kPrebytes[std::size_t(p)]].mnemonic != nullptr) throw "prebyte listed as an opcode";
    return pages;
}

constinit const std::array<LookupPage, kOpcodePageCount> kPages = buildPages();

} // namespace

uint8_t prebyteOf(OpcodePage page) {
    return kPrebytes[std::size_t(page)];
}

OpcodePage pageOfPrebyte(uint8_t firstByte) {
    return pageOf(firstByte);
}

int operandBytes(InstrClass c) {
    return operandBytesOf(c);
}

const OpcodeEntry* opcodeEntry(OpcodePage page, uint8_t opcode) {
    const OpcodeEntry& e = kPages[std::size_t(page)][opcode];
    return e.mnemonic != nullptr ? &e : nullptr;
}

bool transfersControl(const OpcodeEntry& entry) {
    switch (entry.instrClass) {
    case InstrClass::Relative:
    case InstrClass::BitBranchDirect:
    case InstrClass::BitBranchIndexedX:
    case InstrClass::BitBranchIndexedY: return true;
    default: break;
    }
    const std::string_view m = entry.mnemonic;
    return m == "JMP" || m == "JSR";
}

} // namespace tessaline
