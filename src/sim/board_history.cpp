// The board's time tools: the program's own cycles, the execution history with its
// step back, and watchpoints.
//
// Without a monitor, history or watchpoint the CPU runs in its fast loop and every
// cycle is the program's. Otherwise the board runs it one step at a time and looks at
// where each step starts and ends: a step that starts outside the monitor is the
// program's; one that takes the CPU into the monitor is the program's only if the
// monitor's next step leaves again at once (an interrupt of the program through a
// pseudo-vector, "JMP handler", or a bare RTI there); otherwise it was the monitor
// taking over (a breakpoint's SWI, the SCI interrupt of a stop or of a memory read
// while the program runs).
//
// Recording takes every write off the fast path, so that the old byte can be kept,
// and copies the peripherals' state before each register access, so that a step back
// finds the state an instruction saw: the state copied last before it, brought up to
// the instruction's cycle (nothing touched the peripherals in between, so only time
// moved them). The time between that cycle and the present then stands still for
// the chip, as it does during STOP, so that the timer reads what it read then.
#include "board.h"
#include "opcode_table.h"
#include "registers.h"

#include <algorithm>

namespace hc11 {

namespace {

constexpr unsigned kPageShift = 8;
// The monitor stacks its frames below the program's SP (the interrupt frame, then its
// own calls and idle frame: some 30 bytes for the Talker); its writes there are
// undone with the program's, since a step back can move SP up over them.
constexpr uint16_t kMonitorStackBytes = 64;

} // namespace

void Board::setHistoryCapacity(std::size_t instructions) {
    const bool wasOn = history_.capacity() != 0;
    history_.setCapacity(instructions);
    if (instructions == 0)
        chipStates_.clear();
    else if (!wasOn)
        saveChipState(history_.end());
    updateObservation();
}

void Board::setWatchpoints(std::vector<Watchpoint> watchpoints) {
    watchpoints_ = std::move(watchpoints);
    watchHit_.reset();
    updateObservation();
}

void Board::updateObservation() {
    observation_ = (history_.capacity() != 0 || !watchpoints_.empty()) ? Observation::Recorded
                   : hasMonitor()                                      ? Observation::Counted
                                                                       : Observation::Off;
    applyObservedMaps();
}

void Board::applyObservedMaps() {
    std::array<bool, 256> read = plainReadFast_;
    std::array<bool, 256> write = plainWriteFast_;
    if (history_.capacity() != 0) write.fill(false);
    for (const Watchpoint& w : watchpoints_)
        for (unsigned p = w.first >> kPageShift; p <= unsigned(w.last >> kPageShift); ++p)
            read[p] = write[p] = false;
    if (probing_) {
        // skipSpin() puts these back when its look ends.
        probeReadFast_ = read;
        probeWriteFast_ = write;
        return;
    }
    readFast_ = read;
    writeFast_ = write;
}

void Board::runObserved() {
    while (cycles < eventLimit) {
        if ((cpu_.state() != Cpu::State::Running || cpu_.inTest()) && !cpu_.wakeable()) {
            // Nothing can wake the CPU before the board's next event.
            const uint64_t start = cycles;
            cycles = eventLimit;
            if (!inMonitor(cpu_.r.pc)) programCycles_ += cycles - start;
            return;
        }
        observedStep();
        if (watchStop_ || (cpu_.stopOnEvents && cpu_.lastEvent() != Cpu::Event::None)) return;
    }
}

// A branch to itself (BRA *, JMP *) of the program, with no interrupt to take: every
// turn until the next event is the same, 3 cycles with no access but its own fetches.
// Passed over at once, so that a program idling this way lets the board rest.
bool Board::passSelfBranch() {
    const uint16_t pc = cpu_.r.pc;
    if (!plainReadFast_[pc >> kPageShift] || !plainReadFast_[uint16_t(pc + 2) >> kPageShift]) return false;
    if (!branchesToItself(pc) || cpu_.state() != Cpu::State::Running || cpu_.inTest()) return false;
    if ((xirqAsserted && !(cpu_.r.ccr & ccr::X)) || (irqAsserted && !(cpu_.r.ccr & ccr::I))) return false;
    constexpr uint64_t kTurnCycles = 3; // BRA rel, JMP ext (A8TD cycle-by-cycle tables)
    const uint64_t turns = eventLimit > cycles ? (eventLimit - cycles + kTurnCycles - 1) / kTurnCycles : 1;
    if (history_.capacity() != 0) history_.repeat(cpu_.r, programCycles_, chipClock(), turns, kTurnCycles);
    cpu_.skipAhead(turns * kTurnCycles, turns);
    programCycles_ += turns * kTurnCycles;
    spinUntil_ = nextEventCycle();
    return true;
}

void Board::observedStep() {
    const uint16_t pc = cpu_.r.pc;
    const bool inside = inMonitor(pc);
    if (!inside && enteredMonitor_ == 0 && passSelfBranch()) return;
    const uint64_t start = cycles;
    const uint16_t sp = cpu_.r.sp;
    stepOwner_ = inside ? StepOwner::Monitor : StepOwner::Program;
    if (!inside && history_.capacity() != 0) history_.begin(cpu_.r, programCycles_, chipClock(), false);
    if (!inside && !watchpoints_.empty()) {
        // The instruction's own bytes: reading them is fetching, not a watched read.
        const uint8_t first = memoryByte(pc);
        const Page page = pageOfPrebyte(first);
        const OpInfo& info =
            page == Page::None ? opInfo(page, first) : opInfo(page, memoryByte(uint16_t(pc + 1)));
        fetchStart_ = pc;
        fetchEnd_ = uint16_t(pc + info.length);
    }
    cpu_.step();
    const uint64_t used = cycles - start;
    const bool after = inMonitor(cpu_.r.pc);
    if (!inside) {
        programCycles_ += used;
        if (after) {
            enteredMonitor_ = used;
            monitorSp_ = sp;
        }
    } else if (enteredMonitor_ != 0) {
        if (!after) {
            programCycles_ += used; // the pseudo-vector's jump to the program's handler
        } else {
            // The monitor stays: the entry was its own.
            programCycles_ -= enteredMonitor_;
            if (ExecutionHistory::Entry* e = history_.last()) {
                if (!e->monitor) history_.demoteLast();
            }
        }
        enteredMonitor_ = 0;
    }
    if (watchTrapped_) {
        watchTrapped_ = false;
        if (hasMonitor())
            enterMonitor();
        else
            watchStop_ = true;
    }
}

void Board::enterMonitor() {
    // The program stops where it is: the entry is the monitor's, its frame writes are
    // recorded so that a step back can undo them.
    enteredMonitor_ = 0;
    monitorSp_ = cpu_.r.sp;
    if (history_.capacity() != 0) history_.begin(cpu_.r, programCycles_, chipClock(), true);
    stepOwner_ = StepOwner::Entry;
    cpu_.trap(vec::Swi);
    stepOwner_ = StepOwner::Monitor;
    endSpin();
}

void Board::recordWrite(uint16_t a) {
    if (stepOwner_ == StepOwner::Monitor && uint16_t(monitorSp_ - a) >= kMonitorStackBytes) return;
    if (chip_.inRam(a)) {
        history_.write(a, mem_[a]);
    } else if (stepOwner_ == StepOwner::Program && chip_.inEeprom(a) && eepromMapped() && eeprom_.latched()) {
        if (ExecutionHistory::Entry* e = history_.last()) e->unrestorable = "EEPROM";
    }
}

void Board::watchAccess(uint16_t a, bool write, uint8_t value) {
    if (stepOwner_ != StepOwner::Program) return;
    if (!write && uint16_t(a - fetchStart_) < uint16_t(fetchEnd_ - fetchStart_)) return;
    for (const Watchpoint& w : watchpoints_) {
        if (a < w.first || a > w.last || !(write ? w.write : w.read)) continue;
        watchHit_ = WatchHit{cpu_.instructionAddress(), a, write, value};
        watchTrapped_ = true;
        // End the CPU's slice at once; the step finishes first.
        eventLimit = std::min(eventLimit, cycles);
        return;
    }
}

void Board::recordRegisterAccess(uint16_t a, bool write) {
    const bool program = stepOwner_ == StepOwner::Program;
    const RegisterOwner owner = ownerOf(a);
    if (owner == RegisterOwner::Sci) {
        // The SCI carries the debugger's line: its state is not the program's to have back.
        if (program)
            if (ExecutionHistory::Entry* e = history_.last()) e->unrestorable = "SCI";
        return;
    }
    if (a == reg::PPROG || a == reg::BPROT || a == reg::CONFIG) {
        if (program && write)
            if (ExecutionHistory::Entry* e = history_.last()) e->unrestorable = "EEPROM";
        return;
    }
    // The state before this access, for the instruction under way (or the next one).
    const uint64_t before = program ? history_.end() - 1 : history_.end();
    if (chipStates_.empty() || chipStates_.back().before != before) saveChipState(before);
}

void Board::beforeOutsideChange() {
    if (history_.capacity() == 0) return;
    const uint64_t before = history_.end();
    if (chipStates_.empty() || chipStates_.back().before != before) saveChipState(before);
}

void Board::saveChipState(uint64_t before) {
    timer_.sync(cycles);
    chipStates_.push_back(ChipState{before, timer_, ports_, adc_, lcd_, latches_, hprio_, keypadColumns_,
                                    copCleared_, resetCycle_, copArmed_, irqEdgeLatched_, specialMode,
                                    vectorBase});
    // Copies older than the one the oldest kept instruction needs are of no more use.
    const uint64_t oldest = history_.oldest();
    while (chipStates_.size() > 1 && chipStates_[1].before <= oldest)
        chipStates_.pop_front();
}

void Board::restoreChipState(const ChipState& s, uint64_t at) {
    const uint64_t now = cycles;
    const uint64_t gap = now - at;
    timer_ = s.timer;
    timer_.sync(at);
    timer_.stopClocks(at);
    timer_.startClocks(now);
    ports_ = s.ports;
    adc_ = s.adc;
    adc_.sync(at);
    adc_.clocksStopped(gap);
    lcd_ = s.lcd;
    lcd_.delay(gap);
    latches_ = s.latches;
    hprio_ = s.hprio;
    keypadColumns_ = s.keypadColumns;
    copCleared_ = s.copCleared + gap;
    resetCycle_ = s.resetCycle + gap;
    copArmed_ = s.copArmed;
    irqEdgeLatched_ = s.irqEdgeLatched;
    specialMode = s.specialMode;
    vectorBase = s.vectorBase;
    const uint8_t opt = latchValue(reg::OPTION);
    stopRecoveryCycles = stopRecovery(opt);
    clockMonitorOn = opt & option::CME;
    clocksStopped_ = false;
    mapMemory();
}

Board::StepBack Board::stepBack(std::size_t count) {
    StepBack result;
    if (count == 0 || history_.instructions() == 0 || phase_ != Phase::Running) return result;
    count = std::min(count, history_.instructions());
    const ExecutionHistory::Position position = history_.back(count);
    const uint64_t target = position.index;
    if (const char* p = history_.unrestorableSince(target)) {
        result.unrestorable = p;
        return result;
    }
    // The last state copy made before the target instruction.
    auto state = std::find_if(chipStates_.rbegin(), chipStates_.rend(),
                              [target](const ChipState& s) { return s.before <= target; });
    if (state == chipStates_.rend()) return result; // cannot happen: one precedes every entry
    const ExecutionHistory::Entry entry = history_.stateAt(position);
    history_.undoFrom(position, [this](uint16_t a, uint8_t old) { mem_[a] = old; });
    restoreChipState(*state, entry.chipCycle);
    chipStates_.erase(state.base(), chipStates_.end());
    programCycles_ = entry.programCycles;
    enteredMonitor_ = 0;
    watchHit_.reset();
    cpu_.restore(entry.before);
    // The restored state is now the reference for what follows.
    saveChipState(history_.end());
    if (hasMonitor()) enterMonitor();
    endSpin();
    updateInterrupts();
    eventLimit = std::min(eventLimit, nextEventCycle());
    result.steps = count;
    return result;
}

void Board::amendLastInstruction(const Registers& before) {
    if (ExecutionHistory::Entry* e = history_.lastInstruction()) e->before = before;
    // A watchpoint the copy set off names the instruction at its true place, and the
    // byte as the debugger left it (a call's return address is put right afterwards).
    if (watchHit_) {
        watchHit_->instruction = before.pc;
        if (watchHit_->write) watchHit_->value = mem_[watchHit_->address];
    }
}

void Board::recordDebuggerStep(const Registers& before) {
    if (history_.capacity() != 0) history_.begin(before, programCycles_, chipClock(), false);
}

} // namespace hc11
