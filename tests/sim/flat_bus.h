// A 64 KiB flat-RAM bus for CPU tests and benchmarks: every page is fast, except pages a
// test routes through the slow path on purpose (to watch accesses or to lower eventLimit
// from inside an instruction, as a peripheral register does).
#pragma once

#include "sim/bus.h"
#include "sim/cpu.h"

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

namespace hc11::test {

class FlatBus : public Bus {
public:
    FlatBus() {
        readFast_.fill(true);
        writeFast_.fill(true);
        eventLimit = std::numeric_limits<uint64_t>::max();
    }

    uint8_t& operator[](uint16_t a) { return mem_[a]; }
    void load(uint16_t a, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes)
            mem_[a++] = b;
    }
    void load(uint16_t a, const std::vector<uint8_t>& bytes) {
        for (uint8_t b : bytes)
            mem_[a++] = b;
    }
    uint16_t word(uint16_t a) const { return uint16_t(mem_[a] << 8 | mem_[uint16_t(a + 1)]); }
    void setWord(uint16_t a, uint16_t v) {
        mem_[a] = uint8_t(v >> 8);
        mem_[uint16_t(a + 1)] = uint8_t(v);
    }

    // Route one 256-byte page through readSlow/writeSlow; a write to `limitTrigger`
    // there sets eventLimit to the current cycle count.
    void makeSlow(uint8_t page) {
        readFast_[page] = false;
        writeFast_[page] = false;
    }
    uint16_t limitTrigger = 0xFFFF;
    int slowReads = 0;
    int slowWrites = 0;

    uint16_t irqVectorOffset = vec::Irq;
    uint16_t maskableVectorOffset() override { return irqVectorOffset; }

protected:
    uint8_t readSlow(uint16_t a) override {
        ++slowReads;
        return mem_[a];
    }
    void writeSlow(uint16_t a, uint8_t v) override {
        ++slowWrites;
        mem_[a] = v;
        if (a == limitTrigger) eventLimit = cycles;
    }
};

// A CPU on a flat bus, with the vectors at $FFC0 pointing at distinct handlers.
struct FlatBoard {
    FlatBus bus;
    Cpu cpu{bus};

    static constexpr uint16_t kCode = 0x1000;
    static constexpr uint16_t kStack = 0x01FF;

    // Handler address for a vector offset: $E000 + 2 * offset, so each vector is distinct.
    static constexpr uint16_t handlerFor(uint16_t offset) { return uint16_t(0xE000 + 2 * offset); }

    FlatBoard() {
        for (uint16_t off = 0; off < 0x40; off += 2)
            bus.setWord(uint16_t(bus.vectorBase + off), handlerFor(off));
        cpu.jump(kCode);
        cpu.r.sp = kStack;
        cpu.r.ccr = 0; // all interrupts unmasked, S clear
    }

    // Places code at `at` and points the PC at it.
    void program(const std::vector<uint8_t>& bytes, uint16_t at = kCode) {
        bus.load(at, bytes);
        cpu.jump(at);
    }
    // Executes one instruction and returns its E cycles.
    unsigned exec() { return cpu.step(); }

    // Places `code` at kCode, loads the registers (PC excepted) and steps until the PC
    // leaves the code. Returns the registers afterwards.
    Registers run(const std::vector<uint8_t>& code, Registers in, int maxSteps = 16) {
        bus.load(kCode, code);
        cpu.r = in;
        cpu.jump(kCode);
        for (int i = 0; i < maxSteps && cpu.r.pc >= kCode && cpu.r.pc < kCode + code.size(); ++i)
            cpu.step();
        return cpu.r;
    }
};

// The registers as text (PC left out), for readable comparisons in tests.
inline std::string describe(const Registers& r, uint8_t ccrMask = 0xFF) {
    char text[64];
    std::snprintf(text, sizeof text, "A=%02X B=%02X X=%04X Y=%04X SP=%04X CCR=%02X", r.a, r.b, r.x, r.y, r.sp,
                  r.ccr & ccrMask);
    return text;
}

} // namespace hc11::test
