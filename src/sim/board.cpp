#include "board.h"

#include "boot_rom.h"
#include "registers.h"
#include "srecord.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace hc11 {

namespace {

constexpr unsigned kPageShift = 8;
// The board's A/D references and the logic levels of an input pin at VDD = 5 V (A8TD,
// DC electrical characteristics: VIH 0.7 VDD, VIL 0.2 VDD).
constexpr double kVrl = 0.0, kVrh = 5.0;
constexpr double kVih = 3.5, kVil = 1.0;
// The keypad's columns have not been put on port E yet.
constexpr uint8_t kColumnsUnset = 0xFF;

bool isSciRegister(uint16_t a) {
    return a >= reg::BAUD && a <= reg::SCDR;
}

// The maskable sources in their fixed priority order, highest first (M68HC11 RM 5.x,
// table "Interrupt and reset vector assignments"; A8TD table 9-4).
enum Source : uint8_t {
    SrcIrq,
    SrcRti,
    SrcTic1,
    SrcTic2,
    SrcTic3,
    SrcToc1,
    SrcToc2,
    SrcToc3,
    SrcToc4,
    SrcToc5,
    SrcTof,
    SrcPaov,
    SrcPai,
    SrcSpi,
    SrcSci,
    kSources
};

constexpr std::array<uint16_t, kSources> kSourceVector = {
    vec::Irq,           vec::Rti,  vec::Tic1, vec::Tic2, vec::Tic3,          vec::Toc1,
    vec::Toc2,          vec::Toc3, vec::Toc4, vec::Toc5, vec::TimerOverflow, vec::PulseAccOverflow,
    vec::PulseAccInput, vec::Spi,  vec::Sci};

// HPRIO PSEL3:PSEL0 -> the source raised to the top (A8TD table 9-5); the reserved
// code 0101 (the reset value) leaves IRQ on top.
constexpr std::array<Source, 16> kPromoted = {SrcTof,  SrcPaov, SrcPai,  SrcSpi,  SrcSci,  SrcIrq,
                                              SrcIrq,  SrcRti,  SrcTic1, SrcTic2, SrcTic3, SrcToc1,
                                              SrcToc2, SrcToc3, SrcToc4, SrcToc5};

uint64_t saturatingAdd(uint64_t a, uint64_t b) {
    return b > kNever - a ? kNever : a + b;
}

// Looking for a spin (Board::skipSpin): at most this many instructions, in slices at
// least this long (a polling turn lasts some ten cycles: the look needs a lead-in and
// two turns). A look that finds no repeating loop (a delay count, a computation) is
// not made again for a while.
constexpr std::size_t kSpinProbeInstructions = 24;
constexpr uint64_t kSpinProbeMinCycles = 64;
constexpr uint64_t kSpinProbeBackoffCycles = 1u << 14;

} // namespace

Board::Board(const ChipDescription& chip, uint32_t crystalHz)
    : chip_(chip)
    , crystalHz_(crystalHz)
    , cpu_(*this)
    , sci_(chip.hasScp2)
    , wire_(crystalHz / 4.0)
    , eeprom_(chip, std::span<uint8_t>(mem_.data() + chip.eepromStart, chip.eepromSize), crystalHz / 4.0)
    , loader_(chip, sci_, std::span<uint8_t>(mem_.data() + chip.ramStart, chip.ramSize))
    , timer_(chip.portA)
    , latches_(chip.registerSize, 0)
    , owners_(chip.registerSize, RegisterOwner::Board)
    , ports_(chip)
    , lcd_(crystalHz / 4.0) {
    for (uint16_t i = 0; i < chip.registerSize; ++i) {
        const auto a = uint16_t(chip.registerStart + i);
        owners_[i] = isSciRegister(a)             ? RegisterOwner::Sci
                     : timer_.isRegister(a)       ? RegisterOwner::Timer
                     : ports_.isRegister(a)       ? RegisterOwner::Ports
                     : AdConverter::isRegister(a) ? RegisterOwner::Adc
                                                  : RegisterOwner::Board;
    }
    eeprom_.eraseAll();
    const auto rom = bootRomImage();
    std::copy(rom.begin(), rom.end(), mem_.begin() + kBootRomStart);
    resetChip(false);
    phase_ = Phase::HeldInReset;
    mapMemory();
}

Board::~Board() = default;

// ---------------------------------------------------------------------------------
// Reset and phases

