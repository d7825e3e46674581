// The 68HC11 CPU core. Instruction semantics and condition codes follow the instruction
// set tables of the MC68HC11A8 Technical Data and the M68HC11 Reference Manual; cycle
// counts come from the opcode map (opcode_table.h), never from this file.
//
// Timing model: bus.cycles holds the E-clock count at the start of the instruction while
// it executes; the instruction's cycles are added when it completes. Where the exact bus
// cycle of an access matters (registers that move with time), the board asks
// accessOffset(), which finds it from the instruction at opPc_ only then: the run loop
// pays one store per instruction for it. All address
// arithmetic wraps at 16 bits (indexed offsets, branch targets, the stack pointer).
//
// Choices where the hardware documents nothing cycle-exact (figures in opcode_table.h):
// - hardware interrupt entry (IRQ, XIRQ, on-chip sources) costs 12 E cycles;
// - the illegal-opcode trap costs 14 E cycles like SWI, plus 1 when a prebyte was fetched;
// - leaving WAI for an interrupt costs 3 E cycles (vector fetch; the frame was stacked by WAI);
// - leaving STOP costs bus.stopRecoveryCycles (the board's OPTION.DLY delay) before the
//   interrupt entry.
// - TEST ($00) in the special modes never completes, as on the chip: the PC stays on it,
//   time passes (one E cycle per step(), up to the event limit in run()), no interrupt is
//   taken; only reset() or jump() leave it.
#include "sim/cpu.h"

#include "sim/opcode_table.h"

