// CPU throughput on a flat bus: a 68HC11 loop of loads, stores, 8- and 16-bit arithmetic,
// MUL, JSR/RTS and branches, run through Cpu::run() in slices the way the board runs it
// between events. Reports emulated E cycles per second of host time.
#include "flat_bus.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

using hc11::test::FlatBus;

// clang-format off
const std::vector<uint8_t> kProgram = {
    0x8E, 0x01, 0xFF,       // $1000        LDS  #$01FF
    0xCE, 0x20, 0x00,       // $1003 outer  LDX  #$2000
    0x18, 0xCE, 0x00, 0x40, // $1006        LDY  #$0040
    0xA6, 0x00,             // $100A loop   LDAA 0,X
    0xE6, 0x01,             // $100C        LDAB 1,X
    0x3D,                   // $100E        MUL
    0xD3, 0x80,             // $100F        ADDD $80
    0xDD, 0x80,             // $1011        STD  $80
    0xBD, 0x10, 0x20,       // $1013        JSR  sub
    0xA7, 0x02,             // $1016        STAA 2,X
    0x08,                   // $1018        INX
    0x18, 0x09,             // $1019        DEY
    0x26, 0xED,             // $101B        BNE  loop
    0x20, 0xE4,             // $101D        BRA  outer
    0x01,                   // $101F        NOP
    0x96, 0x82,             // $1020 sub    LDAA $82
    0x8B, 0x11,             // $1022        ADDA #$11
    0x97, 0x82,             // $1024        STAA $82
    0x81, 0x80,             // $1026        CMPA #$80
    0x22, 0x01,             // $1028        BHI  skip
    0x4C,                   // $102A        INCA
    0x39,                   // $102B skip   RTS
};
// clang-format on

// The board stops the CPU at each timed event; a slice of this many E cycles stands for
// the time between two events (about a character time at 9600 baud with a 2 MHz E clock).
constexpr uint64_t kSliceCycles = 2000;

// Argument 1: a maskable interrupt request stays asserted while I is set (a program polling
// a peripheral with interrupts masked), which sends every instruction boundary through the
// interrupt check's slow branch.
void BM_CpuMixedLoop(benchmark::State& state) {
    FlatBus bus;
    hc11::Cpu cpu(bus);
    bus.irqAsserted = state.range(0) != 0;
    cpu.r.ccr = hc11::ccr::I;
    bus.load(0x1000, kProgram);
    for (uint16_t a = 0x2000; a < 0x2100; ++a)
        bus[a] = uint8_t(a * 7);
    cpu.jump(0x1000);
    bus.eventLimit = 0;

    const uint64_t startCycles = bus.cycles;
    const uint64_t startInstructions = cpu.instructions();
    for (auto _ : state) {
        bus.eventLimit = bus.cycles + kSliceCycles;
        cpu.run();
    }
    state.counters["E_cycles_per_s"] =
        benchmark::Counter(double(bus.cycles - startCycles), benchmark::Counter::kIsRate);
    state.counters["instructions_per_s"] =
        benchmark::Counter(double(cpu.instructions() - startInstructions), benchmark::Counter::kIsRate);
    if (cpu.lastIllegalPc() != 0 || cpu.r.pc < 0x1000 || cpu.r.pc > 0x102B)
        state.SkipWithError("the benchmark program left its loop");
}
BENCHMARK(BM_CpuMixedLoop)->Arg(0)->Arg(1);

} // namespace
