// The simulated 68HC11 board: one chip (a ChipDescription), its crystal, the CPU, the
// memory map, the register block, the SCI with the host's end of its serial line, the
// EEPROM, the main timer with the interrupt sources and the bootstrap ROM.
//
// Everything is timed in E cycles (E = crystal / 4). The board runs the CPU in slices
// that end at its next timed event (a character completing on the line, the boot
// loader's time-out) through Bus::eventLimit, so no peripheral is polled per
// instruction.
//
// Spins: a program waiting for the line usually polls in a short loop that writes
// nothing (the Talker's "LDAA SCSR / ANDA #RDRF / BEQ" with interrupts masked). When
// one turn of a loop writes nothing, reads only what cannot change before the next
// event, and leaves every CPU register as the turn before it did, each later turn up to
// that event does exactly the same: the board passes over those whole turns at once,
// adding their cycles and instructions (see skipSpin()), so that every register, flag,
// counter and cycle count is what running them would have left. WAI and STOP already
// let time jump to the next event. resting() tells a real-time driver that the board
// can sleep until then.
//
// STOP stops every clock of the chip (M68HC11 RM 5.x, STOP: "all clocks, including the
// crystal oscillator, are stopped"): from the cycle STOP completes until the IRQ or
// XIRQ pin (or a reset) ends it, TCNT and its prescaler, the overflow, the compares,
// the RTI, the pulse accumulator, the COP, the A/D and the SCI's baud clock stand
// still; a frame being sent resumes afterwards and characters arriving from the host
// meanwhile are lost (no clock samples RxD). The board's own cycle count, which the
// host's end of the line, run() and the real-time pacer follow, goes on: only the host's
// line has events then. On the wake the clocks start at once and the CPU is held for
// the oscillator start-up delay (OPTION.DLY: 4064 E cycles, about 4 without). That
// delay is counted in E cycles of the restarted clock (A8TD, control timing: stop
// recovery t_SR = 4064 tcyc), so the timer counts through it and a program sees it in
// TCNT.
//
// Register accesses of the timer and the A/D take place at the bus cycle the
// instruction reads or writes its operand (Cpu::accessOffset), not at its first cycle.
//
// Memory map choices:
// - Reads where no memory or register answers return $FF (kUnmappedRead); writes there
//   are ignored. On the A1, BPROT's address is such a place.
// - Registers without a model (the F1's ports F and G, the SPI...) are plain read/write
//   latches, reset to $00 or to the value in kLatchResetValues.
// - Ports B to E are modelled in ports.h, the A/D converter in adc.h.
// - The character LCD and the 4x4 keypad (lcd.h, keypad.h) are on the board only once
//   fitLcdAndKeypad() is called: then the LCD watches PD2-PD4 and drives port C while
//   it is read, and the keypad's pull-ups hold PE4-PE7 high unless a pressed key joins
//   a column to a row PB0-PB3 drives low (a level or voltage set from outside on
//   PE4-PE7 then gives way to the keypad's). The LCD is powered with the board: RESET
//   does not reach it.
// - Port A is the main timer's (main_timer.h), with each chip's pin directions.
// - Port E's pins are the A/D inputs: a voltage above VIH (0.7 VDD) reads 1, below VIL
//   (0.2 VDD) 0 (A8TD, DC electrical characteristics); in between the last level stays.
// - CONFIG ($103F) is an EEPROM cell (kept by Eeprom): programmed and erased through
//   PPROG like the array, copied into the CONFIG register at each reset. The register
//   reads that copy, so a new value shows only after the next reset. programConfig()
//   sets the cell directly. What the copy does from that reset on:
//   - NOCOP = 0 turns the COP watchdog on in the normal modes (below);
//   - EEON = 0 takes the EEPROM out of the map: its addresses read kUnmappedRead and
//     ignore writes, so the PPROG sequence at an array address latches nothing (a bulk
//     erase latched at CONFIG still erases the cells, which are there, only unmapped);
//     peek() and poke() still reach the cells;
//   - ROMON has no effect: none of these parts has a user ROM (the bootstrap ROM
//     follows HPRIO.RBOOT);
//   - EE3:EE0 (F1, 811E2) are kept and read back, but the board keeps the EEPROM at its
//     factory place ($FE00, $F800) whatever they say;
//   - NOSEC: security is not modelled. A part with NOSEC = 0 enters bootstrap mode as
//     an unsecured one does (a secured part's bootstrap ROM first erases the EEPROM,
//     RAM and CONFIG).
// - OPTION is a latch (the charge-pump clock select has no effect).
// - HPRIO: in the special modes RBOOT removes or restores the boot ROM, SMOD can be
//   written to 0 (the part is then in normal single-chip mode: vectors at $FFC0, time-
//   protected bits locked), MDA and IRV are latches; PSEL (written only while the CPU's
//   I bit is set) promotes one maskable source to the top of the fixed order.
// - RAM and EEPROM contents at power-on: RAM $00, EEPROM erased ($FF). A reset keeps
//   both.
// - Interrupt sources: the SCI, the main timer's eleven, and the IRQ and XIRQ pins
//   (setIrqPinLow, setXirqPinLow). The SPI is not modelled. The clock monitor (OPTION
//   CME) resets the part when STOP stops the clocks; the E series' FCME is a latch.
// - The COP watchdog (RM 5.x, "Computer operating properly"): on when CONFIG.NOCOP is 0
//   and the part is in a normal mode (the special modes disable COP resets, RM 3-18).
//   Its time-out is 2^15 E cycles times 1, 4, 16 or 64 (OPTION CR1:CR0) after reset or
//   after the last $55/$AA pair written to COPRST; the real divider chain runs free, so
//   a real part fails up to one 2^15-cycle tick earlier. A time-out resets the part
//   through the COP vector ($FFFA in single-chip mode).
#pragma once

