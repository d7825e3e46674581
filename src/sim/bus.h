// The CPU's view of the chip: a 64 KiB address space with a fast path for plain
// memory, the interrupt lines, and the shared E-clock counter.
//
// Every 256-byte page is either "fast" (the byte in mem_ is the byte the CPU sees,
// for reading, for writing, or both) or handled by the board's slow path (register
// block, EEPROM while its latch is set, writes to EEPROM and to unmapped space).
// The CPU never knows which chip it runs on.
#pragma once

#include <array>
#include <cstdint>

namespace hc11 {

class Bus {
public:
    virtual ~Bus() = default;

    uint8_t read(uint16_t a) { return readFast_[a >> 8] ? mem_[a] : readSlow(a); }
    void write(uint16_t a, uint8_t v) {
        if (writeFast_[a >> 8])
            mem_[a] = v;
        else
            writeSlow(a, v);
    }
    uint16_t read16(uint16_t a) { return uint16_t(read(a) << 8 | read(uint16_t(a + 1))); }
    // The byte stored at `a`, without going through the memory map (no side effect).
    uint8_t memoryByte(uint16_t a) const { return mem_[a]; }

    // E cycles since power-on. The CPU adds each instruction's cycles; peripherals
    // read it to time characters, EEPROM programming and the free-running counter.
    uint64_t cycles = 0;
    // The CPU's run loop returns as soon as cycles reaches this value, so that the
    // board can service its next timed event (a character completing, a deadline).
    // Peripherals lower it when an access schedules an earlier event.
    uint64_t eventLimit = 0;

    // Maskable interrupt request (IRQ pin or any enabled on-chip source pending).
    bool irqAsserted = false;
    // Non-maskable XIRQ request (masked only by the X bit).
    bool xirqAsserted = false;
    // The IRQ pin's own request: with XIRQ, the only maskable one that ends STOP (the
    // on-chip sources have no clock while stopped; M68HC11 RM 5.x, STOP).
    bool irqPinAsserted = false;
    // E cycles the oscillator takes to restart when STOP ends (OPTION.DLY).
    unsigned stopRecoveryCycles = 0;
    // OPTION.CME: the clock monitor resets the part when the clocks stop.
    bool clockMonitorOn = false;
    // Offset from the vector base of the highest-priority pending maskable source
    // (for example 0x16 for the SCI), asked when the CPU takes the interrupt.
    virtual uint16_t maskableVectorOffset() = 0;

    // $FFC0 in the normal modes; $BFC0 in the special modes, where the boot ROM
    // supplies the vectors (M68HC11 RM section 3.4, "Bootstrap mode").
    uint16_t vectorBase = 0xFFC0;
    // The TEST opcode ($00) is legal only in the special test and bootstrap modes
    // (RM 5-23); in the normal modes it traps as an illegal opcode.
    bool specialMode = false;

protected:
    virtual uint8_t readSlow(uint16_t a) = 0;
    virtual void writeSlow(uint16_t a, uint8_t v) = 0;

    std::array<uint8_t, 65536> mem_{};
    std::array<bool, 256> readFast_{};
    std::array<bool, 256> writeFast_{};
};

// Vector offsets from the vector base (MC68HC11A8 Technical Data, table 9-4).
namespace vec {
inline constexpr uint16_t Sci = 0x16;
inline constexpr uint16_t Spi = 0x18;
inline constexpr uint16_t PulseAccInput = 0x1A;
inline constexpr uint16_t PulseAccOverflow = 0x1C;
inline constexpr uint16_t TimerOverflow = 0x1E;
inline constexpr uint16_t Toc5 = 0x20;
inline constexpr uint16_t Toc4 = 0x22;
inline constexpr uint16_t Toc3 = 0x24;
inline constexpr uint16_t Toc2 = 0x26;
inline constexpr uint16_t Toc1 = 0x28;
inline constexpr uint16_t Tic3 = 0x2A;
inline constexpr uint16_t Tic2 = 0x2C;
inline constexpr uint16_t Tic1 = 0x2E;
inline constexpr uint16_t Rti = 0x30;
inline constexpr uint16_t Irq = 0x32;
inline constexpr uint16_t Xirq = 0x34;
inline constexpr uint16_t Swi = 0x36;
inline constexpr uint16_t IllegalOpcode = 0x38;
inline constexpr uint16_t Cop = 0x3A;
inline constexpr uint16_t ClockMonitor = 0x3C;
inline constexpr uint16_t Reset = 0x3E;
} // namespace vec

} // namespace hc11
