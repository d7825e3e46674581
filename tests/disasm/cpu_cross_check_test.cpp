// The decoder against the simulated CPU, which has its own opcode table: two tables kept
// by hand drift apart, and a listing that disagrees with what the chip executes sends a
// single step to the wrong address. The opcode map of the M68HC11 RM is the authority.
#include "flat_bus.h"

#include "disasm/desass_instr.h"
#include "link/conversions.h"
#include "sim/opcode_table.h"

#include <gtest/gtest.h>

#include <QSet>

#include <memory>
#include <string>
#include <vector>

using namespace tessaline;
using hc11::test::FlatBoard;

namespace {

constexpr uint16_t kCode = FlatBoard::kCode;
constexpr uint16_t kX = 0x2000;
constexpr uint16_t kY = 0x3000;

// Operand bytes placed after every opcode: a page-0 address or offset $40, a mask $42 and
// a backward branch offset $F0 for BRSET/BRCLR. Every address they form ($0040, $4042,
// $2040, $3040) lies away from the code at $1000 and from the stack.
const std::vector<uint8_t> kOperands = {0x40, 0x42, 0xF0};

// Instructions whose next PC comes from the stack or a vector, or that never finish.
const QSet<QString> kLeavesTheStraightLine = {"SWI", "WAI", "STOP", "RTI", "RTS"};

struct Opcode {
    OpcodePage page;
    uint8_t op;
    const OpcodeEntry* entry;
};

std::vector<Opcode> knownOpcodes() {
    std::vector<Opcode> all;
    for (int p = 0; p < kOpcodePageCount; ++p)
        for (int op = 0; op < 256; ++op)
            if (const OpcodeEntry* e = opcodeEntry(OpcodePage(p), uint8_t(op)))
                all.push_back({OpcodePage(p), uint8_t(op), e});
    return all;
}

std::vector<uint8_t> bytesOf(OpcodePage page, uint8_t op, const std::vector<uint8_t>& operands) {
    std::vector<uint8_t> bytes;
    if (page != OpcodePage::Page1) bytes.push_back(prebyteOf(page));
    bytes.push_back(op);
    bytes.insert(bytes.end(), operands.begin(), operands.end());
    return bytes;
}

QString hexaOf(const std::vector<uint8_t>& bytes) {
    QString hexa;
    for (uint8_t b : bytes)
        hexa += DecHexa2(b);
    return hexa;
}

std::string nameOf(const std::vector<uint8_t>& bytes) {
    return hexaOf(bytes).left(4).toStdString();
}

hc11::Page simPage(OpcodePage page) {
    switch (page) {
    case OpcodePage::Page1: return hc11::Page::None;
    case OpcodePage::Page2: return hc11::Page::P18;
    case OpcodePage::Page3: return hc11::Page::P1A;
    case OpcodePage::Page4: return hc11::Page::PCD;
    }
    return hc11::Page::None;
}

// The simulator's addressing modes mirror the instruction classes one for one.
hc11::Mode simMode(InstrClass c) {
    switch (c) {
    case InstrClass::Inherent: return hc11::Mode::Inherent;
    case InstrClass::Immediate8: return hc11::Mode::Immediate8;
    case InstrClass::Immediate16: return hc11::Mode::Immediate16;
    case InstrClass::Direct: return hc11::Mode::Direct;
    case InstrClass::Extended: return hc11::Mode::Extended;
    case InstrClass::IndexedX: return hc11::Mode::IndexedX;
    case InstrClass::IndexedY: return hc11::Mode::IndexedY;
    case InstrClass::Relative: return hc11::Mode::Relative;
    case InstrClass::BitDirect: return hc11::Mode::BitDirect;
    case InstrClass::BitIndexedX: return hc11::Mode::BitIndexedX;
    case InstrClass::BitIndexedY: return hc11::Mode::BitIndexedY;
    case InstrClass::BitBranchDirect: return hc11::Mode::BitBranchDirect;
    case InstrClass::BitBranchIndexedX: return hc11::Mode::BitBranchIndexedX;
    case InstrClass::BitBranchIndexedY: return hc11::Mode::BitBranchIndexedY;
    }
    return hc11::Mode::Inherent;
}

// A fresh board with `bytes` at kCode, X and Y set, interrupts masked, events reported.
std::unique_ptr<FlatBoard> boardWith(const std::vector<uint8_t>& bytes, uint8_t ccr = hc11::ccr::I,
                                     uint8_t operandMemory = 0x00) {
    auto board = std::make_unique<FlatBoard>();
    board->program(bytes);
    board->cpu.r.x = kX;
    board->cpu.r.y = kY;
    board->cpu.r.ccr = ccr;
    board->cpu.stopOnEvents = true;
    for (uint16_t a : {uint16_t(0x0040), uint16_t(kX + 0x40), uint16_t(kY + 0x40)})
        board->bus[a] = operandMemory;
    return board;
}

bool trapped(const FlatBoard& board) {
    return board.cpu.lastEvent() == hc11::Cpu::Event::IllegalOpcode && board.cpu.lastIllegalPc() == kCode &&
           board.cpu.r.pc == FlatBoard::handlerFor(hc11::vec::IllegalOpcode);
}

Desassemblage decode(const std::vector<uint8_t>& bytes) {
    return DesassInstr(hexaOf(bytes), DecHexa4(int64_t(kCode)), DecHexa4(int64_t(kX)), DecHexa4(int64_t(kY)));
}

} // namespace

