// Disassembler throughput: a pseudo-random 64 KiB image listed from $0000 to $FFFF,
// instruction after instruction, the way the listing commands walk memory. Each decode
// gets the 6 bytes at its address as text, as a memory read returns them. Reports
// instructions decoded per second.
#include "disasm/desass_instr.h"
#include "link/conversions.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int kImageSize = 0x10000;
constexpr int kBytesPerRead = 6;

struct Image {
    std::vector<QString> hexa;     // the 6 bytes from each address on, as text
    std::vector<QString> adresses; // each address as four digits

    Image()
        : hexa(kImageSize)
        , adresses(kImageSize) {
        std::vector<uint8_t> octets(kImageSize);
        uint32_t graine = 0x2545F491; // xorshift32: the same image on every run
        for (uint8_t& o : octets) {
            graine ^= graine << 13;
            graine ^= graine >> 17;
            graine ^= graine << 5;
            o = uint8_t(graine >> 24);
        }
        for (int a = 0; a < kImageSize; ++a) {
            QString texte;
            for (int i = 0; i < kBytesPerRead; ++i)
                texte += tessaline::DecHexa2(octets[(a + i) % kImageSize]);
            hexa[a] = texte;
            adresses[a] = tessaline::DecHexa4(int64_t(a));
        }
    }
};

void BM_DesassInstrImage(benchmark::State& state) {
    static const Image image;
    const QString regIX = QStringLiteral("1000");
    const QString regIY = QStringLiteral("2000");
    int64_t instructions = 0;
    for (auto _ : state) {
        for (int a = 0; a < kImageSize;) {
            const tessaline::Desassemblage d =
                tessaline::DesassInstr(image.hexa[a], image.adresses[a], regIX, regIY);
            benchmark::DoNotOptimize(d.ligne.constData());
            a += d.LongInstr;
            ++instructions;
        }
    }
    state.SetItemsProcessed(instructions);
    state.counters["instructions_per_image"] =
        benchmark::Counter(double(instructions) / double(state.iterations()));
}
BENCHMARK(BM_DesassInstrImage)->Unit(benchmark::kMillisecond);

} // namespace