namespace hc11 {
namespace {

using namespace ccr;

constexpr uint8_t kSign8 = 0x80;
constexpr uint16_t kSign16 = 0x8000;
constexpr uint8_t kHalfCarryBit = 0x08;

inline void setFlags(uint8_t& cc, uint8_t mask, uint8_t bits) {
    cc = uint8_t((cc & ~mask) | bits);
}
inline uint8_t flagIf(bool cond, uint8_t flag) {
    return cond ? flag : 0;
}
inline uint8_t nz8(uint8_t v) {
    return uint8_t(flagIf(v & kSign8, N) | flagIf(v == 0, Z));
}
inline uint8_t nz16(uint16_t v) {
    return uint8_t(flagIf(v & kSign16, N) | flagIf(v == 0, Z));
}

// ADDA, ADCA, ABA and friends: H N Z V C.
inline uint8_t add8(uint8_t& cc, uint8_t a, uint8_t m, bool carryIn) {
    const uint8_t res = uint8_t(a + m + carryIn);
    const uint8_t carries = uint8_t((a & m) | (m & ~res) | (~res & a));
    setFlags(cc, H | N | Z | V | C,
             uint8_t(flagIf(carries & kHalfCarryBit, H) | nz8(res) |
                     flagIf((a ^ res) & (m ^ res) & kSign8, V) | flagIf(carries & kSign8, C)));
    return res;
}

// SUBA, SBCA, CMPA, SBA, CBA: N Z V C (C is the borrow).
inline uint8_t sub8(uint8_t& cc, uint8_t a, uint8_t m, bool borrowIn) {
    const uint8_t res = uint8_t(a - m - borrowIn);
    const uint8_t borrows = uint8_t((~a & m) | (m & res) | (res & ~a));
    setFlags(cc, N | Z | V | C,
             uint8_t(nz8(res) | flagIf((a ^ m) & (a ^ res) & kSign8, V) | flagIf(borrows & kSign8, C)));
    return res;
}

inline uint16_t add16(uint8_t& cc, uint16_t a, uint16_t m) {
    const uint32_t sum = uint32_t(a) + m;
    const uint16_t res = uint16_t(sum);
    setFlags(cc, N | Z | V | C,
             uint8_t(nz16(res) | flagIf((a ^ res) & (m ^ res) & kSign16, V) | flagIf(sum > 0xFFFF, C)));
    return res;
}

// SUBD, CPD, CPX, CPY.
inline uint16_t sub16(uint8_t& cc, uint16_t a, uint16_t m) {
    const uint16_t res = uint16_t(a - m);
    setFlags(cc, N | Z | V | C,
             uint8_t(nz16(res) | flagIf((a ^ m) & (a ^ res) & kSign16, V) | flagIf(m > a, C)));
    return res;
}

// Loads, stores, AND/ORA/EOR/BIT, TAB/TBA, BSET/BCLR: N Z, V cleared, C kept.
inline uint8_t logic8(uint8_t& cc, uint8_t v) {
    setFlags(cc, N | Z | V, nz8(v));
    return v;
}
inline uint16_t logic16(uint8_t& cc, uint16_t v) {
    setFlags(cc, N | Z | V, nz16(v));
    return v;
}

// Shifts and rotates: N Z C from the result and the bit shifted out, V = N xor C.
inline uint8_t shifted8(uint8_t& cc, uint8_t res, bool carryOut) {
    const bool n = res & kSign8;
    setFlags(cc, N | Z | V | C, uint8_t(nz8(res) | flagIf(n != carryOut, V) | flagIf(carryOut, C)));
    return res;
}
inline uint8_t lsr8(uint8_t& cc, uint8_t m) {
    return shifted8(cc, uint8_t(m >> 1), m & 1);
}
inline uint8_t asr8(uint8_t& cc, uint8_t m) {
    return shifted8(cc, uint8_t((m >> 1) | (m & kSign8)), m & 1);
}
inline uint8_t asl8(uint8_t& cc, uint8_t m) {
    return shifted8(cc, uint8_t(m << 1), m & kSign8);
}
inline uint8_t ror8(uint8_t& cc, uint8_t m) {
    return shifted8(cc, uint8_t((m >> 1) | ((cc & C) ? kSign8 : 0)), m & 1);
}
inline uint8_t rol8(uint8_t& cc, uint8_t m) {
    return shifted8(cc, uint8_t((m << 1) | (cc & C)), m & kSign8);
}

inline uint8_t neg8(uint8_t& cc, uint8_t m) {
    const uint8_t res = uint8_t(-m);
    setFlags(cc, N | Z | V | C, uint8_t(nz8(res) | flagIf(res == kSign8, V) | flagIf(res != 0, C)));
    return res;
}
inline uint8_t com8(uint8_t& cc, uint8_t m) {
    const uint8_t res = uint8_t(~m);
    setFlags(cc, N | Z | V | C, uint8_t(nz8(res) | C));
    return res;
}
inline uint8_t dec8(uint8_t& cc, uint8_t m) {
    setFlags(cc, N | Z | V, uint8_t(nz8(uint8_t(m - 1)) | flagIf(m == kSign8, V)));
    return uint8_t(m - 1);
}
inline uint8_t inc8(uint8_t& cc, uint8_t m) {
    setFlags(cc, N | Z | V, uint8_t(nz8(uint8_t(m + 1)) | flagIf(m == kSign8 - 1, V)));
    return uint8_t(m + 1);
}
inline void tst8(uint8_t& cc, uint8_t m) {
    setFlags(cc, N | Z | V | C, nz8(m));
}
inline uint8_t clr8(uint8_t& cc) {
    setFlags(cc, N | Z | V | C, Z);
    return 0;
}

// DAA: decimal adjust of A after a BCD addition, from A, C and H (the DAA table of the
// M68HC11 RM). C is set when the upper digit needed correction; V is undefined on the chip and
// left here as the overflow of the correction add; H is not changed.
inline uint8_t daa(uint8_t& cc, uint8_t a) {
    const unsigned hi = a >> 4, lo = a & 0x0F;
    uint8_t correction = 0;
    if ((cc & H) || lo > 9) correction |= 0x06;
    if ((cc & C) || hi > 9 || (hi > 8 && lo > 9)) correction |= 0x60;
    const uint8_t res = uint8_t(a + correction);
    setFlags(cc, N | Z | V | C,
             uint8_t(nz8(res) | flagIf((a ^ res) & (correction ^ res) & kSign8, V) |
                     flagIf((cc & C) || (correction & 0x60), C)));
    return res;
}

// TAP and RTI may clear X but never set it (MC68HC11A8 TD p. 9-10).
inline uint8_t ccrFromSoftware(uint8_t current, uint8_t wanted) {
    return (current & X) ? wanted : uint8_t(wanted & ~X);
}

// Condition tests of the relative branches (M68HC11 RM, branch summary).
inline bool flag(uint8_t cc, uint8_t f) {
    return cc & f;
}
inline bool nXorV(uint8_t cc) {
    return flag(cc, N) != flag(cc, V);
}

// IDIV: D / X, quotient to X, remainder to D. Divide by zero: X = $FFFF, C set, D left as
// it was (the chip leaves it indeterminate).
inline void idiv(Registers& r) {
    const uint16_t divisor = r.x;
    if (divisor == 0) {
        r.x = 0xFFFF;
        setFlags(r.ccr, Z | V | C, C);
        return;
    }
    const uint16_t dividend = r.d();
    r.x = uint16_t(dividend / divisor);
    r.setD(uint16_t(dividend % divisor));
    setFlags(r.ccr, Z | V | C, flagIf(r.x == 0, Z));
}

// FDIV: (D * 65536) / X, a fraction when D < X. X <= D (divide by zero included)
// overflows: X = $FFFF, V set, D left as it was.
inline void fdiv(Registers& r) {
    const uint16_t divisor = r.x, numerator = r.d();
    if (divisor <= numerator) {
        r.x = 0xFFFF;
        setFlags(r.ccr, Z | V | C, uint8_t(V | flagIf(divisor == 0, C)));
        return;
    }
    const uint32_t dividend = uint32_t(numerator) << 16;
    r.x = uint16_t(dividend / divisor);
    r.setD(uint16_t(dividend % divisor));
    setFlags(r.ccr, Z | V | C, flagIf(r.x == 0, Z));
}

// NEG, COM, shifts, INC, DEC on a memory byte: read, modify, write back.
template <uint8_t (*Op)(uint8_t&, uint8_t)>
inline void modify(Bus& bus, uint8_t& cc, uint16_t a) {
    bus.write(a, Op(cc, bus.read(a)));
}

// INX, DEX, INY, DEY: only Z is affected.
inline void stepIndex(uint8_t& cc, uint16_t& reg, int delta) {
    reg = uint16_t(reg + delta);
    setFlags(cc, Z, flagIf(reg == 0, Z));
}

// LSRD: N cleared, C = bit 0, V = N xor C = C.
inline void lsrd(Registers& r) {
    const uint16_t d = r.d();
    r.setD(uint16_t(d >> 1));
    setFlags(r.ccr, N | Z | V | C, uint8_t(flagIf(d <= 1, Z) | flagIf(d & 1, V | C)));
}

inline void asld(Registers& r) {
    const uint16_t d = r.d();
    const uint16_t res = uint16_t(d << 1);
    const bool carry = d & kSign16, negative = res & kSign16;
    r.setD(res);
    setFlags(r.ccr, N | Z | V | C, uint8_t(nz16(res) | flagIf(carry != negative, V) | flagIf(carry, C)));
}

// MUL: D = A * B; C = bit 7 of the low byte, so that ADCA #0 rounds the high byte.
inline void mul(Registers& r) {
    r.setD(uint16_t(r.a * r.b));
    setFlags(r.ccr, C, flagIf(r.b & kSign8, C));
}

// XGDX, XGDY.
inline void exchangeD(Registers& r, uint16_t& reg) {
    const uint16_t d = r.d();
    r.setD(reg);
    reg = d;
}

} // namespace

Cpu::Cpu(Bus& bus)
    : bus_(bus) {
    r.ccr = S | X | I;
}

void Cpu::reset() {
    r.ccr = S | X | I;
    state_ = State::Running;
    inTest_ = false;
    event_ = Event::None;
    stopRequested_ = false;
    r.pc = vector(vec::Reset);
}

void Cpu::jump(uint16_t pc) {
    r.pc = pc;
    state_ = State::Running;
    inTest_ = false;
}

void Cpu::restore(const Registers& before) {
    r = before;
    state_ = State::Running;
    inTest_ = false;
    event_ = Event::None;
    stopRequested_ = false;
}

void Cpu::trap(uint16_t vectorOffset) {
    state_ = State::Running;
    inTest_ = false;
    stackFrame();
    r.ccr |= I;
    r.pc = vector(vectorOffset);
}

// ---------------------------------------------------------------------------------------
// Memory access and operand fetch

inline uint8_t Cpu::rd(uint16_t a) {
    return bus_.read(a);
}
inline void Cpu::wr(uint16_t a, uint8_t v) {
    bus_.write(a, v);
}
inline uint16_t Cpu::rd16(uint16_t a) {
    const uint8_t hi = rd(a);
    const uint8_t lo = rd(uint16_t(a + 1));
    return uint16_t(hi << 8 | lo);
}
inline void Cpu::wr16(uint16_t a, uint16_t v) {
    wr(a, uint8_t(v >> 8));
    wr(uint16_t(a + 1), uint8_t(v));
}
inline uint8_t Cpu::fetch() {
    return rd(r.pc++);
}
inline uint16_t Cpu::fetch16() {
    const uint8_t hi = fetch();
    const uint8_t lo = fetch();
    return uint16_t(hi << 8 | lo);
}
inline uint16_t Cpu::indexed(uint16_t base) {
    return uint16_t(base + fetch());
}

// The stack grows down; SP points at the next free byte.
inline void Cpu::push(uint8_t v) {
    wr(r.sp--, v);
}
inline uint8_t Cpu::pull() {
    return rd(++r.sp);
}
inline void Cpu::push16(uint16_t v) {
    push(uint8_t(v));
    push(uint8_t(v >> 8));
}
inline uint16_t Cpu::pull16() {
    const uint8_t hi = pull();
    const uint8_t lo = pull();
    return uint16_t(hi << 8 | lo);
}

inline void Cpu::branchIf(bool taken) {
    const int8_t offset = int8_t(fetch());
    if (taken) r.pc = uint16_t(r.pc + offset);
}

// BSET/BCLR: the mask follows the address byte; N Z from the result, V cleared.
inline void Cpu::bitSet(uint16_t a) {
    const uint8_t mask = fetch();
    wr(a, logic8(r.ccr, uint8_t(rd(a) | mask)));
}
inline void Cpu::bitClear(uint16_t a) {
    const uint8_t mask = fetch();
    wr(a, logic8(r.ccr, uint8_t(rd(a) & ~mask)));
}
// BRSET branches when every mask bit is set in the operand, BRCLR when every one is
// clear. No condition code changes.
inline void Cpu::branchIfBitsSet(uint16_t a) {
    const uint8_t mask = fetch();
    branchIf((rd(a) & mask) == mask);
}
inline void Cpu::branchIfBitsClear(uint16_t a) {
    const uint8_t mask = fetch();
    branchIf((rd(a) & mask) == 0);
}

// JSR stacks the address of the next instruction, low byte first.
inline void Cpu::callSubroutine(uint16_t target) {
    push16(r.pc);
    r.pc = target;
}
inline void Cpu::branchToSubroutine() {
    const int8_t offset = int8_t(fetch());
    callSubroutine(uint16_t(r.pc + offset));
}

// ---------------------------------------------------------------------------------------
// Exception processing

// The interrupt frame (MC68HC11A8 TD figure 9-3): PCL is stacked first, so that from the
// final SP + 1 upward memory reads CCR, B, A, XH, XL, YH, YL, PCH, PCL.
void Cpu::stackFrame() {
    push16(r.pc);
    push16(r.y);
    push16(r.x);
    push(r.a);
    push(r.b);
    push(r.ccr);
}

uint16_t Cpu::vector(uint16_t offset) {
    return rd16(uint16_t(bus_.vectorBase + offset));
}

void Cpu::raise(Event e) {
    if (stopOnEvents) {
        event_ = e;
        stopRequested_ = true;
    }
}

bool Cpu::serviceInterrupt() {
    if (bus_.xirqAsserted && !(r.ccr & X)) {
        stackFrame();
        r.ccr |= X | I;
        r.pc = vector(vec::Xirq);
    } else if (bus_.irqAsserted && !(r.ccr & I)) {
        stackFrame();
        r.ccr |= I;
        r.pc = vector(bus_.maskableVectorOffset());
    } else {
        return false;
    }
    bus_.cycles += timing::kInterruptEntryCycles;
    return true;
}

bool Cpu::wakeable() const {
    if (inTest_ || state_ == State::Running) return false;
    if (state_ == State::Waiting)
        return (bus_.xirqAsserted && !(r.ccr & X)) || (bus_.irqAsserted && !(r.ccr & I));
    return bus_.xirqAsserted || (bus_.irqPinAsserted && !(r.ccr & I));
}

bool Cpu::wake() {
    if (inTest_) return false;
    if (state_ == State::Waiting) {
        // WAI stacked the frame already: only the vector is fetched.
        if (bus_.xirqAsserted && !(r.ccr & X)) {
            r.ccr |= X | I;
            r.pc = vector(vec::Xirq);
        } else if (bus_.irqAsserted && !(r.ccr & I)) {
            r.ccr |= I;
            r.pc = vector(bus_.maskableVectorOffset());
        } else {
            return false;
        }
        bus_.cycles += timing::kWaiWakeCycles;
        state_ = State::Running;
        return true;
    }
    // Stopped: only the IRQ and XIRQ pins (or reset) restart the clocks. An unmasked
    // one is taken normally; XIRQ masked by X resumes with the instruction after STOP
    // (M68HC11 RM 5.x, STOP). The oscillator first takes bus.stopRecoveryCycles.
    const bool xirq = bus_.xirqAsserted;
    const bool irq = bus_.irqPinAsserted && !(r.ccr & I);
    if (!xirq && !irq) return false;
    bus_.cycles += bus_.stopRecoveryCycles;
    state_ = State::Running;
    if (!(xirq && (r.ccr & X))) serviceInterrupt();
    return true;
}

// RTI unstacks the whole frame; X cannot be set again once software cleared it.
void Cpu::returnFromInterrupt() {
    const uint8_t stacked = pull();
    r.b = pull();
    r.a = pull();
    r.x = pull16();
    r.y = pull16();
    r.pc = pull16();
    r.ccr = ccrFromSoftware(r.ccr, stacked);
}

bool Cpu::illegalOpcode(uint16_t opPc, bool prebyte) {
    // The stacked PC is the address of the first byte of the opcode, prebyte included.
    illegalPc_ = opPc;
    r.pc = opPc;
    stackFrame();
    r.ccr |= I;
    r.pc = vector(vec::IllegalOpcode);
    bus_.cycles += timing::kIllegalTrapCycles + (prebyte ? timing::kPrebyteFetchCycles : 0);
    raise(Event::IllegalOpcode);
    return !stopRequested_;
}

void Cpu::traceInstruction() {
    constexpr int kMaxLength = 5;
    const uint16_t pc = r.pc;
    const uint8_t first = rd(pc);
    const Page page = pageOfPrebyte(first);
    const OpInfo& info = page == Page::None ? opInfo(page, first) : opInfo(page, rd(uint16_t(pc + 1)));
    const int length = (page == Page::None && !info.legalIn(bus_.specialMode)) ? 1 : info.length;
    uint8_t bytes[kMaxLength] = {};
    for (int i = 0; i < length && i < kMaxLength; ++i)
        bytes[i] = rd(uint16_t(pc + i));
    trace_->instruction(bus_.cycles, pc, bytes, length, r);
}

// ---------------------------------------------------------------------------------------
// Page 1 (no prebyte)

inline bool Cpu::execute() {
    ++instructions_;
    const uint16_t opPc = opPc_ = r.pc;
    const uint8_t op = fetch();
    uint8_t& cc = r.ccr;
    Bus& bus = bus_;
    switch (op) {
    case 0x00: // TEST: never completes (see the top of this file)
        if (!bus.specialMode) return illegalOpcode(opPc, false);
        r.pc = opPc;
        inTest_ = true;
        bus.cycles += opInfo(Page::None, op).cycles;
        return false;
    case 0x01: break; // NOP
    case 0x02: idiv(r); break;
    case 0x03: fdiv(r); break;
    case 0x04: lsrd(r); break;
    case 0x05: asld(r); break;
    case 0x06: cc = ccrFromSoftware(cc, r.a); break;   // TAP
    case 0x07: r.a = cc; break;                        // TPA
    case 0x08: stepIndex(cc, r.x, 1); break;           // INX
    case 0x09: stepIndex(cc, r.x, -1); break;          // DEX
    case 0x0A: cc &= uint8_t(~V); break;               // CLV
    case 0x0B: cc |= V; break;                         // SEV
    case 0x0C: cc &= uint8_t(~C); break;               // CLC
    case 0x0D: cc |= C; break;                         // SEC
    case 0x0E: cc &= uint8_t(~I); break;               // CLI
    case 0x0F: cc |= I; break;                         // SEI
    case 0x10: r.a = sub8(cc, r.a, r.b, false); break; // SBA
    case 0x11: sub8(cc, r.a, r.b, false); break;       // CBA
    case 0x12: branchIfBitsSet(fetch()); break;        // BRSET dd mm rr
    case 0x13: branchIfBitsClear(fetch()); break;      // BRCLR dd mm rr
    case 0x14: bitSet(fetch()); break;                 // BSET dd mm
    case 0x15: bitClear(fetch()); break;               // BCLR dd mm
    case 0x16: r.b = logic8(cc, r.a); break;           // TAB
    case 0x17: r.a = logic8(cc, r.b); break;           // TBA
    case kPrebyte18: return executePage18(opPc);
    case 0x19: r.a = daa(cc, r.a); break;
    case kPrebyte1A: return executePage1A(opPc);
    case 0x1B: r.a = add8(cc, r.a, r.b, false); break; // ABA
    case 0x1C: bitSet(indexed(r.x)); break;            // BSET ff,X mm
    case 0x1D: bitClear(indexed(r.x)); break;          // BCLR ff,X mm
    case 0x1E: branchIfBitsSet(indexed(r.x)); break;   // BRSET ff,X mm rr
    case 0x1F: branchIfBitsClear(indexed(r.x)); break; // BRCLR ff,X mm rr

    case 0x20: branchIf(true); break;                         // BRA
    case 0x21: branchIf(false); break;                        // BRN
    case 0x22: branchIf(!flag(cc, C) && !flag(cc, Z)); break; // BHI
    case 0x23: branchIf(flag(cc, C) || flag(cc, Z)); break;   // BLS
    case 0x24: branchIf(!flag(cc, C)); break;                 // BCC
    case 0x25: branchIf(flag(cc, C)); break;                  // BCS
    case 0x26: branchIf(!flag(cc, Z)); break;                 // BNE
    case 0x27: branchIf(flag(cc, Z)); break;                  // BEQ
    case 0x28: branchIf(!flag(cc, V)); break;                 // BVC
    case 0x29: branchIf(flag(cc, V)); break;                  // BVS
    case 0x2A: branchIf(!flag(cc, N)); break;                 // BPL
    case 0x2B: branchIf(flag(cc, N)); break;                  // BMI
    case 0x2C: branchIf(!nXorV(cc)); break;                   // BGE
    case 0x2D: branchIf(nXorV(cc)); break;                    // BLT
    case 0x2E: branchIf(!flag(cc, Z) && !nXorV(cc)); break;   // BGT
    case 0x2F: branchIf(flag(cc, Z) || nXorV(cc)); break;     // BLE

    case 0x30: r.x = uint16_t(r.sp + 1); break;  // TSX
    case 0x31: ++r.sp; break;                    // INS
    case 0x32: r.a = pull(); break;              // PULA
    case 0x33: r.b = pull(); break;              // PULB
    case 0x34: --r.sp; break;                    // DES
    case 0x35: r.sp = uint16_t(r.x - 1); break;  // TXS
    case 0x36: push(r.a); break;                 // PSHA
    case 0x37: push(r.b); break;                 // PSHB
    case 0x38: r.x = pull16(); break;            // PULX
    case 0x39: r.pc = pull16(); break;           // RTS
    case 0x3A: r.x = uint16_t(r.x + r.b); break; // ABX
    case 0x3B: returnFromInterrupt(); break;     // RTI
    case 0x3C: push16(r.x); break;               // PSHX
    case 0x3D: mul(r); break;                    // MUL
    case 0x3E:                                   // WAI: stack the frame now, then wait for an interrupt
        stackFrame();
        state_ = State::Waiting;
        bus.cycles += opInfo(Page::None, op).cycles;
        raise(Event::Wai);
        return false;
    case 0x3F: // SWI: stacks the address after itself
        stackFrame();
        cc |= I;
        r.pc = vector(vec::Swi);
        break;

    case 0x40: r.a = neg8(cc, r.a); break;
    case 0x43: r.a = com8(cc, r.a); break;
    case 0x44: r.a = lsr8(cc, r.a); break;
    case 0x46: r.a = ror8(cc, r.a); break;
    case 0x47: r.a = asr8(cc, r.a); break;
    case 0x48: r.a = asl8(cc, r.a); break;
    case 0x49: r.a = rol8(cc, r.a); break;
    case 0x4A: r.a = dec8(cc, r.a); break;
    case 0x4C: r.a = inc8(cc, r.a); break;
    case 0x4D: tst8(cc, r.a); break;
    case 0x4F: r.a = clr8(cc); break;

    case 0x50: r.b = neg8(cc, r.b); break;
    case 0x53: r.b = com8(cc, r.b); break;
    case 0x54: r.b = lsr8(cc, r.b); break;
    case 0x56: r.b = ror8(cc, r.b); break;
    case 0x57: r.b = asr8(cc, r.b); break;
    case 0x58: r.b = asl8(cc, r.b); break;
    case 0x59: r.b = rol8(cc, r.b); break;
    case 0x5A: r.b = dec8(cc, r.b); break;
    case 0x5C: r.b = inc8(cc, r.b); break;
    case 0x5D: tst8(cc, r.b); break;
    case 0x5F: r.b = clr8(cc); break;

    case 0x60: modify<neg8>(bus, cc, indexed(r.x)); break;
    case 0x63: modify<com8>(bus, cc, indexed(r.x)); break;
    case 0x64: modify<lsr8>(bus, cc, indexed(r.x)); break;
    case 0x66: modify<ror8>(bus, cc, indexed(r.x)); break;
    case 0x67: modify<asr8>(bus, cc, indexed(r.x)); break;
    case 0x68: modify<asl8>(bus, cc, indexed(r.x)); break;
    case 0x69: modify<rol8>(bus, cc, indexed(r.x)); break;
    case 0x6A: modify<dec8>(bus, cc, indexed(r.x)); break;
    case 0x6C: modify<inc8>(bus, cc, indexed(r.x)); break;
    case 0x6D: tst8(cc, rd(indexed(r.x))); break;
    case 0x6E: r.pc = indexed(r.x); break; // JMP
    case 0x6F: wr(indexed(r.x), clr8(cc)); break;

    case 0x70: modify<neg8>(bus, cc, fetch16()); break;
    case 0x73: modify<com8>(bus, cc, fetch16()); break;
    case 0x74: modify<lsr8>(bus, cc, fetch16()); break;
    case 0x76: modify<ror8>(bus, cc, fetch16()); break;
    case 0x77: modify<asr8>(bus, cc, fetch16()); break;
    case 0x78: modify<asl8>(bus, cc, fetch16()); break;
    case 0x79: modify<rol8>(bus, cc, fetch16()); break;
    case 0x7A: modify<dec8>(bus, cc, fetch16()); break;
    case 0x7C: modify<inc8>(bus, cc, fetch16()); break;
    case 0x7D: tst8(cc, rd(fetch16())); break;
    case 0x7E: r.pc = fetch16(); break; // JMP
    case 0x7F: wr(fetch16(), clr8(cc)); break;

    // Accumulator A and the 16-bit operations on SP, X and D: immediate $8x, direct $9x,
    // indexed X $Ax, extended $Bx. A direct address is the operand byte itself ($00-$FF).
    case 0x80: r.a = sub8(cc, r.a, fetch(), false); break; // SUBA
    case 0x90: r.a = sub8(cc, r.a, rd(fetch()), false); break;
    case 0xA0: r.a = sub8(cc, r.a, rd(indexed(r.x)), false); break;
    case 0xB0: r.a = sub8(cc, r.a, rd(fetch16()), false); break;
    case 0x81: sub8(cc, r.a, fetch(), false); break; // CMPA
    case 0x91: sub8(cc, r.a, rd(fetch()), false); break;
    case 0xA1: sub8(cc, r.a, rd(indexed(r.x)), false); break;
    case 0xB1: sub8(cc, r.a, rd(fetch16()), false); break;
    case 0x82: r.a = sub8(cc, r.a, fetch(), cc & C); break; // SBCA
    case 0x92: r.a = sub8(cc, r.a, rd(fetch()), cc & C); break;
    case 0xA2: r.a = sub8(cc, r.a, rd(indexed(r.x)), cc & C); break;
    case 0xB2: r.a = sub8(cc, r.a, rd(fetch16()), cc & C); break;
    case 0x83: r.setD(sub16(cc, r.d(), fetch16())); break; // SUBD
    case 0x93: r.setD(sub16(cc, r.d(), rd16(fetch()))); break;
    case 0xA3: r.setD(sub16(cc, r.d(), rd16(indexed(r.x)))); break;
    case 0xB3: r.setD(sub16(cc, r.d(), rd16(fetch16()))); break;
    case 0x84: r.a = logic8(cc, r.a & fetch()); break; // ANDA
    case 0x94: r.a = logic8(cc, r.a & rd(fetch())); break;
    case 0xA4: r.a = logic8(cc, r.a & rd(indexed(r.x))); break;
    case 0xB4: r.a = logic8(cc, r.a & rd(fetch16())); break;
    case 0x85: logic8(cc, r.a & fetch()); break; // BITA
    case 0x95: logic8(cc, r.a & rd(fetch())); break;
    case 0xA5: logic8(cc, r.a & rd(indexed(r.x))); break;
    case 0xB5: logic8(cc, r.a & rd(fetch16())); break;
    case 0x86: r.a = logic8(cc, fetch()); break; // LDAA
    case 0x96: r.a = logic8(cc, rd(fetch())); break;
    case 0xA6: r.a = logic8(cc, rd(indexed(r.x))); break;
    case 0xB6: r.a = logic8(cc, rd(fetch16())); break;
    case 0x97: wr(fetch(), logic8(cc, r.a)); break; // STAA
    case 0xA7: wr(indexed(r.x), logic8(cc, r.a)); break;
    case 0xB7: wr(fetch16(), logic8(cc, r.a)); break;
    case 0x88: r.a = logic8(cc, r.a ^ fetch()); break; // EORA
    case 0x98: r.a = logic8(cc, r.a ^ rd(fetch())); break;
    case 0xA8: r.a = logic8(cc, r.a ^ rd(indexed(r.x))); break;
    case 0xB8: r.a = logic8(cc, r.a ^ rd(fetch16())); break;
    case 0x89: r.a = add8(cc, r.a, fetch(), cc & C); break; // ADCA
    case 0x99: r.a = add8(cc, r.a, rd(fetch()), cc & C); break;
    case 0xA9: r.a = add8(cc, r.a, rd(indexed(r.x)), cc & C); break;
    case 0xB9: r.a = add8(cc, r.a, rd(fetch16()), cc & C); break;
    case 0x8A: r.a = logic8(cc, r.a | fetch()); break; // ORAA
    case 0x9A: r.a = logic8(cc, r.a | rd(fetch())); break;
    case 0xAA: r.a = logic8(cc, r.a | rd(indexed(r.x))); break;
    case 0xBA: r.a = logic8(cc, r.a | rd(fetch16())); break;
    case 0x8B: r.a = add8(cc, r.a, fetch(), false); break; // ADDA
    case 0x9B: r.a = add8(cc, r.a, rd(fetch()), false); break;
    case 0xAB: r.a = add8(cc, r.a, rd(indexed(r.x)), false); break;
    case 0xBB: r.a = add8(cc, r.a, rd(fetch16()), false); break;
    case 0x8C: sub16(cc, r.x, fetch16()); break; // CPX
    case 0x9C: sub16(cc, r.x, rd16(fetch())); break;
    case 0xAC: sub16(cc, r.x, rd16(indexed(r.x))); break;
    case 0xBC: sub16(cc, r.x, rd16(fetch16())); break;
    case 0x8D: branchToSubroutine(); break;    // BSR
    case 0x9D: callSubroutine(fetch()); break; // JSR
    case 0xAD: callSubroutine(indexed(r.x)); break;
    case 0xBD: callSubroutine(fetch16()); break;
    case 0x8E: r.sp = logic16(cc, fetch16()); break; // LDS
    case 0x9E: r.sp = logic16(cc, rd16(fetch())); break;
    case 0xAE: r.sp = logic16(cc, rd16(indexed(r.x))); break;
    case 0xBE: r.sp = logic16(cc, rd16(fetch16())); break;
    case 0x8F: exchangeD(r, r.x); break;                // XGDX
    case 0x9F: wr16(fetch(), logic16(cc, r.sp)); break; // STS
    case 0xAF: wr16(indexed(r.x), logic16(cc, r.sp)); break;
    case 0xBF: wr16(fetch16(), logic16(cc, r.sp)); break;

    // Accumulator B, and D and X loads and stores: immediate $Cx, direct $Dx, indexed X $Ex,
    // extended $Fx.
    case 0xC0: r.b = sub8(cc, r.b, fetch(), false); break; // SUBB
    case 0xD0: r.b = sub8(cc, r.b, rd(fetch()), false); break;
    case 0xE0: r.b = sub8(cc, r.b, rd(indexed(r.x)), false); break;
    case 0xF0: r.b = sub8(cc, r.b, rd(fetch16()), false); break;
    case 0xC1: sub8(cc, r.b, fetch(), false); break; // CMPB
    case 0xD1: sub8(cc, r.b, rd(fetch()), false); break;
    case 0xE1: sub8(cc, r.b, rd(indexed(r.x)), false); break;
    case 0xF1: sub8(cc, r.b, rd(fetch16()), false); break;
    case 0xC2: r.b = sub8(cc, r.b, fetch(), cc & C); break; // SBCB
    case 0xD2: r.b = sub8(cc, r.b, rd(fetch()), cc & C); break;
    case 0xE2: r.b = sub8(cc, r.b, rd(indexed(r.x)), cc & C); break;
    case 0xF2: r.b = sub8(cc, r.b, rd(fetch16()), cc & C); break;
    case 0xC3: r.setD(add16(cc, r.d(), fetch16())); break; // ADDD
    case 0xD3: r.setD(add16(cc, r.d(), rd16(fetch()))); break;
    case 0xE3: r.setD(add16(cc, r.d(), rd16(indexed(r.x)))); break;
    case 0xF3: r.setD(add16(cc, r.d(), rd16(fetch16()))); break;
    case 0xC4: r.b = logic8(cc, r.b & fetch()); break; // ANDB
    case 0xD4: r.b = logic8(cc, r.b & rd(fetch())); break;
    case 0xE4: r.b = logic8(cc, r.b & rd(indexed(r.x))); break;
    case 0xF4: r.b = logic8(cc, r.b & rd(fetch16())); break;
    case 0xC5: logic8(cc, r.b & fetch()); break; // BITB
    case 0xD5: logic8(cc, r.b & rd(fetch())); break;
    case 0xE5: logic8(cc, r.b & rd(indexed(r.x))); break;
    case 0xF5: logic8(cc, r.b & rd(fetch16())); break;
    case 0xC6: r.b = logic8(cc, fetch()); break; // LDAB
    case 0xD6: r.b = logic8(cc, rd(fetch())); break;
    case 0xE6: r.b = logic8(cc, rd(indexed(r.x))); break;
    case 0xF6: r.b = logic8(cc, rd(fetch16())); break;
    case 0xD7: wr(fetch(), logic8(cc, r.b)); break; // STAB
    case 0xE7: wr(indexed(r.x), logic8(cc, r.b)); break;
    case 0xF7: wr(fetch16(), logic8(cc, r.b)); break;
    case 0xC8: r.b = logic8(cc, r.b ^ fetch()); break; // EORB
    case 0xD8: r.b = logic8(cc, r.b ^ rd(fetch())); break;
    case 0xE8: r.b = logic8(cc, r.b ^ rd(indexed(r.x))); break;
    case 0xF8: r.b = logic8(cc, r.b ^ rd(fetch16())); break;
    case 0xC9: r.b = add8(cc, r.b, fetch(), cc & C); break; // ADCB
    case 0xD9: r.b = add8(cc, r.b, rd(fetch()), cc & C); break;
    case 0xE9: r.b = add8(cc, r.b, rd(indexed(r.x)), cc & C); break;
    case 0xF9: r.b = add8(cc, r.b, rd(fetch16()), cc & C); break;
    case 0xCA: r.b = logic8(cc, r.b | fetch()); break; // ORAB
    case 0xDA: r.b = logic8(cc, r.b | rd(fetch())); break;
    case 0xEA: r.b = logic8(cc, r.b | rd(indexed(r.x))); break;
    case 0xFA: r.b = logic8(cc, r.b | rd(fetch16())); break;
    case 0xCB: r.b = add8(cc, r.b, fetch(), false); break; // ADDB
    case 0xDB: r.b = add8(cc, r.b, rd(fetch()), false); break;
    case 0xEB: r.b = add8(cc, r.b, rd(indexed(r.x)), false); break;
    case 0xFB: r.b = add8(cc, r.b, rd(fetch16()), false); break;
    case 0xCC: r.setD(logic16(cc, fetch16())); break; // LDD
    case 0xDC: r.setD(logic16(cc, rd16(fetch()))); break;
    case 0xEC: r.setD(logic16(cc, rd16(indexed(r.x)))); break;
    case 0xFC: r.setD(logic16(cc, rd16(fetch16()))); break;
    case kPrebyteCD: return executePageCD(opPc);
    case 0xDD: wr16(fetch(), logic16(cc, r.d())); break; // STD
    case 0xED: wr16(indexed(r.x), logic16(cc, r.d())); break;
    case 0xFD: wr16(fetch16(), logic16(cc, r.d())); break;
    case 0xCE: r.x = logic16(cc, fetch16()); break; // LDX
    case 0xDE: r.x = logic16(cc, rd16(fetch())); break;
    case 0xEE: r.x = logic16(cc, rd16(indexed(r.x))); break;
    case 0xFE: r.x = logic16(cc, rd16(fetch16())); break;
    case 0xCF: // STOP: a no-op while S is set (MC68HC711D3 DS 4.4.1)
        if (cc & S) break;
        state_ = State::Stopped;
        bus.cycles += opInfo(Page::None, op).cycles;
        // Hand back to the board at once: the clocks stop at this very cycle.
        bus.eventLimit = bus.cycles;
        raise(Event::Stop);
        return false;
    case 0xDF: wr16(fetch(), logic16(cc, r.x)); break; // STX
    case 0xEF: wr16(indexed(r.x), logic16(cc, r.x)); break;
    case 0xFF: wr16(fetch16(), logic16(cc, r.x)); break;

    default: return illegalOpcode(opPc, false);
    }
    bus.cycles += opInfo(Page::None, op).cycles;
    return true;
}

// ---------------------------------------------------------------------------------------
// Page 2 (prebyte $18): the Y register and the Y-indexed forms

bool Cpu::executePage18(uint16_t opPc) {
    const uint8_t op = fetch();
    uint8_t& cc = r.ccr;
    Bus& bus = bus_;
    switch (op) {
    case 0x08: stepIndex(cc, r.y, 1); break;           // INY
    case 0x09: stepIndex(cc, r.y, -1); break;          // DEY
    case 0x1C: bitSet(indexed(r.y)); break;            // BSET ff,Y mm
    case 0x1D: bitClear(indexed(r.y)); break;          // BCLR ff,Y mm
    case 0x1E: branchIfBitsSet(indexed(r.y)); break;   // BRSET ff,Y mm rr
    case 0x1F: branchIfBitsClear(indexed(r.y)); break; // BRCLR ff,Y mm rr
    case 0x30: r.y = uint16_t(r.sp + 1); break;        // TSY
    case 0x35: r.sp = uint16_t(r.y - 1); break;        // TYS
    case 0x38: r.y = pull16(); break;                  // PULY
    case 0x3A: r.y = uint16_t(r.y + r.b); break;       // ABY
    case 0x3C: push16(r.y); break;                     // PSHY

    case 0x60: modify<neg8>(bus, cc, indexed(r.y)); break;
    case 0x63: modify<com8>(bus, cc, indexed(r.y)); break;
    case 0x64: modify<lsr8>(bus, cc, indexed(r.y)); break;
    case 0x66: modify<ror8>(bus, cc, indexed(r.y)); break;
    case 0x67: modify<asr8>(bus, cc, indexed(r.y)); break;
    case 0x68: modify<asl8>(bus, cc, indexed(r.y)); break;
    case 0x69: modify<rol8>(bus, cc, indexed(r.y)); break;
    case 0x6A: modify<dec8>(bus, cc, indexed(r.y)); break;
    case 0x6C: modify<inc8>(bus, cc, indexed(r.y)); break;
    case 0x6D: tst8(cc, rd(indexed(r.y))); break;
    case 0x6E: r.pc = indexed(r.y); break; // JMP
    case 0x6F: wr(indexed(r.y), clr8(cc)); break;

    case 0x8C: sub16(cc, r.y, fetch16()); break; // CPY
    case 0x9C: sub16(cc, r.y, rd16(fetch())); break;
    case 0xAC: sub16(cc, r.y, rd16(indexed(r.y))); break;
    case 0xBC: sub16(cc, r.y, rd16(fetch16())); break;
    case 0x8F: exchangeD(r, r.y); break; // XGDY

    case 0xA0: r.a = sub8(cc, r.a, rd(indexed(r.y)), false); break;  // SUBA
    case 0xA1: sub8(cc, r.a, rd(indexed(r.y)), false); break;        // CMPA
    case 0xA2: r.a = sub8(cc, r.a, rd(indexed(r.y)), cc & C); break; // SBCA
    case 0xA3: r.setD(sub16(cc, r.d(), rd16(indexed(r.y)))); break;  // SUBD
    case 0xA4: r.a = logic8(cc, r.a & rd(indexed(r.y))); break;      // ANDA
    case 0xA5: logic8(cc, r.a & rd(indexed(r.y))); break;            // BITA
    case 0xA6: r.a = logic8(cc, rd(indexed(r.y))); break;            // LDAA
    case 0xA7: wr(indexed(r.y), logic8(cc, r.a)); break;             // STAA
    case 0xA8: r.a = logic8(cc, r.a ^ rd(indexed(r.y))); break;      // EORA
    case 0xA9: r.a = add8(cc, r.a, rd(indexed(r.y)), cc & C); break; // ADCA
    case 0xAA: r.a = logic8(cc, r.a | rd(indexed(r.y))); break;      // ORAA
    case 0xAB: r.a = add8(cc, r.a, rd(indexed(r.y)), false); break;  // ADDA
    case 0xAD: callSubroutine(indexed(r.y)); break;                  // JSR
    case 0xAE: r.sp = logic16(cc, rd16(indexed(r.y))); break;        // LDS
    case 0xAF: wr16(indexed(r.y), logic16(cc, r.sp)); break;         // STS

    case 0xCE: r.y = logic16(cc, fetch16()); break; // LDY
    case 0xDE: r.y = logic16(cc, rd16(fetch())); break;
    case 0xEE: r.y = logic16(cc, rd16(indexed(r.y))); break;
    case 0xFE: r.y = logic16(cc, rd16(fetch16())); break;
    case 0xDF: wr16(fetch(), logic16(cc, r.y)); break; // STY
    case 0xEF: wr16(indexed(r.y), logic16(cc, r.y)); break;
    case 0xFF: wr16(fetch16(), logic16(cc, r.y)); break;

    case 0xE0: r.b = sub8(cc, r.b, rd(indexed(r.y)), false); break;  // SUBB
    case 0xE1: sub8(cc, r.b, rd(indexed(r.y)), false); break;        // CMPB
    case 0xE2: r.b = sub8(cc, r.b, rd(indexed(r.y)), cc & C); break; // SBCB
    case 0xE3: r.setD(add16(cc, r.d(), rd16(indexed(r.y)))); break;  // ADDD
    case 0xE4: r.b = logic8(cc, r.b & rd(indexed(r.y))); break;      // ANDB
    case 0xE5: logic8(cc, r.b & rd(indexed(r.y))); break;            // BITB
    case 0xE6: r.b = logic8(cc, rd(indexed(r.y))); break;            // LDAB
    case 0xE7: wr(indexed(r.y), logic8(cc, r.b)); break;             // STAB
    case 0xE8: r.b = logic8(cc, r.b ^ rd(indexed(r.y))); break;      // EORB
    case 0xE9: r.b = add8(cc, r.b, rd(indexed(r.y)), cc & C); break; // ADCB
    case 0xEA: r.b = logic8(cc, r.b | rd(indexed(r.y))); break;      // ORAB
    case 0xEB: r.b = add8(cc, r.b, rd(indexed(r.y)), false); break;  // ADDB
    case 0xEC: r.setD(logic16(cc, rd16(indexed(r.y)))); break;       // LDD
    case 0xED: wr16(indexed(r.y), logic16(cc, r.d())); break;        // STD

    default: return illegalOpcode(opPc, true);
    }
    bus.cycles += opInfo(Page::P18, op).cycles;
    return true;
}

// ---------------------------------------------------------------------------------------
// Page 3 (prebyte $1A): CPD, and CPY/LDY/STY indexed by X

bool Cpu::executePage1A(uint16_t opPc) {
    const uint8_t op = fetch();
    uint8_t& cc = r.ccr;
    switch (op) {
    case 0x83: sub16(cc, r.d(), fetch16()); break; // CPD
    case 0x93: sub16(cc, r.d(), rd16(fetch())); break;
    case 0xA3: sub16(cc, r.d(), rd16(indexed(r.x))); break;
    case 0xB3: sub16(cc, r.d(), rd16(fetch16())); break;
    case 0xAC: sub16(cc, r.y, rd16(indexed(r.x))); break;    // CPY
    case 0xEE: r.y = logic16(cc, rd16(indexed(r.x))); break; // LDY
    case 0xEF: wr16(indexed(r.x), logic16(cc, r.y)); break;  // STY
    default: return illegalOpcode(opPc, true);
    }
    bus_.cycles += opInfo(Page::P1A, op).cycles;
    return true;
}

// ---------------------------------------------------------------------------------------
// Page 4 (prebyte $CD): CPD, CPX, LDX, STX indexed by Y

bool Cpu::executePageCD(uint16_t opPc) {
    const uint8_t op = fetch();
    uint8_t& cc = r.ccr;
    switch (op) {
    case 0xA3: sub16(cc, r.d(), rd16(indexed(r.y))); break;  // CPD
    case 0xAC: sub16(cc, r.x, rd16(indexed(r.y))); break;    // CPX
    case 0xEE: r.x = logic16(cc, rd16(indexed(r.y))); break; // LDX
    case 0xEF: wr16(indexed(r.y), logic16(cc, r.x)); break;  // STX
    default: return illegalOpcode(opPc, true);
    }
    bus_.cycles += opInfo(Page::PCD, op).cycles;
    return true;
}

// ---------------------------------------------------------------------------------------
// Bus cycle of an operand access

// Where, in the instruction at opPc_, the operand at `address` is read or written,
// counted in E cycles from the instruction's first cycle. From the cycle-by-cycle tables
// (MC68HC11A8 TD tables 10-2 to 10-8; M68HC11 RM, cycle-by-cycle operation): the opcode
// and operand bytes are fetched first, an indexed mode then spends one cycle adding the
// offset ($FFFF on the address bus), and a load or an arithmetic instruction reads its
// operand in its last cycle, the two bytes of a 16-bit operand in the last two (LDAA
// dir, ext, ind,X, ind,Y: cycle 3, 4, 4, 5; LDD: cycles 3-4, 4-5, 4-5, 5-6). A store
// writes in its last cycle(s). A read-modify-write (INC, TST...) reads three cycles
// before its end and writes in its last one; BSET/BCLR and BRSET/BRCLR read right
// after the address is formed, four cycles before their end, BSET/BCLR writing in the
// last one. Any other access (stacking, vectors) is counted from the first cycle.
unsigned Cpu::accessOffset(uint16_t address, bool write) const {
    const uint16_t pc = opPc_;
    uint8_t op = bus_.memoryByte(pc);
    const Page page = pageOfPrebyte(op);
    const unsigned prebytes = page == Page::None ? 0 : 1;
    if (prebytes) op = bus_.memoryByte(uint16_t(pc + 1));
    const OpInfo& info = opInfo(page, op);
    const uint16_t at = uint16_t(pc + 1 + prebytes);
    const uint8_t b1 = bus_.memoryByte(at);
    uint16_t ea = 0;
    bool bitInstruction = false;
    switch (info.mode) {
    case Mode::Direct: ea = b1; break;
    case Mode::Extended: ea = uint16_t(b1 << 8 | bus_.memoryByte(uint16_t(at + 1))); break;
    case Mode::IndexedX: ea = uint16_t(r.x + b1); break;
    case Mode::IndexedY: ea = uint16_t(r.y + b1); break;
    case Mode::BitDirect:
    case Mode::BitBranchDirect:
        ea = b1;
        bitInstruction = true;
        break;
    case Mode::BitIndexedX:
    case Mode::BitBranchIndexedX:
        ea = uint16_t(r.x + b1);
        bitInstruction = true;
        break;
    case Mode::BitIndexedY:
    case Mode::BitBranchIndexedY:
        ea = uint16_t(r.y + b1);
        bitInstruction = true;
        break;
    default: return 0;
    }
    const unsigned n = info.cycles;
    if (bitInstruction) return address == ea ? (write ? n - 1 : n - 4) : 0;
    const uint8_t high = op >> 4;
    if (high == 0x6 || high == 0x7) return address == ea ? (write ? n - 1 : n - 3) : 0; // read-modify-write
    if (address == uint16_t(ea + 1)) return n - 1;
    if (address != ea) return 0;
    // 16-bit operands: SUBD/ADDD/CPD ($x3), CPX/CPY/LDD ($xC), LDS/LDX/LDY ($xE) read,
    // STD ($xD, but JSR at $9D/$AD/$BD) and STS/STX/STY ($xF) write.
    const uint8_t low = op & 0x0F;
    const bool wide =
        write ? (low == 0xF || (low == 0xD && high >= 0xD)) : (low == 0x3 || low == 0xC || low == 0xE);
    return wide ? n - 2 : n - 1;
}

// ---------------------------------------------------------------------------------------
// The run loop

unsigned Cpu::step() {
    const uint64_t start = bus_.cycles;
    if (state_ != State::Running || inTest_) {
        if (!wake()) bus_.cycles += timing::kIdleStepCycles;
    } else if (!((bus_.irqAsserted || bus_.xirqAsserted) && serviceInterrupt())) {
        if (trace_) traceInstruction();
        execute();
        stopRequested_ = false;
    }
    return unsigned(bus_.cycles - start);
}

void Cpu::run() {
    // The trace test is made once per run(), not once per instruction.
    if (trace_)
        runLoop<true>();
    else
        runLoop<false>();
}

template <bool Traced>
void Cpu::runLoop() {
    Bus& bus = bus_;
    for (;;) {
        if (state_ != State::Running || inTest_) {
            if (!wake()) {
                // Nothing can wake the CPU before the board's next event.
                if (bus.cycles < bus.eventLimit) bus.cycles = bus.eventLimit;
                return;
            }
        }
        // eventLimit is re-read every turn: a register access may lower it.
        bool leftLoop = false;
        while (bus.cycles < bus.eventLimit) {
            if (bus.irqAsserted | bus.xirqAsserted) [[unlikely]] {
                if (serviceInterrupt()) continue;
            }
            if constexpr (Traced) traceInstruction();
            if (!execute()) [[unlikely]] {
                leftLoop = true;
                break;
            }
        }
        if (!leftLoop) return;
        if (stopRequested_) {
            stopRequested_ = false;
            return;
        }
    }
}

} // namespace hc11