TEST(CpuCrossCheck, StraightLineInstructionsAdvanceThePcByTheirLength) {
    int checked = 0;
    for (const Opcode& o : knownOpcodes()) {
        if (transfersControl(*o.entry) || kLeavesTheStraightLine.contains(o.entry->mnemonic)) continue;
        const std::vector<uint8_t> bytes = bytesOf(o.page, o.op, kOperands);
        const Desassemblage d = decode(bytes);
        auto board = boardWith(bytes);
        board->exec();
        EXPECT_EQ(board->cpu.lastEvent(), hc11::Cpu::Event::None)
            << nameOf(bytes) << " " << o.entry->mnemonic;
        EXPECT_EQ(board->cpu.r.pc, kCode + d.LongInstr) << nameOf(bytes) << " " << o.entry->mnemonic;
        ++checked;
    }
    // 307 less 30 control transfers less SWI, WAI, STOP, RTI, RTS.
    EXPECT_EQ(checked, 307 - 30 - 5);
}

TEST(CpuCrossCheck, ControlTransfersLandOnTheNextInstructionOrTheDestination) {
    // Condition codes and operand memory chosen so that every conditional branch and
    // bit branch is seen both taken and not taken.
    const struct {
        uint8_t ccr;
        uint8_t memory;
    } runs[] = {{0x00, 0x00}, {0x0F, 0xFF}, {hc11::ccr::N, 0x00}, {hc11::ccr::V, 0xFF}};
    int checked = 0;
    for (const Opcode& o : knownOpcodes()) {
        if (!transfersControl(*o.entry)) continue;
        const std::vector<uint8_t> bytes = bytesOf(o.page, o.op, kOperands);
        const Desassemblage d = decode(bytes);
        const uint16_t next = uint16_t(kCode + d.LongInstr);
        const uint16_t dest = uint16_t(HexaDec(d.AdrDest));
        const QString m = o.entry->mnemonic;
        bool reachedNext = false, reachedDest = false;
        for (const auto& run : runs) {
            auto board = boardWith(bytes, run.ccr | hc11::ccr::I, run.memory);
            board->exec();
            const uint16_t pc = board->cpu.r.pc;
            EXPECT_TRUE(pc == next || pc == dest)
                << nameOf(bytes) << " " << o.entry->mnemonic << " went to " << pc;
            reachedNext |= pc == next;
            reachedDest |= pc == dest;
        }
        const bool always = m == "BRA" || m == "BSR" || m == "JMP" || m == "JSR";
        EXPECT_EQ(reachedDest, m != "BRN") << nameOf(bytes) << " " << o.entry->mnemonic;
        EXPECT_EQ(reachedNext, !always) << nameOf(bytes) << " " << o.entry->mnemonic;
        ++checked;
    }
    EXPECT_EQ(checked, 30);
}

// Every byte, and every prebyte pair, outside the decoder's table lists as one data byte
// that goes nowhere, and the chip traps on it in the normal modes.
TEST(CpuCrossCheck, EveryByteOutsideTheTableIsOneDataByteAndTraps) {
    int checked = 0;
    for (int b = 0; b < 256; ++b) {
        const OpcodePage page = pageOfPrebyte(uint8_t(b));
        const bool prebyte = page != OpcodePage::Page1;
        for (int s = 0; s < (prebyte ? 256 : 1); ++s) {
            if (opcodeEntry(page, uint8_t(prebyte ? s : b)) != nullptr) continue;
            // After a one-byte data byte, whatever follows.
            const std::vector<uint8_t> bytes = {uint8_t(b), uint8_t(prebyte ? s : 0x01), 0x21, 0x43, 0x65};
            const QString hexa = hexaOf(bytes);
            const Desassemblage d = decode(bytes);
            EXPECT_EQ(d.ligne, "\t" + hexa.left(2) + "\t\t\tFCB\t$" + hexa.left(2)) << nameOf(bytes);
            EXPECT_EQ(d.LongInstr, 1) << nameOf(bytes);
            EXPECT_EQ(d.AdrDest, DecHexa4(int64_t(kCode + 1))) << nameOf(bytes);
            auto board = boardWith(bytes);
            board->exec();
            EXPECT_TRUE(trapped(*board)) << nameOf(bytes) << " listed as data but executed";
            ++checked;
        }
    }
    // 21 page-1 bytes ($00 and 20 holes) and 3 x 256 prebyte pairs less 75 opcodes.
    EXPECT_EQ(checked, 21 + 768 - 75);
}

TEST(CpuCrossCheck, BothOpcodeTablesAgreeOnEveryPage) {
    int legal = 0;
    for (int p = 0; p < kOpcodePageCount; ++p) {
        const auto page = OpcodePage(p);
        if (page != OpcodePage::Page1) {
            EXPECT_EQ(prebyteOf(page), hc11::prebyteOf(simPage(page)));
        }
        for (int op = 0; op < 256; ++op) {
            const OpcodeEntry* mine = opcodeEntry(page, uint8_t(op));
            const hc11::OpInfo& sim = hc11::opInfo(simPage(page), uint8_t(op));
            const std::string what = "page " + std::to_string(p + 1) + " opcode " + std::to_string(op);
            ASSERT_EQ(mine != nullptr, sim.legalIn(false)) << what << " " << sim.mnemonic;
            if (mine == nullptr) continue;
            ++legal;
            EXPECT_EQ(mine->length, int(sim.length)) << what << " " << mine->mnemonic;
            EXPECT_STREQ(mine->mnemonic, sim.mnemonic) << what;
            EXPECT_EQ(simMode(mine->instrClass), sim.mode) << what << " " << mine->mnemonic;
        }
    }
    EXPECT_EQ(legal, 307);
}