#include "adc.h"
#include "boot_loader.h"
#include "bus.h"
#include "chip.h"
#include "cpu.h"
#include "eeprom.h"
#include "execution_history.h"
#include "host_wire.h"
#include "keypad.h"
#include "lcd.h"
#include "main_timer.h"
#include "ports.h"
#include "sci.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hc11 {

inline constexpr uint8_t kUnmappedRead = 0xFF;

class Board : public Bus {
public:
    enum class Phase : uint8_t {
        HeldInReset, // power-on state: nothing runs, the line is silent
        BootRom,     // special bootstrap mode, the boot loader runs
        Running,     // the CPU executes
    };

    // crystalHz: 2, 4, 8 or 16 MHz for the built-in profiles (any value works).
    Board(const ChipDescription& chip, uint32_t crystalHz);
    ~Board() override;
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    // Reset into special bootstrap mode: boot ROM mapped, vectors at $BFC0, the loader
    // starts (break first).
    void resetBootstrap();
    // Reset into normal single-chip mode and start the CPU at `pc` (vectors at $FFC0).
    void resetSingleChip(uint16_t pc);
    // RESET with MODA and MODB wired for normal single-chip mode: the CPU starts at
    // the reset vector ($FFFE), which on the F1 lies in the EEPROM.
    void resetSingleChip();
    // Hold RESET low: nothing runs, the SCI is silent, characters from the host are lost.
    void holdReset();

    Phase phase() const { return phase_; }
    uint64_t cycleCount() const { return cycles; }
    uint32_t crystalHz() const { return crystalHz_; }
    double eClockHz() const { return crystalHz_ / 4.0; }
    Cpu& cpu() { return cpu_; }
    const ChipDescription& chip() const { return chip_; }
    Sci& sci() { return sci_; }
    const Eeprom& eeprom() const { return eeprom_; }
    const BootLoader& bootLoader() const { return loader_; }

    // Advance to E cycle `cycle`, servicing every timed event at its own cycle. Returns
    // early only when the CPU stops on an event (cpu().stopOnEvents; see lastEvent()).
    void runUntil(uint64_t cycle);
    // The same, but returns true as soon as a byte is available to the host (false
    // when `limitCycle` is reached without one).
    bool runUntilHostData(uint64_t limitCycle);
    // Run instruction by instruction until the CPU is about to execute at `pc`, for at
    // most `maxCycles` more E cycles. True when it got there.
    bool runUntilPc(uint16_t pc, uint64_t maxCycles);
    // The cycle of the next scheduled event, or kNever.
    uint64_t nextEventCycle() const;
    // Nothing the program does before nextEventCycle() can differ from what it did
    // last, unless something comes from outside (a pin, a byte from the host, a reset):
    // no program runs (held in reset, or the boot ROM between its events), the CPU waits
    // in WAI or STOP with nothing to wake it, it sits in TEST, or the last run left it in
    // a proven spin. A real-time driver may let the board sleep until that event.
    bool resting() const;
    // An output compare drives a port A pin: the pins change with time, also while the
    // board rests.
    bool timerDrivesPins() const { return timer_.drivesPins(); }

