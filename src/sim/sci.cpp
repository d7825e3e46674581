#include "sci.h"

#include "registers.h"

namespace hc11 {

void Sci::reset() {
    // BAUD resets to 00000uuu (A8TD 5-11): the undefined SCR bits are taken as 0.
    baud_ = 0;
    sccr1_ = 0;
    sccr2_ = 0;
    scsr_ = scsr::Reset;
    rdr_ = 0;
    tdr_ = 0;
    tdrFull_ = false;
    preamblePending_ = false;
    breakQueued_ = false;
    shifting_ = false;
    armedReceive_ = 0;
    armedTransmit_ = 0;
    idleAt_ = kNever;
}

uint32_t sciBitCycles(uint8_t baudRegister) {
    const uint32_t p = baud::Prescale[(baudRegister & baud::SCPMask) >> baud::SCPShift];
    return baud::ClocksPerBit * p * (1u << (baudRegister & baud::SCRMask));
}

uint32_t Sci::bitCycles() const {
    return sciBitCycles(baud_);
}

uint8_t Sci::dataBits() const {
    return (sccr1_ & sccr1::M) ? 9 : 8;
}

uint8_t Sci::peek(uint16_t address) const {
    switch (address) {
    case reg::BAUD: return baud_;
    case reg::SCCR1: return sccr1_;
    case reg::SCCR2: return sccr2_;
    case reg::SCSR: return scsr_;
    case reg::SCDR: return uint8_t(rdr_);
    default: return 0xFF;
    }
}

uint8_t Sci::read(uint16_t address, uint64_t /*now*/) {
    switch (address) {
    case reg::SCSR:
        // First half of both clearing sequences (RM 9-12, 9-13): remember which flags
        // were seen set; only those are cleared by the SCDR access that follows.
        armedReceive_ = scsr_ & scsr::ReceiveFlags;
        armedTransmit_ = scsr_ & scsr::TransmitFlags;
        return scsr_;
    case reg::SCDR:
        scsr_ &= uint8_t(~armedReceive_);
        armedReceive_ = 0;
        return uint8_t(rdr_);
    default: return peek(address);
    }
}

void Sci::write(uint16_t address, uint8_t value, uint64_t now, bool specialMode) {
    switch (address) {
    case reg::BAUD: {
        uint8_t writable = baud::SCPMask | baud::SCRMask;
        if (hasScp2_) writable |= baud::SCP2;
        if (specialMode) writable |= baud::TCLR | baud::RCKB;
        baud_ = uint8_t((baud_ & ~writable) | (value & writable));
        break;
    }
    case reg::SCCR1: {
        const uint8_t writable = sccr1::T8 | sccr1::M | sccr1::WAKE;
        sccr1_ = uint8_t((sccr1_ & ~writable) | (value & writable));
        break;
    }
    case reg::SCCR2: {
        const uint8_t old = sccr2_;
        sccr2_ = value;
        if ((value & sccr2::TE) && !(old & sccr2::TE))
            preamblePending_ = true; // RM 9-11: enabling the transmitter sends a preamble
        if ((value & sccr2::SBK) && !(old & sccr2::SBK))
            breakQueued_ = true; // at least one break, even if SBK is cleared at once
        if (!(value & sccr2::RE)) idleAt_ = kNever;
        startNext(now);
        break;
    }
    case reg::SCDR:
        tdr_ = value;
        tdrFull_ = true;
        scsr_ &= uint8_t(~armedTransmit_);
        armedTransmit_ = 0;
        startNext(now);
        break;
    default: break;
    }
}

void Sci::startFrame(WireFrame::Kind kind, uint16_t data, uint64_t now) {
    shift_.frame.kind = kind;
    shift_.frame.data = data;
    shift_.frame.dataBits = dataBits();
    shift_.frame.bitCycles = bitCycles();
    shift_.start = now;
    shift_.end = now + frameCycles();
    shifting_ = true;
}

void Sci::startNext(uint64_t now) {
    if (shifting_ || !(sccr2_ & sccr2::TE)) return;
    if (preamblePending_) {
        preamblePending_ = false;
        startFrame(WireFrame::Kind::Idle, 0, now);
    } else if (tdrFull_) {
        // TDR → shift register; TDRE says the buffer is free again.
        uint16_t data = tdr_;
        if (dataBits() == 9 && (sccr1_ & sccr1::T8)) data |= 0x100;
        tdrFull_ = false;
        scsr_ |= scsr::TDRE;
        startFrame(WireFrame::Kind::Data, data, now);
    } else if (breakQueued_ || (sccr2_ & sccr2::SBK)) {
        breakQueued_ = false;
        startFrame(WireFrame::Kind::Break, 0, now);
    }
}

TimedFrame Sci::completeTransmit() {
    const TimedFrame done = shift_;
    shifting_ = false;
    startNext(done.end);
    if (!shifting_ && !tdrFull_) scsr_ |= scsr::TC; // end of a frame with nothing waiting (RM 9-12)
    return done;
}

void Sci::receive(const SampledCharacter& c, uint64_t at) {
    if (!(sccr2_ & sccr2::RE)) return;
    idleAt_ = at + frameCycles();
    if (scsr_ & scsr::RDRF) {
        // Overrun: the new character is lost, SCDR keeps the old one (RM 9-13).
        scsr_ |= scsr::OR;
        ++overruns_;
        return;
    }
    rdr_ = c.data & 0xFF;
    if (dataBits() == 9) sccr1_ = uint8_t((sccr1_ & ~sccr1::R8) | ((c.data & 0x100) ? sccr1::R8 : 0));
    scsr_ |= scsr::RDRF;
    if (c.framingError) scsr_ |= scsr::FE;
}

void Sci::idleCheck(bool lineActive) {
    idleAt_ = kNever;
    // IDLE: a full character time of 1s after activity on RxD (RM 9-13); it is set
    // once and not again until the line has been active.
    if (!lineActive && (sccr2_ & sccr2::RE)) scsr_ |= scsr::IDLE;
}

bool Sci::interruptPending() const {
    return ((sccr2_ & sccr2::RIE) && (scsr_ & (scsr::RDRF | scsr::OR))) ||
           ((sccr2_ & sccr2::ILIE) && (scsr_ & scsr::IDLE)) ||
           ((sccr2_ & sccr2::TIE) && (scsr_ & scsr::TDRE)) || ((sccr2_ & sccr2::TCIE) && (scsr_ & scsr::TC));
}

void Sci::clocksStopped(uint64_t cycles) {
    if (shifting_) {
        shift_.start += cycles;
        shift_.end += cycles;
    }
    if (idleAt_ != kNever) idleAt_ += cycles;
}

} // namespace hc11
