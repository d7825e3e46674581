// The 68HC11 CPU core: registers, condition codes, the four opcode pages and the
// exception processing (interrupts, SWI, illegal opcode, WAI, STOP, reset).
#pragma once

#include "bus.h"

#include <cstdint>

namespace hc11 {

// Condition code register bits (M68HC11 RM section 6.2).
namespace ccr {
inline constexpr uint8_t C = 0x01;
inline constexpr uint8_t V = 0x02;
inline constexpr uint8_t Z = 0x04;
inline constexpr uint8_t N = 0x08;
inline constexpr uint8_t I = 0x10;
inline constexpr uint8_t H = 0x20;
inline constexpr uint8_t X = 0x40;
inline constexpr uint8_t S = 0x80;
} // namespace ccr

struct Registers {
    uint8_t a = 0, b = 0, ccr = 0;
    uint16_t x = 0, y = 0, sp = 0, pc = 0;
    uint16_t d() const { return uint16_t(a << 8 | b); }
    void setD(uint16_t v) {
        a = uint8_t(v >> 8);
        b = uint8_t(v);
    }
    bool operator==(const Registers&) const = default;
};

// Receives one call per executed instruction when tracing is on.
class InstructionTrace {
public:
    virtual ~InstructionTrace() = default;
    // pc: address of the first opcode byte; length: bytes of the instruction;
    // before: the registers before it ran; cycle: E-clock count before it ran.
    virtual void instruction(uint64_t cycle, uint16_t pc, const uint8_t* bytes, int length,
                             const Registers& before) = 0;
};

class Cpu {
public:
    enum class State { Running, Waiting, Stopped };
    // Why the last run() returned early, when the caller asked to stop on it.
    enum class Event { None, Wai, Stop, IllegalOpcode };

    // Power-on: CCR = S, X, I as after reset; the PC is loaded by reset() or jump().
    explicit Cpu(Bus& bus);

    Registers r;
    State state() const { return state_; }

    // Reset: CCR = S, X, I set; PC from the reset vector at vectorBase + $3E.
    void reset();
    // Start at a given address without reading the reset vector (bootstrap jump, tests).
    void jump(uint16_t pc);

    // Execute one instruction, or enter a pending interrupt, or (waiting/stopped)
    // let one cycle pass. Returns the E cycles used.
    unsigned step();
    // Run until bus.cycles >= bus.eventLimit. While waiting (WAI) or stopped with
    // nothing to wake the CPU, time jumps straight to the limit.
    void run();

    // When set, run() returns right after a WAI, an effective STOP or an illegal
    // opcode trap, with lastEvent() telling which (used by headless runs).
    bool stopOnEvents = false;
    Event lastEvent() const { return event_; }
    void clearEvent() { event_ = Event::None; }
    // Address of the last illegal opcode that trapped.
    uint16_t lastIllegalPc() const { return illegalPc_; }

    // Instructions executed since construction (an illegal-opcode trap counts as one).
    uint64_t instructions() const { return instructions_; }

    // In TEST (special modes), which never completes.
    bool inTest() const { return inTest_; }
    bool tracing() const { return trace_ != nullptr; }
    // Waiting or stopped: an interrupt line asserted now would end it (see wake()).
    bool wakeable() const;
    // Time passes as if the CPU had run `instructions` more instructions lasting
    // `cycles` E cycles, none of which changed anything: the board uses it to pass
    // over the turns of a loop it has proven to repeat itself exactly.
    void skipAhead(uint64_t cycles, uint64_t instructions) {
        bus_.cycles += cycles;
        instructions_ += instructions;
    }

    // Address of the first byte (prebyte included) of the instruction executing, or
    // of the last one executed.
    uint16_t instructionAddress() const { return opPc_; }
    // Puts the registers back as they were before an instruction (a step back): the
    // CPU runs from there, out of WAI, STOP or TEST.
    void restore(const Registers& before);
    // Takes the interrupt whose vector is at `vectorOffset` now, whatever the I bit
    // says, as SWI does (frame stacked, I set): a debugger's way into its monitor.
    // Costs no cycle.
    void trap(uint16_t vectorOffset);

    // During an instruction's access to `address`: how many E cycles after the
    // instruction's first cycle the access takes place (0 when it is none of the
    // instruction's operand accesses). Used for registers whose value moves with time.
    unsigned accessOffset(uint16_t address, bool write) const;

    // The trace reads each instruction's bytes through the bus before the instruction
    // runs. run() looks at the trace once per call: setting one from inside a run takes
    // effect at the next run(); step() looks every time.
    void setTrace(InstructionTrace* t) { trace_ = t; }

private:
    template <bool Traced>
    void runLoop();
    // Executes the instruction at r.pc and adds its cycles. Returns false when run() must
    // leave its fast loop: WAI, an effective STOP, TEST, or an event to report.
    [[gnu::always_inline]] bool execute();
    bool executePage18(uint16_t opPc);
    bool executePage1A(uint16_t opPc);
    bool executePageCD(uint16_t opPc);
    bool illegalOpcode(uint16_t opPc, bool prebyte);
    // Takes XIRQ or the maskable interrupt if one is requested and unmasked.
    bool serviceInterrupt();
    // Waiting, stopped or in TEST: leaves that state if something wakes the CPU.
    bool wake();
    void stackFrame();
    uint16_t vector(uint16_t offset);
    void raise(Event e);
    void traceInstruction();

    // Operand fetch (advancing r.pc) and memory access helpers.
    uint8_t fetch();
    uint16_t fetch16();
    uint16_t indexed(uint16_t base);
    uint8_t rd(uint16_t a);
    void wr(uint16_t a, uint8_t v);
    uint16_t rd16(uint16_t a);
    void wr16(uint16_t a, uint16_t v);
    void push(uint8_t v);
    uint8_t pull();
    void push16(uint16_t v);
    uint16_t pull16();
    void branchIf(bool taken);
    // Instruction bodies shared by several opcodes.
    void bitSet(uint16_t a);
    void bitClear(uint16_t a);
    void branchIfBitsSet(uint16_t a);
    void branchIfBitsClear(uint16_t a);
    void callSubroutine(uint16_t target);
    void branchToSubroutine();
    void returnFromInterrupt();

    Bus& bus_;
    State state_ = State::Running;
    Event event_ = Event::None;
    uint16_t illegalPc_ = 0;
    uint64_t instructions_ = 0;
    InstructionTrace* trace_ = nullptr;
    // Set by TEST in a special mode: the instruction never completes (only reset or
    // jump() leave it), so no interrupt is taken either.
    bool inTest_ = false;
    // An event was raised with stopOnEvents set: run() returns after this instruction.
    bool stopRequested_ = false;
    // Address of the first byte (prebyte included) of the instruction being executed.
    uint16_t opPc_ = 0;
};

} // namespace hc11