void Board::resetChip(bool special) {
    phase_ = Phase::HeldInReset;
    resetCycle_ = cycles;
    specialMode = special;
    vectorBase = special ? kBootVectorBase : kNormalVectorBase;
    hprio_ = special ? hprio::ResetBootstrap : hprio::ResetSingleChip;
    std::fill(latches_.begin(), latches_.end(), 0);
    for (const auto& r : kLatchResetValues)
        if (chip_.inRegisters(r.address)) latch(r.address) = r.value;
    sci_.reset();
    eeprom_.reset();
    timer_.reset(cycles);
    ports_.reset();
    adc_.reset(cycles);
    if (lcdKeypadFitted_) updateLcdAndKeypad(cycles);
    config_ = eeprom_.configCell();
    copCleared_ = cycles;
    copArmed_ = false;
    loader_.stop();
    endSpin();
    probeAfter_ = 0;
    irqEdgeLatched_ = false;
    irqAsserted = false;
    xirqAsserted = false;
    irqPinAsserted = false;
    stopRecoveryCycles = stopRecovery(latchValue(reg::OPTION));
    clockMonitorOn = false;
    clocksStopped_ = false;
    // The monitor and the history do not outlive a reset.
    monitorStart_ = monitorEnd_ = 0;
    enteredMonitor_ = 0;
    history_.clear();
    chipStates_.clear();
    watchHit_.reset();
    updateObservation();
    if (historyCapacity() != 0) saveChipState(history_.end());
}

void Board::holdReset() {
    resetChip(specialMode);
    mapMemory();
}

void Board::resetBootstrap() {
    resetChip(true);
    phase_ = Phase::BootRom;
    mapMemory();
    latch(reg::SPCR) |= spcr::DWOM;
    loader_.start(cycles);
    eventLimit = std::min(eventLimit, nextEventCycle());
}

void Board::resetSingleChip(uint16_t pc) {
    resetChip(false);
    mapMemory();
    startCpu(pc);
    // Reset leaves A, B, X, Y and SP undefined; the board starts them at 0 with SP at
    // the top of RAM.
    cpu_.r.sp = uint16_t(chip_.ramEnd());
}

void Board::resetSingleChip() {
    resetChip(false);
    mapMemory();
    startCpu(read16(uint16_t(vectorBase + vec::Reset)));
    cpu_.r.sp = uint16_t(chip_.ramEnd());
}

void Board::startCpu(uint16_t pc) {
    phase_ = Phase::Running;
    cpu_.reset(); // CCR = S X I ($D0), leaves WAI/STOP
    cpu_.jump(pc);
    cpu_.r.a = cpu_.r.b = 0;
    cpu_.r.x = cpu_.r.y = 0;
    updateInterrupts();
}

void Board::serviceLoader(uint64_t now) {
    const BootLoader::Jump j = loader_.service(now);
    if (j == BootLoader::Jump::None) return;
    // The boot ROM's jump. CCR as after reset ($D0). Register values the ROM leaves
    // (not documented in the sources at hand; chosen): SP at the top of RAM, A the last
    // byte received, B = 0, X = $1000 (the ROM addresses the registers through X),
    // Y = the address after the last byte stored.
    const uint16_t target = j == BootLoader::Jump::Ram ? chip_.ramStart : chip_.eepromStart;
    if (j == BootLoader::Jump::Ram) {
        monitorStart_ = chip_.ramStart;
        monitorEnd_ = uint16_t(chip_.ramStart + loader_.loaded().size());
        updateObservation();
    }
    startCpu(target);
    cpu_.r.sp = uint16_t(chip_.ramEnd());
    cpu_.r.a = loader_.lastByte();
    cpu_.r.x = reg::Base;
    cpu_.r.y = uint16_t(chip_.ramStart + loader_.loaded().size());
}

void Board::hostLineConfigured(double baud) {
    setHostBaud(baud);
    const bool waiting =
        phase_ == Phase::HeldInReset || (phase_ == Phase::BootRom && loader_.waitingForSync());
    const double slow = bootSlowBaud();
    if (waiting && std::fabs(baud - slow) <= kRateTolerance * slow) resetBootstrap();
}

double Board::bootFastBaud() const {
    return eClockHz() / sciBitCycles(kBootBaudFast);
}
double Board::bootSlowBaud() const {
    return eClockHz() / sciBitCycles(kBootBaudSlow);
}

// ---------------------------------------------------------------------------------
// Memory map

