#include "ports.h"

#include "registers.h"

namespace hc11 {

namespace {
// Port D has six pins, PD0-PD5; bits 7 and 6 read 0 (A8TD 6.4).
constexpr uint8_t kPortDMask = 0x3F;
// PIOC: STAF STAI CWOM HNDS OIN PLS EGA INVB; EGA and INVB set after reset (A8TD 6.x).
constexpr uint8_t kPiocReset = 0x03;
constexpr uint8_t kPiocStaf = 0x80;

uint8_t merge(uint8_t latch, uint8_t ddr, uint8_t in) {
    return uint8_t((latch & ddr) | (in & ~ddr));
}
} // namespace

Ports::Ports(const ChipDescription& chip)
    : chip_(&chip) {}

void Ports::reset() {
    // Reset makes every bidirectional pin an input (DDRx = $00, RM 7.1); the output
    // latches' contents are undefined after reset and start at $00 here.
    latchB_ = latchC_ = latchD_ = 0;
    ddrC_ = ddrD_ = 0;
    pioc_ = kPiocReset;
}

uint16_t Ports::portCAddress() const {
    return chip_->portMap == PortMap::F1 ? reg::PORTC_F1 : reg::PORTC;
}

bool Ports::isRegister(uint16_t a) const {
    if (a == portCAddress() || a == reg::PORTB || a == reg::DDRC || a == reg::PORTD || a == reg::DDRD ||
        a == reg::PORTE)
        return true;
    return chip_->portMap == PortMap::ASeries && (a == reg::PORTCL || a == reg::PIOC);
}

uint8_t Ports::read(uint16_t a) const {
    if (a == reg::PORTB) return latchB_;
    if (a == portCAddress() || (chip_->portMap == PortMap::ASeries && a == reg::PORTCL)) return pins(Port::C);
    switch (a) {
    case reg::DDRC: return ddrC_;
    case reg::PIOC: return pioc_;
    case reg::PORTD: return pins(Port::D);
    case reg::DDRD: return ddrD_;
    case reg::PORTE: return inE_;
    default: return 0;
    }
}

void Ports::write(uint16_t a, uint8_t v) {
    if (a == reg::PORTB)
        latchB_ = v;
    else if (a == portCAddress())
        latchC_ = v;
    else if (a == reg::DDRC)
        ddrC_ = v;
    else if (a == reg::PIOC)
        pioc_ = v & uint8_t(~kPiocStaf); // STAF is read only
    else if (a == reg::PORTD)
        latchD_ = v & kPortDMask;
    else if (a == reg::DDRD)
        ddrD_ = v & kPortDMask;
    // PORTE and PORTCL are read only.
}

void Ports::setInput(Port port, int pin, bool high) {
    uint8_t* in = port == Port::C ? &inC_ : port == Port::D ? &inD_ : port == Port::E ? &inE_ : nullptr;
    if (!in || pin < 0 || pin > 7) return;
    const uint8_t bit = uint8_t(1u << pin);
    *in = high ? uint8_t(*in | bit) : uint8_t(*in & ~bit);
}

void Ports::setInputs(Port port, uint8_t mask, uint8_t levels) {
    for (int pin = 0; pin < 8; ++pin)
        if (mask >> pin & 1) setInput(port, pin, levels >> pin & 1);
}

uint8_t Ports::pins(Port port) const {
    switch (port) {
    case Port::B: return latchB_;
    case Port::C: return merge(latchC_, ddrC_, inC_);
    case Port::D: return merge(latchD_, ddrD_, inD_) & kPortDMask;
    case Port::E: return inE_;
    }
    return 0;
}

uint8_t Ports::outputs(Port port) const {
    switch (port) {
    case Port::B: return 0xFF;
    case Port::C: return ddrC_;
    case Port::D: return ddrD_ & kPortDMask;
    case Port::E: return 0x00;
    }
    return 0;
}

} // namespace hc11
