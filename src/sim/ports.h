// The parallel ports B to E (M68HC11 RM section 7; A8TD section 6; F1 TD, parallel
// I/O). A bidirectional pin is an input while its DDR bit is 0 and an output while it
// is 1; reading the port returns the pin level for inputs and the output latch for
// outputs (RM 7.1). Writes always go to the latch, so a pin made an output later drives
// the last value written.
//
// Per chip:
// - A1, E1/E9, 811E2: PORTC $1003 with DDRC $1007, PORTB $1004 output only, PORTCL
//   $1005 (the latched port C, read as the pins here: STRA latching is not modelled),
//   PIOC $1002 (plain I/O only: the handshake modes and the strobes are not modelled, so
//   STAF stays 0; the other bits are kept and read back, $03 after reset: EGA and INVB
//   set, A8TD 6.x, PIOC),
//   PORTD $1008 (PD0-PD5) with DDRD $1009, PORTE $100A input only (A/D inputs).
// - F1: PORTB $1004 output only, PORTC $1006 with DDRC $1007, PORTD/DDRD and PORTE as
//   above (its ports F and G stay plain latches).
//
// Port A is the main timer's (main_timer.h). PD0/PD1 carry the SCI: the SCI model
// drives the line itself, so PORTD only mirrors what the program and the board set.
#pragma once

#include "chip.h"

#include <cstdint>

namespace hc11 {

enum class Port : uint8_t { B, C, D, E };

class Ports {
public:
    explicit Ports(const ChipDescription& chip);
    void reset();
    bool isRegister(uint16_t address) const;
    uint8_t read(uint16_t address) const;
    void write(uint16_t address, uint8_t value);

    // A level driven on an input pin from outside (a switch, a probe). Ignored by the
    // port while the pin is an output.
    void setInput(Port port, int pin, bool high);
    // The same for the pins in `mask` at once (a device driving a bus).
    void setInputs(Port port, uint8_t mask, uint8_t levels);
    // The levels on a port's pins: outputs show their latch, inputs the outside level.
    uint8_t pins(Port port) const;
    // Which pins are outputs (1) now: port B all, C and D by their DDR, E none.
    uint8_t outputs(Port port) const;

private:
    uint16_t portCAddress() const;

    const ChipDescription* chip_; // a pointer, so that the board can copy a port state back
    uint8_t latchB_ = 0, latchC_ = 0, latchD_ = 0;
    uint8_t ddrC_ = 0, ddrD_ = 0;
    uint8_t pioc_ = 0;
    uint8_t inC_ = 0, inD_ = 0, inE_ = 0;
};

} // namespace hc11