bool Board::bootRomVisible() const {
    return phase_ != Phase::HeldInReset && (hprio_ & hprio::RBOOT);
}

void Board::mapMemory() {
    plainReadFast_.fill(false);
    plainWriteFast_.fill(false);
    for (unsigned p = chip_.ramStart >> kPageShift; p <= chip_.ramEnd() >> kPageShift; ++p)
        plainReadFast_[p] = plainWriteFast_[p] = true;
    if (bootRomVisible()) plainReadFast_[kBootRomStart >> kPageShift] = true;
    mapEeprom();
}

void Board::mapEeprom() {
    for (unsigned p = chip_.eepromStart >> kPageShift; p <= chip_.eepromEnd() >> kPageShift; ++p)
        plainReadFast_[p] = eepromMapped() && !eeprom_.latched();
    applyObservedMaps();
}

bool Board::eepromMapped() const {
    return config_ & config::EEON;
}

bool Board::timeProtectedWritable() const {
    return specialMode || cycles - resetCycle_ < kTimeProtectedCycles;
}

uint8_t Board::readSlow(uint16_t a) {
    if (probing_) [[unlikely]] {
        if (probeReadFast_[a >> kPageShift]) return mem_[a];
        if (!stableRead(a)) probeClean_ = false;
    }
    if (!watchpoints_.empty()) [[unlikely]] {
        // Pages with a watched byte are off the fast path: plain memory is read here.
        const uint8_t v = plainReadFast_[a >> kPageShift] ? mem_[a] : readMapped(a);
        watchAccess(a, false, v);
        return v;
    }
    return readMapped(a);
}

uint8_t Board::readMapped(uint16_t a) {
    if (chip_.inRegisters(a)) return readRegister(a);
    if (chip_.inEeprom(a) && eepromMapped()) return eeprom_.latched() ? eeprom_.readWhileLatched() : mem_[a];
    if (stopOnUnmappedFetch && insideCpu_ && a == cpu_.instructionAddress() && !unmappedFetch_) {
        unmappedFetch_ = UnmappedFetch{a, cycles};
        requestStop();
    }
    return kUnmappedRead;
}

void Board::writeSlow(uint16_t a, uint8_t v) {
    if (observation_ == Observation::Recorded) [[unlikely]] {
        if (!watchpoints_.empty()) watchAccess(a, true, v);
        if (historyCapacity() != 0) recordWrite(a);
    }
    if (probing_) [[unlikely]] {
        probeClean_ = false;
        if (probeWriteFast_[a >> kPageShift]) {
            mem_[a] = v;
            return;
        }
    }
    if (plainWriteFast_[a >> kPageShift]) // plain RAM taken off the fast path
        mem_[a] = v;
    else if (chip_.inRegisters(a))
        writeRegister(a, v);
    else if (chip_.inEeprom(a) && eepromMapped())
        eeprom_.writeCell(a, v);
}

uint8_t Board::readRegister(uint16_t a) {
    if (historyCapacity() != 0) [[unlikely]]
        recordRegisterAccess(a, false);
    switch (ownerOf(a)) {
    case RegisterOwner::Sci: {
        const uint8_t v = sci_.read(a, cycles);
        afterSciAccess();
        return v;
    }
    case RegisterOwner::Timer: return timer_.read(a, accessCycle(a, false));
    case RegisterOwner::Adc: adc_.sync(accessCycle(a, false)); return adc_.value(a);
    case RegisterOwner::Ports:
        if (lcdKeypadFitted_ && lcd_.drivesBus()) driveLcdBus(accessCycle(a, false));
        return ports_.read(a);
    default: return otherRegisterValue(a);
    }
}

bool Board::copEnabled() const {
    return !(config_ & config::NOCOP) && !specialMode;
}

uint64_t Board::copDeadline() const {
    if (phase_ != Phase::Running || !copEnabled() || clocksStopped_) return kNever;
    const unsigned rate = latchValue(reg::OPTION) & option::CRMask;
    return copCleared_ + (kCopBaseCycles << (2 * rate));
}

void Board::writeCoprst(uint8_t v) {
    // $55 arms the clearing, $AA then restarts the count; other values change nothing
    // (RM 5.x, COPRST).
    if (v == kCopArm)
        copArmed_ = true;
    else if (v == kCopClear && copArmed_) {
        copArmed_ = false;
        copCleared_ = cycles;
    }
}

