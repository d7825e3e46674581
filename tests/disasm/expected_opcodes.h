// What the decoder must know, written out class by class from the M68HC11 opcode map
// (M68HC11 RM, opcode map; MC68HC11A8 TD, instruction set table) independently of the
// decoder's own table, which is laid out by map column. Each entry is the opcode as the
// listing shows it (prebyte first) and its mnemonic.
#pragma once

#include "disasm/opcode_map.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tessaline::test {

struct ExpectedOpcode {
    QString code; // "86", "18A6"
    QString mnemonic;
    InstrClass instrClass;
    int length;
    bool prefixed() const { return code.size() == 4; }
};

struct ExpectedGroup {
    InstrClass instrClass;
    int length;
    const char* list; // "01 NOP, 02 IDIV, ..."
};

// clang-format off
inline const ExpectedGroup kExpectedGroups[] = {
    {InstrClass::Inherent, 1,
     "01 NOP, 02 IDIV, 03 FDIV, 04 LSRD, 05 ASLD, 06 TAP, 07 TPA, 08 INX, 09 DEX, 0A CLV, 0B SEV, 0C CLC, "
     "0D SEC, 0E CLI, 0F SEI, 10 SBA, 11 CBA, 16 TAB, 17 TBA, 19 DAA, 1B ABA, 30 TSX, 31 INS, 32 PULA, "
     "33 PULB, 34 DES, 35 TXS, 36 PSHA, 37 PSHB, 38 PULX, 39 RTS, 3A ABX, 3B RTI, 3C PSHX, 3D MUL, 3E WAI, "
     "3F SWI, 40 NEGA, 43 COMA, 44 LSRA, 46 RORA, 47 ASRA, 48 ASLA, 49 ROLA, 4A DECA, 4C INCA, 4D TSTA, "
     "4F CLRA, 50 NEGB, 53 COMB, 54 LSRB, 56 RORB, 57 ASRB, 58 ASLB, 59 ROLB, 5A DECB, 5C INCB, 5D TSTB, "
     "5F CLRB, 8F XGDX, CF STOP"},
    {InstrClass::Inherent, 2,
     "1808 INY, 1809 DEY, 1830 TSY, 1835 TYS, 1838 PULY, 183A ABY, 183C PSHY, 188F XGDY"},
    {InstrClass::Immediate8, 2,
     "80 SUBA, 81 CMPA, 82 SBCA, 84 ANDA, 85 BITA, 86 LDAA, 88 EORA, 89 ADCA, 8A ORAA, 8B ADDA, C0 SUBB, "
     "C1 CMPB, C2 SBCB, C4 ANDB, C5 BITB, C6 LDAB, C8 EORB, C9 ADCB, CA ORAB, CB ADDB"},
    {InstrClass::Immediate16, 3, "83 SUBD, 8C CPX, 8E LDS, C3 ADDD, CC LDD, CE LDX"},
    {InstrClass::Immediate16, 4, "188C CPY, 18CE LDY, 1A83 CPD"},
    {InstrClass::Direct, 2,
     "90 SUBA, 91 CMPA, 92 SBCA, 93 SUBD, 94 ANDA, 95 BITA, 96 LDAA, 97 STAA, 98 EORA, 99 ADCA, 9A ORAA, "
     "9B ADDA, 9C CPX, 9D JSR, 9E LDS, 9F STS, D0 SUBB, D1 CMPB, D2 SBCB, D3 ADDD, D4 ANDB, D5 BITB, "
     "D6 LDAB, D7 STAB, D8 EORB, D9 ADCB, DA ORAB, DB ADDB, DC LDD, DD STD, DE LDX, DF STX"},
    {InstrClass::Direct, 3, "189C CPY, 18DE LDY, 18DF STY, 1A93 CPD"},
    {InstrClass::Extended, 3,
     "70 NEG, 73 COM, 74 LSR, 76 ROR, 77 ASR, 78 ASL, 79 ROL, 7A DEC, 7C INC, 7D TST, 7E JMP, 7F CLR, "
     "B0 SUBA, B1 CMPA, B2 SBCA, B3 SUBD, B4 ANDA, B5 BITA, B6 LDAA, B7 STAA, B8 EORA, B9 ADCA, BA ORAA, "
     "BB ADDA, BC CPX, BD JSR, BE LDS, BF STS, F0 SUBB, F1 CMPB, F2 SBCB, F3 ADDD, F4 ANDB, F5 BITB, "
     "F6 LDAB, F7 STAB, F8 EORB, F9 ADCB, FA ORAB, FB ADDB, FC LDD, FD STD, FE LDX, FF STX"},
    {InstrClass::Extended, 4, "18BC CPY, 18FE LDY, 18FF STY, 1AB3 CPD"},
    {InstrClass::IndexedX, 2,
     "60 NEG, 63 COM, 64 LSR, 66 ROR, 67 ASR, 68 ASL, 69 ROL, 6A DEC, 6C INC, 6D TST, 6E JMP, 6F CLR, "
     "A0 SUBA, A1 CMPA, A2 SBCA, A3 SUBD, A4 ANDA, A5 BITA, A6 LDAA, A7 STAA, A8 EORA, A9 ADCA, AA ORAA, "
     "AB ADDA, AC CPX, AD JSR, AE LDS, AF STS, E0 SUBB, E1 CMPB, E2 SBCB, E3 ADDD, E4 ANDB, E5 BITB, "
     "E6 LDAB, E7 STAB, E8 EORB, E9 ADCB, EA ORAB, EB ADDB, EC LDD, ED STD, EE LDX, EF STX"},
    {InstrClass::IndexedX, 3, "1AA3 CPD, 1AAC CPY, 1AEE LDY, 1AEF STY"},
    {InstrClass::IndexedY, 3,
     "1860 NEG, 1863 COM, 1864 LSR, 1866 ROR, 1867 ASR, 1868 ASL, 1869 ROL, 186A DEC, 186C INC, 186D TST, "
     "186E JMP, 186F CLR, 18A0 SUBA, 18A1 CMPA, 18A2 SBCA, 18A3 SUBD, 18A4 ANDA, 18A5 BITA, 18A6 LDAA, "
     "18A7 STAA, 18A8 EORA, 18A9 ADCA, 18AA ORAA, 18AB ADDA, 18AC CPY, 18AD JSR, 18AE LDS, 18AF STS, "
     "18E0 SUBB, 18E1 CMPB, 18E2 SBCB, 18E3 ADDD, 18E4 ANDB, 18E5 BITB, 18E6 LDAB, 18E7 STAB, 18E8 EORB, "
     "18E9 ADCB, 18EA ORAB, 18EB ADDB, 18EC LDD, 18ED STD, 18EE LDY, 18EF STY, CDA3 CPD, CDAC CPX, "
     "CDEE LDX, CDEF STX"},
    {InstrClass::Relative, 2,
     "20 BRA, 21 BRN, 22 BHI, 23 BLS, 24 BCC, 25 BCS, 26 BNE, 27 BEQ, 28 BVC, 29 BVS, 2A BPL, 2B BMI, "
     "2C BGE, 2D BLT, 2E BGT, 2F BLE, 8D BSR"},
    {InstrClass::BitDirect, 3, "14 BSET, 15 BCLR"},
    {InstrClass::BitIndexedX, 3, "1C BSET, 1D BCLR"},
    {InstrClass::BitIndexedY, 4, "181C BSET, 181D BCLR"},
    {InstrClass::BitBranchDirect, 4, "12 BRSET, 13 BRCLR"},
    {InstrClass::BitBranchIndexedX, 4, "1E BRSET, 1F BRCLR"},
    {InstrClass::BitBranchIndexedY, 5, "181E BRSET, 181F BRCLR"},
};
// clang-format on

// The mnemonics after which control can continue at the destination address.
inline const QStringList kControlTransferMnemonics = {"BRA", "BRN", "BHI", "BLS",   "BCC",   "BCS", "BNE",
                                                      "BEQ", "BVC", "BVS", "BPL",   "BMI",   "BGE", "BLT",
                                                      "BGT", "BLE", "BSR", "BRSET", "BRCLR", "JMP", "JSR"};

inline std::vector<ExpectedOpcode> expectedOpcodes() {
    std::vector<ExpectedOpcode> all;
    for (const ExpectedGroup& g : kExpectedGroups)
        for (const QString& item : QString::fromLatin1(g.list).split(QStringLiteral(", "))) {
            const QStringList champs = item.split(u' ');
            all.push_back({champs.at(0), champs.at(1), g.instrClass, g.length});
        }
    return all;
}

} // namespace tessaline::test