    // The host's end of the line (see HostWire).
    void setHostBaud(double baud) { wire_.setBaud(baud); }
    double hostBaud() const { return wire_.baud(); }
    void hostSend(uint8_t value);
    void hostSendBreak();
    // Every character the host sent has reached the SCI.
    bool hostIdle() const { return wire_.nextArrival() == kNever; }
    std::size_t hostAvailable() const { return wire_.available(); }
    uint8_t hostRead() { return wire_.read(); } // 0 when nothing is waiting
    std::vector<uint8_t> hostReadAll() { return wire_.readAll(); }
    // The host opened the line or changed its rate. If the board is held in reset, or
    // its boot ROM still waits for the sync character, and `baud` is within 4 % of the
    // slow boot rate E/(16*104), the board resets into bootstrap mode: this stands in
    // for the user pressing RESET when a download starts. A running program is never
    // reset.
    void hostLineConfigured(double baud);
    // The boot loader's two rates at this crystal.
    double bootFastBaud() const;
    double bootSlowBaud() const;

    // Board tools for tests and loaders: true cell contents, bypassing latches and
    // protections. peek reads registers without side effects and EEPROM cells even
    // while latched or out of the map; poke writes RAM and EEPROM cells only (false
    // elsewhere).
    uint8_t peek(uint16_t address) const;
    bool poke(uint16_t address, uint8_t value);
    bool loadBinary(uint16_t address, std::span<const uint8_t> bytes);
    // S1 records into RAM and EEPROM (S0, S5 and S9 accepted). A record outside RAM and
    // EEPROM, a bad checksum or a malformed line is an error and loads nothing.
    // `firstAddress`, when given, receives the address of the first S1 record.
    bool loadSRecords(std::string_view text, std::string& error, uint16_t* firstAddress = nullptr);

    // The IRQ and XIRQ pins, active low. IRQ is level-sensitive, or falling-edge-
    // sensitive when OPTION.IRQE is set; XIRQ is level-sensitive (M68HC11 RM 5.x).
    void setIrqPinLow(bool low);
    void setXirqPinLow(bool low);
    // A level on a port A pin from outside: PA0-PA2 (input captures 3 to 1), PA7 (pulse
    // accumulator), and the pins this chip lets the program make inputs
    // (portAInputCapable(): PA3 on the E series, all eight on the F1).
    void setPortAInput(int pin, bool high);
    uint8_t portAInputCapable() const { return timer_.portAInputCapable(); }
    // The levels on port A's pins, as a panel or a probe sees them.
    uint8_t portAPins();
    // Which pins of a port are outputs (1) now, as the program configured them.
    uint8_t portAOutputs() const { return timer_.portAOutputs(); }
    uint8_t portOutputs(Port port) const { return ports_.outputs(port); }

    // Inputs of ports C, D and E (port B is output only; port A above).
    void setPortInput(Port port, int pin, bool high);
    // The levels on a port's pins (B to E).
    uint8_t portPins(Port port) const { return ports_.pins(port); }
    // The LCD and the keypad wired as lcd.h says (the simulator's programs fit them;
    // a bare board has nothing on those pins).
    void fitLcdAndKeypad();
    bool lcdAndKeypadFitted() const { return lcdKeypadFitted_; }
    const Lcd& lcd() const { return lcd_; }
    const Keypad& keypad() const { return keypad_; }
    // Keys: row and column 0-3 (key 4 * row + column).
    void pressKey(int row, int column);
    void releaseKey(int row, int column);
    void releaseAllKeys();

    // The voltage on A/D channel 0-7 (PE0-PE7), 0 to 5 V (VRL = 0 V, VRH = 5 V).
    void setAnalogInput(int channel, double volts);

    // CONFIG as if programmed into the part's EEPROM cell; it takes effect at the next
    // reset, as on a real part in a normal mode.
    void programConfig(uint8_t value) { eeprom_.setConfigCell(value); }
    // The CONFIG register: the cell as it was at the last reset.
    uint8_t config() const { return config_; }
    bool copEnabled() const;
    // Number of COP and clock monitor resets since power-on.
    unsigned copResets() const { return copResets_; }
    unsigned clockMonitorResets() const { return clockMonitorResets_; }