void Board::copReset() {
    ++copResets_;
    if (!firstCopReset_) firstCopReset_ = cycles;
    resetChip(false);
    mapMemory();
    startCpu(read16(uint16_t(vectorBase + vec::Cop)));
    cpu_.r.sp = uint16_t(chip_.ramEnd());
}

// With CME set, the clock monitor sees the clocks stop (STOP) and resets the part
// through the clock monitor vector, in the mode the MODA/MODB pins select (RM 5.x,
// "Clock monitor reset"). The detection takes 5 to 100 us on a real part; here it is
// immediate.
void Board::clockMonitorReset() {
    ++clockMonitorResets_;
    resetChip(specialMode);
    mapMemory();
    startCpu(read16(uint16_t(vectorBase + vec::ClockMonitor)));
    cpu_.r.sp = uint16_t(chip_.ramEnd());
}

uint8_t Board::otherRegisterValue(uint16_t a) const {
    switch (ownerOf(a)) {
    case RegisterOwner::Timer: timer_.sync(cycles); return timer_.value(a, cycles);
    case RegisterOwner::Ports: return ports_.read(a);
    case RegisterOwner::Adc: adc_.sync(chipClock()); return adc_.value(a);
    default: break;
    }
    switch (a) {
    case reg::BPROT: return chip_.hasBprot ? eeprom_.bprot() : kUnmappedRead;
    case reg::PPROG: return eeprom_.pprog();
    case reg::HPRIO: return hprio_;
    case reg::CONFIG: return config_;
    default: return latchValue(a);
    }
}

void Board::writeRegister(uint16_t a, uint8_t v) {
    if (historyCapacity() != 0) [[unlikely]]
        recordRegisterAccess(a, true);
    switch (ownerOf(a)) {
    case RegisterOwner::Sci:
        sci_.write(a, v, cycles, specialMode);
        afterSciAccess();
        return;
    case RegisterOwner::Timer:
        timer_.write(a, v, accessCycle(a, true), timeProtectedWritable());
        afterTimerAccess();
        return;
    case RegisterOwner::Ports:
        ports_.write(a, v);
        if (lcdKeypadFitted_) updateLcdAndKeypad(accessCycle(a, true));
        return;
    case RegisterOwner::Adc:
        adc_.write(a, v, accessCycle(a, true), latchValue(reg::OPTION) & option::ADPU);
        return;
    case RegisterOwner::Board: break;
    }
    switch (a) {
    case reg::CONFIG: eeprom_.writeCell(a, v); break;
    case reg::COPRST: writeCoprst(v); break;
    case reg::OPTION:
        if (!timeProtectedWritable()) v = uint8_t((v & ~option::Protected) | (latch(a) & option::Protected));
        latch(a) = v;
        stopRecoveryCycles = stopRecovery(v);
        clockMonitorOn = v & option::CME;
        updateInterrupts();
        break;
    case reg::BPROT: eeprom_.writeBprot(v, timeProtectedWritable()); break;
    case reg::PPROG: {
        const bool wasLatched = eeprom_.latched();
        eeprom_.writePprog(v, cycles);
        if (eeprom_.latched() != wasLatched) mapEeprom();
        break;
    }
    case reg::HPRIO: writeHprio(v); break;
    default: latch(a) = v; break;
    }
}

void Board::writeHprio(uint8_t v) {
    // PSEL can be written only while interrupts are masked (A8TD 9.x, HPRIO).
    if (!(cpu_.r.ccr & ccr::I)) v = uint8_t((v & ~hprio::PSELMask) | (hprio_ & hprio::PSELMask));
    constexpr uint8_t modeBits = hprio::RBOOT | hprio::SMOD | hprio::MDA;
    if (!specialMode) {
        hprio_ = uint8_t((hprio_ & modeBits) | (v & ~modeBits));
        return;
    }
    hprio_ = v; // every bit is writable in the special modes

    if (!(v & hprio::SMOD)) {
        // SMOD written to 0: the part leaves the special mode for good.
        specialMode = false;
        vectorBase = kNormalVectorBase;
    }
    mapMemory();
}

void Board::afterSciAccess() {
    eventLimit = std::min(eventLimit, nextEventCycle());
    updateInterrupts();
}

void Board::afterTimerAccess() {
    eventLimit = std::min(eventLimit, nextEventCycle());
    updateInterrupts();
}

