#include "headless_run.h"

#include "board.h"
#include "srecord.h"
#include "srecord_file.h"
#include "text_trace.h"

#include <chrono>
#include <cstdio>
#include <memory>

namespace hc11 {

namespace {

constexpr uint32_t kHz = 1'000'000;
constexpr int kRefused = 2;

std::string registerLine(const Registers& r) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "A=%02X B=%02X X=%04X Y=%04X SP=%04X PC=%04X CCR=%02X", r.a, r.b, r.x, r.y,
                  r.sp, r.pc, r.ccr);
    return buf;
}

std::string hex4(uint16_t v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "$%04X", v);
    return buf;
}

std::string hex2(uint8_t v) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", v);
    return buf;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

int runHeadless(const SimOptions& options, std::ostream& out, std::ostream& err) {
    std::string text, error;
    switch (readSRecordFile(options.runFile, text, error)) {
    case SRecordFileRead::Read: break;
    case SRecordFileRead::Refused: err << "tessaline-sim: " << error << "\n"; return kRefused;
    case SRecordFileRead::Unreadable: err << "tessaline-sim: " << error << "\n"; return 1;
    }
    // Without a data record there is no program: the run would execute empty memory.
    const auto image = parseSRecords(text, error);
    if (image && image->blocks.empty()) {
        err << "tessaline-sim: " << options.runFile << " holds no S1 record\n";
        return kRefused;
    }

    Board board(*findChip(options.chip), options.quartzMHz * kHz);
    uint16_t first = 0;
    // A file that was read but is no program for this chip (a malformed record,
    // one outside RAM and EEPROM) is refused as the other bad files are.
    if (!board.loadSRecords(text, error, &first)) {
        err << "tessaline-sim: " << options.runFile << ": " << error << "\n";
        return kRefused;
    }
    std::unique_ptr<std::FILE, FileCloser> traceFile;
    std::unique_ptr<TextTrace> trace;
    if (!options.traceFile.empty()) {
        traceFile.reset(std::fopen(options.traceFile.c_str(), "w"));
        if (!traceFile) {
            err << "tessaline-sim: cannot write " << options.traceFile << "\n";
            return 1;
        }
        trace = std::make_unique<TextTrace>(traceFile.get());
    }

    board.resetSingleChip(options.start.value_or(first));
    Cpu& cpu = board.cpu();
    cpu.setTrace(trace.get());
    cpu.stopOnEvents = true;
    const uint64_t startCycle = board.cycleCount();
    const uint64_t limit = startCycle + options.maxCycles;
    const auto t0 = std::chrono::steady_clock::now();
    while (board.cycleCount() < limit) {
        board.runUntil(limit);
        // A WAI with I clear waits for an interrupt the board may well raise (a timer):
        // the run goes on.
        if (cpu.lastEvent() == Cpu::Event::Wai && !(cpu.r.ccr & ccr::I)) continue;
        if (cpu.lastEvent() != Cpu::Event::None) break;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    cpu.setTrace(nullptr);

    switch (cpu.lastEvent()) {
    case Cpu::Event::Wai: out << "Stopped: WAI\n"; break;
    case Cpu::Event::Stop: out << "Stopped: STOP\n"; break;
    case Cpu::Event::IllegalOpcode:
        out << "Stopped: illegal opcode at " << hex4(cpu.lastIllegalPc()) << "\n";
        break;
    case Cpu::Event::None: out << "Stopped: cycle limit\n"; break;
    }
    for (const DumpRange& d : options.dumps) {
        for (unsigned i = 0; i < d.count; ++i) {
            const auto a = uint16_t(d.address + i);
            if (i % 16 == 0) out << (i ? "\n" : "") << hex4(a) << ":";
            out << ' ' << hex2(board.peek(a));
        }
        out << "\n";
    }
    const uint64_t cycles = board.cycleCount() - startCycle;
    out << registerLine(cpu.r) << "\n";
    out << "E cycles: " << cycles << "\n";
    out << "E cycles per second: " << uint64_t(seconds > 0 ? double(cycles) / seconds : 0) << "\n";
    return 0;
}

} // namespace hc11