    uint16_t maskableVectorOffset() override;

    // Time tools (board_history.cpp). The monitor is the program the boot ROM loaded
    // into RAM and jumped to (the Talker), until the next reset: its steps are the
    // debugger's, not the program's.
    bool hasMonitor() const { return monitorEnd_ > monitorStart_; }
    bool inMonitor(uint16_t pc) const { return pc >= monitorStart_ && pc < monitorEnd_; }
    // E cycles the program has run since power-on: its instructions, its interrupt
    // entries (with the jump a pseudo-vector in the monitor makes to its handler) and
    // its waits in WAI or STOP. The monitor's steps, and the entry that takes the CPU
    // into the monitor to stay (a breakpoint, a stop), are not counted. A step back
    // puts the count back too.
    uint64_t programCycles() const { return programCycles_; }

    // The history of the last `instructions` program instructions (0: off, the
    // default; turning it on starts an empty one). A reset empties it.
    void setHistoryCapacity(std::size_t instructions);
    std::size_t historyCapacity() const { return history_.capacity(); }
    // Program instructions a step back can undo now.
    std::size_t historyInstructions() const { return history_.instructions(); }
    struct StepBack {
        std::size_t steps = 0; // instructions undone
        // When nothing was undone: the peripheral whose state cannot be put back
        // ("SCI", "EEPROM"), or empty when the history holds nothing.
        std::string unrestorable;
    };
    // Undoes the last `count` program instructions (as many as the history holds):
    // registers, memory, the timer, the ports, the A/D, the COP, the LCD and the
    // register latches become exactly what they were before the first of them, the
    // time between standing still for the chip as during STOP. Refused, changing
    // nothing, when one of them used the SCI (the debugger's line) or programmed the
    // EEPROM. With a monitor, the CPU then enters it through the SWI vector as a
    // breakpoint there would, so that the monitor reports a stop at that point.
    StepBack stepBack(std::size_t count);
    // A debugger ran the last program instruction away from its place (a copy in free
    // RAM, so that a breakpoint's SWI can stay planted): `before` is what the registers
    // were at its true place, as a step back must put them. A watchpoint hit it made
    // is amended the same way.
    void amendLastInstruction(const Registers& before);
    // A debugger did an instruction's work on the registers itself (a jump, a return):
    // recorded as an instruction that wrote nothing, so that a step back undoes it too.
    void recordDebuggerStep(const Registers& before);

    // Watchpoints: the program (not the monitor) reading or writing an address in
    // [first, last] stops after that instruction: the CPU enters the monitor through
    // the SWI vector, or without one the run returns (watchHit() says why).
    // Instruction fetches are not reads.
    struct Watchpoint {
        uint16_t first = 0, last = 0;
        bool read = false, write = true;
    };
    void setWatchpoints(std::vector<Watchpoint> watchpoints);
    const std::vector<Watchpoint>& watchpoints() const { return watchpoints_; }
    struct WatchHit {
        uint16_t instruction = 0; // address of the instruction that made the access
        uint16_t address = 0;
        bool write = false;
        uint8_t value = 0; // the byte read or written
    };
    // The last watchpoint hit, until the next one or clearWatchHit().
    const std::optional<WatchHit>& watchHit() const { return watchHit_; }
    void clearWatchHit() { watchHit_.reset(); }