uint16_t Board::pendingSources() const {
    uint16_t p = 0;
    const bool irqLine = (latchValue(reg::OPTION) & option::IRQE) ? irqEdgeLatched_ : irqPinLow_;
    if (irqLine) p |= 1u << SrcIrq;
    if (sci_.interruptPending()) p |= 1u << SrcSci;
    const uint8_t t1 = timer_.pending1();
    const uint8_t t2 = timer_.pending2();
    if (t1 | t2) {
        for (int n = 1; n <= 3; ++n)
            if (t1 & tflg1::icBit(n)) p |= 1u << (SrcTic1 + n - 1);
        for (int n = 1; n <= 5; ++n)
            if (t1 & tflg1::ocBit(n)) p |= 1u << (SrcToc1 + n - 1);
        if (t2 & tmsk2::RTII) p |= 1u << SrcRti;
        if (t2 & tmsk2::TOI) p |= 1u << SrcTof;
        if (t2 & tmsk2::PAOVI) p |= 1u << SrcPaov;
        if (t2 & tmsk2::PAII) p |= 1u << SrcPai;
    }
    return p;
}

void Board::updateInterrupts() {
    const bool running = phase_ == Phase::Running;
    irqPinAsserted = running && ((latchValue(reg::OPTION) & option::IRQE) ? irqEdgeLatched_ : irqPinLow_);
    irqAsserted =
        irqPinAsserted || (running && ((timer_.pending1() | timer_.pending2()) || sci_.interruptPending()));
    xirqAsserted = running && xirqPinLow_;
}

uint16_t Board::maskableVectorOffset() {
    const uint16_t p = pendingSources();
    const Source top = kPromoted[hprio_ & hprio::PSELMask];
    Source s = top;
    if (!(p & (1u << top))) {
        s = SrcSci; // a request that vanished meanwhile still fetches a vector
        for (int i = 0; i < kSources; ++i)
            if (p & (1u << i)) {
                s = Source(i);
                break;
            }
    }
    // Fetching the IRQ vector clears the edge-triggered request (M68HC11 RM 5.x).
    if (s == SrcIrq && irqEdgeLatched_) {
        irqEdgeLatched_ = false;
        updateInterrupts();
    }
    return kSourceVector[s];
}

void Board::setIrqPinLow(bool low) {
    endSpin();
    beforeOutsideChange();
    if (low && !irqPinLow_ && (latchValue(reg::OPTION) & option::IRQE)) irqEdgeLatched_ = true;
    irqPinLow_ = low;
    updateInterrupts();
}

void Board::setXirqPinLow(bool low) {
    endSpin();
    beforeOutsideChange();
    xirqPinLow_ = low;
    updateInterrupts();
}

void Board::setPortAInput(int pin, bool high) {
    endSpin();
    beforeOutsideChange();
    timer_.setPortAInput(pin, high, cycles);
    afterTimerAccess();
}

void Board::setPortInput(Port port, int pin, bool high) {
    endSpin();
    beforeOutsideChange();
    ports_.setInput(port, pin, high);
    // A switch on a port E pin drives its A/D input to VRH or VRL.
    if (port == Port::E && pin >= 0 && pin < 8) {
        adc_.sync(chipClock());
        adc_.setInput(pin, high ? kVrh : kVrl);
        keypadOverrides(pin);
    }
}

void Board::fitLcdAndKeypad() {
    if (lcdKeypadFitted_) return;
    lcdKeypadFitted_ = true;
    lcd_.powerOn(cycles);
    keypadColumns_ = kColumnsUnset;
    updateLcdAndKeypad(cycles);
}

void Board::pressKey(int row, int column) {
    endSpin();
    beforeOutsideChange();
    keypad_.press(row, column);
    if (lcdKeypadFitted_) updateLcdAndKeypad(cycles);
}

void Board::releaseKey(int row, int column) {
    endSpin();
    beforeOutsideChange();
    keypad_.release(row, column);
    if (lcdKeypadFitted_) updateLcdAndKeypad(cycles);
}

void Board::releaseAllKeys() {
    endSpin();
    beforeOutsideChange();
    keypad_.releaseAll();
    if (lcdKeypadFitted_) updateLcdAndKeypad(cycles);
}

void Board::updateLcdAndKeypad(uint64_t cycle) {
    const uint8_t d = ports_.pins(Port::D);
    lcd_.setPins(cycle, d & 0x04, d & 0x08, d & 0x10, ports_.pins(Port::C));
    if (lcd_.drivesBus()) driveLcdBus(cycle);
    // Keypad columns on PE4-PE7; as with a switch, the A/D input sees VRH or VRL.
    const uint8_t columns = keypad_.columns(ports_.pins(Port::B) & 0x0F);
    if (columns == keypadColumns_) return;
    adc_.sync(chipClock());
    for (int c = 0; c < Keypad::kSize; ++c) {
        const bool high = columns >> c & 1;
        if (keypadColumns_ != kColumnsUnset && high == bool(keypadColumns_ >> c & 1)) continue;
        ports_.setInput(Port::E, 4 + c, high);
        adc_.setInput(4 + c, high ? kVrh : kVrl);
    }
    keypadColumns_ = columns;
}

void Board::driveLcdBus(uint64_t cycle) {
    ports_.setInputs(Port::C, lcd_.drivenMask(), lcd_.busOutput(cycle));
}

void Board::setAnalogInput(int channel, double volts) {
    endSpin();
    beforeOutsideChange();
    adc_.sync(chipClock());
    adc_.setInput(channel, volts);
    if (volts >= kVih)
        ports_.setInput(Port::E, channel, true);
    else if (volts <= kVil)
        ports_.setInput(Port::E, channel, false);
    keypadOverrides(channel);
}

void Board::keypadOverrides(int pin) {
    if (!lcdKeypadFitted_ || pin < 4 || pin > 7) return;
    keypadColumns_ = kColumnsUnset;
    updateLcdAndKeypad(cycles);
}

uint8_t Board::portAPins() {
    timer_.sync(cycles);
    return timer_.portAPins();
}

// ---------------------------------------------------------------------------------
// Time and events

uint64_t Board::nextEventCycle() const {
    // With the clocks stopped only the host's line moves.
    if (clocksStopped_) return wire_.nextArrival();
    uint64_t t = std::min({wire_.nextArrival(), sci_.nextTransmitEnd(), sci_.idleCheckTime(),
                           timer_.nextInterruptEvent(), copDeadline()});
    if (phase_ == Phase::BootRom) t = std::min(t, loader_.nextDeadline());
    return t;
}

void Board::receiveFromHost(const TimedFrame& f, uint64_t at) {
    // Held in reset, or no baud clock to sample RxD (STOP): the character is lost.
    if (phase_ == Phase::HeldInReset || clocksStopped_) return;
    const double rxBit = sci_.bitCycles();
    auto c = sampleFrame(f.frame, rxBit, sci_.dataBits());
    if (!c) return;
    if (ratesMismatched(f.frame.bitCycles, rxBit)) c->framingError = true;
    sci_.receive(*c, at);
}

void Board::stopClocks(uint64_t now) {
    beforeOutsideChange();
    clocksStopped_ = true;
    clocksStoppedAt_ = now;
    timer_.stopClocks(now);
    adc_.sync(now);
}

void Board::startClocks(uint64_t now) {
    clocksStopped_ = false;
    const uint64_t stopped = now - clocksStoppedAt_;
    timer_.startClocks(now);
    adc_.clocksStopped(stopped);
    sci_.clocksStopped(stopped);
    copCleared_ += stopped;
    resetCycle_ += stopped;
    beforeOutsideChange(); // the time bases moved: a state copied before would not fit
}

void Board::serviceEvents(uint64_t now) {
    const bool stopped = phase_ == Phase::Running && cpu_.state() == Cpu::State::Stopped;
    // The IRQ or XIRQ pin (or a reset) ends STOP: the oscillator restarts now.
    if (clocksStopped_ && (!stopped || cpu_.wakeable())) startClocks(now);
    for (;;) {
        const uint64_t tTx = clocksStopped_ ? kNever : sci_.nextTransmitEnd();
        const uint64_t tHost = wire_.nextArrival();
        const uint64_t tIdle = clocksStopped_ ? kNever : sci_.idleCheckTime();
        const uint64_t tBoot = phase_ == Phase::BootRom ? loader_.nextDeadline() : kNever;
        const uint64_t t = std::min({tTx, tHost, tIdle, tBoot});
        if (t > now) break;
        endSpin(); // what a spin reads may change now
        if (t == tTx) {
            if (hostFollowsSciRate) wire_.setBaud(eClockHz() / sci_.bitCycles());
            wire_.deliver(sci_.completeTransmit());
        } else if (t == tHost)
            receiveFromHost(wire_.popArrival(), t);
        else if (t == tIdle)
            sci_.idleCheck(wire_.lineActiveAt(t));
        if (phase_ == Phase::BootRom) serviceLoader(t);
    }
    // STOP took effect (the CPU hands back to the board right after it): every clock
    // stops here, until something wakes the CPU.
    if (stopped && !clocksStopped_ && !cpu_.wakeable()) stopClocks(now);
    if (copDeadline() <= now) copReset();
    if (clockMonitorOn && phase_ == Phase::Running && cpu_.state() == Cpu::State::Stopped)
        clockMonitorReset();
    timer_.sync(now);
    updateInterrupts();
}