    // Unattended runs (a lab check). requestStop(), called during a run (from an
    // instruction trace, say), makes runUntil() return once the instruction under way
    // is done.
    void requestStop() {
        watchStop_ = true;
        eventLimit = std::min(eventLimit, cycles);
    }
    // With stopOnUnmappedFetch, the run also returns at the first instruction fetched
    // where nothing answers: the bus reads $FF there (STX extended), and a program that
    // jumped there would run through empty space. unmappedFetch() says where it was.
    bool stopOnUnmappedFetch = false;
    struct UnmappedFetch {
        uint16_t address = 0;
        uint64_t cycle = 0; // the instruction's first cycle
    };
    const std::optional<UnmappedFetch>& unmappedFetch() const { return unmappedFetch_; }
    // With hostFollowsSciRate, the host's end decodes each character the SCI sends at
    // the rate the program set (a terminal always set to the right rate).
    bool hostFollowsSciRate = false;
    // The instruction at `pc` is BRA * or JMP * (plain memory, as stored).
    bool branchesToItself(uint16_t pc) const {
        const uint8_t op = mem_[pc];
        return (op == 0x20 && mem_[uint16_t(pc + 1)] == 0xFE) ||
               (op == 0x7E && mem_[uint16_t(pc + 1)] == (pc >> 8) && mem_[uint16_t(pc + 2)] == (pc & 0xFF));
    }
    // The cycle of the first COP reset since power-on.
    const std::optional<uint64_t>& firstCopReset() const { return firstCopReset_; }

protected:
    uint8_t readSlow(uint16_t address) override;
    void writeSlow(uint16_t address, uint8_t value) override;

private:
    void resetChip(bool special);
    void startCpu(uint16_t pc);
    void mapMemory();
    void mapEeprom();
    // CONFIG.EEON at the last reset: the EEPROM answers on the bus.
    bool eepromMapped() const;
    bool bootRomVisible() const;
    bool timeProtectedWritable() const;
    // A read the memory map answers other than from plain memory: the register
    // block, the EEPROM (latched or not), unmapped space.
    uint8_t readMapped(uint16_t address);
    uint8_t readRegister(uint16_t address);
    // Registers other than the SCI's, read without side effects.
    uint8_t otherRegisterValue(uint16_t address) const;
    void writeRegister(uint16_t address, uint8_t value);
    void writeHprio(uint8_t value);
    // Which model answers each register, looked up once per access rather than asked
    // of every model in turn (register writes such as the COP's come every few
    // instructions in some programs).
    enum class RegisterOwner : uint8_t { Sci, Timer, Ports, Adc, Board };
    RegisterOwner ownerOf(uint16_t address) const { return owners_[address - chip_.registerStart]; }
    uint8_t& latch(uint16_t address) { return latches_[address - chip_.registerStart]; }
    uint8_t latchValue(uint16_t address) const { return latches_[address - chip_.registerStart]; }
    void afterSciAccess();
    // The LCD and the keypad follow the port pins at `cycle` (after a port write, a
    // key, a reset).
    void updateLcdAndKeypad(uint64_t cycle);
    // While the keypad is fitted its columns hold PE4-PE7: a level or a voltage put on
    // one of those pins from outside gives way to it.
    void keypadOverrides(int pin);
    // A read of port C while the LCD drives it.
    void driveLcdBus(uint64_t cycle);
    void afterTimerAccess();
    void updateInterrupts();
    // Pending maskable sources, one bit per entry of the fixed priority order.
    uint16_t pendingSources() const;
    void serviceEvents(uint64_t now);
    // STOP: every on-chip clock stops at `now` / starts again at `now` (see the top).
    void stopClocks(uint64_t now);
    void startClocks(uint64_t now);
    // The cycle the on-chip clocks are at: the board's, or the one they stopped at.
    uint64_t chipClock() const { return clocksStopped_ ? clocksStoppedAt_ : cycles; }
    // The E cycle at which the instruction being executed reads or writes `address`
    // (the cycle-by-cycle tables); the board's cycle for an access from outside.
    uint64_t accessCycle(uint16_t address, bool write) const {
        return insideCpu_ ? cycles + cpu_.accessOffset(address, write) : cycles;
    }
    uint64_t copDeadline() const;
    void writeCoprst(uint8_t value);
    void copReset();
    void clockMonitorReset();
    void serviceLoader(uint64_t now);
    void receiveFromHost(const TimedFrame& f, uint64_t at);
    void advance(uint64_t target, bool stopOnHostData);
    // Looks for a spin at the start of a slice (up to eventLimit) and passes over its
    // whole turns; the instructions looked at run as usual.
    void skipSpin();
    // A register or unmapped read whose value and side effects stay the same from one
    // read to the next until the board's next event, as long as nothing is written.
    bool stableRead(uint16_t address) const;
    // Something from outside may have changed what a spin reads.
    void endSpin() { spinUntil_ = 0; }