bool Board::resting() const {
    if (phase_ != Phase::Running) return true;
    if (cpu_.state() != Cpu::State::Running) return !cpu_.wakeable();
    return cpu_.inTest() || cycles < spinUntil_;
}

bool Board::stableRead(uint16_t a) const {
    if (chip_.inRegisters(a)) {
        switch (ownerOf(a)) {
        // SCSR changes only when a character completes or the line goes idle (events);
        // reading SCDR clears flags.
        case RegisterOwner::Sci: return a != reg::SCDR;
        // Inputs change only from outside, which ends a spin, except the busy flag of an
        // LCD driving port C, which falls with time.
        case RegisterOwner::Ports: return !(lcdKeypadFitted_ && lcd_.drivesBus());
        // TCNT counts, flags rise with time; conversions complete with time.
        case RegisterOwner::Timer:
        case RegisterOwner::Adc: return false;
        case RegisterOwner::Board: return true;
        }
    }
    // A cell read while the EEPROM is latched is counted; unmapped space reads $FF.
    return !chip_.inEeprom(a) || !eepromMapped();
}

void Board::skipSpin() {
    endSpin();
    if (cycles < probeAfter_ || eventLimit < cycles + kSpinProbeMinCycles) return;
    if (cpu_.state() != Cpu::State::Running || cpu_.inTest() || cpu_.tracing()) return;
    struct Turn {
        Registers r;
        uint64_t cycle;
        uint64_t instructions;
    };
    std::array<Turn, kSpinProbeInstructions + 1> seen;
    seen[0] = {cpu_.r, cycles, cpu_.instructions()};
    // Every access through readSlow/writeSlow while the instructions are watched.
    probeReadFast_ = readFast_;
    probeWriteFast_ = writeFast_;
    readFast_.fill(false);
    writeFast_.fill(false);
    probing_ = true;
    probeClean_ = true;
    std::size_t n = 0;
    std::size_t repeated = 0;
    bool found = false;
    while (!found && n < kSpinProbeInstructions && cycles < eventLimit) {
        cpu_.step();
        if (!probeClean_ || cpu_.state() != Cpu::State::Running || cpu_.inTest() ||
            cpu_.lastEvent() != Cpu::Event::None)
            break;
        // Observed, the program's steps are not the probe's to run.
        if (observation_ != Observation::Off && !inMonitor(cpu_.r.pc)) break;
        seen[++n] = {cpu_.r, cycles, cpu_.instructions()};
        for (std::size_t j = n; j-- > 0;)
            if (seen[j].r == cpu_.r) {
                repeated = j;
                found = true;
                break;
            }
    }
    probing_ = false;
    if (probeClean_) {
        readFast_ = probeReadFast_;
        writeFast_ = probeWriteFast_;
    } else {
        mapMemory(); // a write may have changed the map (PPROG, HPRIO)
    }
    if (!found) {
        if (probeClean_ && n == kSpinProbeInstructions) probeAfter_ = cycles + kSpinProbeBackoffCycles;
        return;
    }
    // From here each turn repeats the last one exactly until the next event: pass over
    // the whole turns that end by the slice's end; run() does the rest.
    const uint64_t period = cycles - seen[repeated].cycle;
    const uint64_t perTurn = cpu_.instructions() - seen[repeated].instructions;
    const uint64_t turns = eventLimit > cycles ? (eventLimit - cycles) / period : 0;
    cpu_.skipAhead(turns * period, turns * perTurn);
    spinUntil_ = nextEventCycle();
}