    // What a step back puts back of the chip besides the CPU and memory: every
    // peripheral model and latch that program accesses change (not the SCI, whose
    // line belongs to the debugger, nor the EEPROM array and its programming).
    struct ChipState {
        uint64_t before = 0; // the history entry it precedes
        MainTimer timer;
        Ports ports;
        AdConverter adc;
        Lcd lcd;
        std::vector<uint8_t> latches;
        uint8_t hprio = 0, keypadColumns = 0;
        uint64_t copCleared = 0, resetCycle = 0;
        bool copArmed = false, irqEdgeLatched = false, specialMode = false;
        uint16_t vectorBase = 0;
    };
    enum class Observation : uint8_t {
        Off,     // the CPU runs in its fast loop: every cycle is the program's
        Counted, // step by step, to tell the monitor's steps from the program's
        Recorded // step by step, every write recorded or watched
    };
    enum class StepOwner : uint8_t { Program, Monitor, Entry };
    void updateObservation();
    // The fast maps with what the history and the watchpoints must see taken out.
    void applyObservedMaps();
    void runObserved();
    void observedStep();
    bool passSelfBranch();
    // The monitor takes over (a watchpoint hit, a step back).
    void enterMonitor();
    void recordWrite(uint16_t address);
    void watchAccess(uint16_t address, bool write, uint8_t value);
    // Before a register access: what the history needs (a state copy, or the mark of
    // a peripheral it cannot put back).
    void recordRegisterAccess(uint16_t address, bool write);
    // Something from outside is about to change a peripheral's state.
    void beforeOutsideChange();
    void saveChipState(uint64_t before);
    void restoreChipState(const ChipState& s, uint64_t at);

    const ChipDescription& chip_;
    uint32_t crystalHz_;
    Cpu cpu_;
    Sci sci_;
    HostWire wire_;
    Eeprom eeprom_;
    BootLoader loader_;
    // Mutable: bringing the timer up to the current cycle changes nothing a program could
    // tell apart, so peek() may do it.
    mutable MainTimer timer_;
    bool irqPinLow_ = false;
    bool xirqPinLow_ = false;
    bool irqEdgeLatched_ = false;
    Phase phase_ = Phase::HeldInReset;
    uint64_t resetCycle_ = 0;
    uint8_t hprio_ = 0;
    std::vector<uint8_t> latches_;
    std::vector<RegisterOwner> owners_;
    Ports ports_;
    Lcd lcd_;
    Keypad keypad_;
    bool lcdKeypadFitted_ = false;
    uint8_t keypadColumns_ = 0; // the levels last put on PE4-PE7
    mutable AdConverter adc_;
    uint8_t config_ = 0;
    uint64_t copCleared_ = 0;
    bool copArmed_ = false; // $55 written, waiting for $AA
    unsigned copResets_ = 0;
    unsigned clockMonitorResets_ = 0;
    bool clocksStopped_ = false;
    uint64_t clocksStoppedAt_ = 0;
    // The CPU is executing (run() or step()): register accesses are its own.
    bool insideCpu_ = false;
    // While skipSpin() watches a few instructions, every access takes the slow path;
    // these hold the fast pages in force, and whether anything was written or read that
    // may change.
    bool probing_ = false;
    bool probeClean_ = true;
    std::array<bool, 256> probeReadFast_{};
    std::array<bool, 256> probeWriteFast_{};
    // The CPU spins until this cycle (the next event when the spin was proven); 0: not
    // known to spin.
    uint64_t spinUntil_ = 0;
    // Time tools.
    uint16_t monitorStart_ = 0, monitorEnd_ = 0;
    uint64_t programCycles_ = 0;
    Observation observation_ = Observation::Off;
    StepOwner stepOwner_ = StepOwner::Monitor;
    // Cycles of the step that just took the CPU into the monitor (0: none pending):
    // the program's if the monitor's next step leaves it at once (a pseudo-vector).
    uint64_t enteredMonitor_ = 0;
    // The program's SP as the monitor was entered: the monitor stacks its frames just
    // below it, and a step back must undo those writes too.
    uint16_t monitorSp_ = 0;
    ExecutionHistory history_;
    std::deque<ChipState> chipStates_;
    std::vector<Watchpoint> watchpoints_;
    std::optional<WatchHit> watchHit_;
    bool watchStop_ = false;                 // a hit ends the current run (no monitor)
    bool watchTrapped_ = false;              // a hit during the current step
    uint16_t fetchStart_ = 0, fetchEnd_ = 0; // the current instruction's own bytes
    std::optional<UnmappedFetch> unmappedFetch_;
    std::optional<uint64_t> firstCopReset_;
    // The fast maps as the memory map makes them, before observation masks them.
    std::array<bool, 256> plainReadFast_{};
    std::array<bool, 256> plainWriteFast_{};
    // No spin is looked for before this cycle (the last look found a loop that does not
    // repeat itself, such as a delay count).
    uint64_t probeAfter_ = 0;
};

} // namespace hc11