void Board::advance(uint64_t target, bool stopOnHostData) {
    for (;;) {
        serviceEvents(cycles);
        if ((stopOnHostData && wire_.available()) || cycles >= target) return;
        const uint64_t next = std::min(nextEventCycle(), target);
        if (phase_ != Phase::Running) {
            cycles = next;
            continue;
        }
        eventLimit = next;
        cpu_.clearEvent();
        insideCpu_ = true;
        if (observation_ == Observation::Off) {
            // No monitor: every cycle from here is the program's.
            const uint64_t start = cycles;
            skipSpin();
            if (!(cpu_.stopOnEvents && cpu_.lastEvent() != Cpu::Event::None)) cpu_.run();
            programCycles_ += cycles - start;
        } else {
            // Only the monitor's spins are passed over: the program's steps are counted
            // and recorded one by one.
            if (inMonitor(cpu_.r.pc) && enteredMonitor_ == 0) {
                stepOwner_ = StepOwner::Monitor;
                skipSpin();
            }
            if (!(cpu_.stopOnEvents && cpu_.lastEvent() != Cpu::Event::None)) runObserved();
        }
        insideCpu_ = false;
        if (watchStop_ || (cpu_.stopOnEvents && cpu_.lastEvent() != Cpu::Event::None)) {
            watchStop_ = false;
            serviceEvents(cycles);
            return;
        }
    }
}

void Board::runUntil(uint64_t cycle) {
    advance(cycle, false);
}

bool Board::runUntilHostData(uint64_t limitCycle) {
    advance(limitCycle, true);
    return wire_.available() > 0;
}

bool Board::runUntilPc(uint16_t pc, uint64_t maxCycles) {
    const uint64_t limit = saturatingAdd(cycles, maxCycles);
    endSpin();
    for (;;) {
        serviceEvents(cycles);
        if (phase_ == Phase::Running && cpu_.r.pc == pc) return true;
        if (cycles >= limit) return false;
        const uint64_t next = std::min(nextEventCycle(), limit);
        if (phase_ != Phase::Running) {
            cycles = next;
            continue;
        }
        eventLimit = next;
        insideCpu_ = true;
        if (observation_ == Observation::Off) {
            const uint64_t start = cycles;
            cpu_.step();
            programCycles_ += cycles - start;
        } else {
            observedStep();
        }
        insideCpu_ = false;
    }
}

// ---------------------------------------------------------------------------------
// Host end of the line

void Board::hostSend(uint8_t value) {
    wire_.send(value, cycles);
    eventLimit = std::min(eventLimit, nextEventCycle());
}

void Board::hostSendBreak() {
    wire_.sendBreak(cycles);
    eventLimit = std::min(eventLimit, nextEventCycle());
}

// ---------------------------------------------------------------------------------
// Tools

uint8_t Board::peek(uint16_t a) const {
    if (chip_.inRam(a) || chip_.inEeprom(a)) return mem_[a];
    if (chip_.inRegisters(a)) {
        if (isSciRegister(a)) return sci_.peek(a);
        return otherRegisterValue(a);
    }
    if (readFast_[a >> kPageShift]) return mem_[a];
    return kUnmappedRead;
}

bool Board::poke(uint16_t a, uint8_t v) {
    endSpin();
    if (!chip_.inRam(a) && !chip_.inEeprom(a)) return false;
    mem_[a] = v;
    return true;
}

bool Board::loadBinary(uint16_t address, std::span<const uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const uint32_t a = address + uint32_t(i);
        if (a > 0xFFFF || (!chip_.inRam(uint16_t(a)) && !chip_.inEeprom(uint16_t(a)))) return false;
    }
    endSpin();
    for (std::size_t i = 0; i < bytes.size(); ++i)
        mem_[address + i] = bytes[i];
    return true;
}

bool Board::loadSRecords(std::string_view text, std::string& error, uint16_t* firstAddress) {
    const auto image = parseSRecords(text, error);
    if (!image) return false;
    for (const auto& b : image->blocks) {
        for (std::size_t i = 0; i < b.bytes.size(); ++i) {
            const uint16_t a = uint16_t(b.address + i);
            if (!chip_.inRam(a) && !chip_.inEeprom(a)) {
                char buf[96];
                std::snprintf(buf, sizeof buf, "S1 record at $%04X: $%04X is outside RAM and EEPROM",
                              b.address, a);
                error = buf;
                return false;
            }
        }
    }
    endSpin();
    for (const auto& b : image->blocks)
        std::copy(b.bytes.begin(), b.bytes.end(), mem_.begin() + b.address);
    if (firstAddress && !image->blocks.empty()) *firstAddress = image->blocks.front().address;
    return true;
}

} // namespace hc11
