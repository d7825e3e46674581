#include "headless_run.h"

#include "board.h"
#include "registers.h"
#include "srecord.h"
#include "srecord_file.h"
#include "text_trace.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iterator>
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

// The program's SCI on a terminal: what was typed goes to the receiver, at the rate
// the program set, once it enables the receiver (a character sent before would be lost
// on the real line too); what the SCI sends is written out as it comes. The run ends
// once all the input is received and the line has been quiet for a while.
class Terminal {
public:
    Terminal(Board& board, std::istream* in, std::ostream& out)
        : board_(board)
        , out_(out)
        , on_(in != nullptr) {
        if (in) input_.assign(std::istreambuf_iterator<char>(*in), std::istreambuf_iterator<char>());
    }
    bool on() const { return on_; }
    // A slice of the run: a millisecond of board time.
    uint64_t slice() const { return std::max<uint64_t>(1, uint64_t(board_.eClockHz() / 1000)); }
    // After each slice: sends the input once the receiver is on, writes what came out.
    // True when the run is over: the input all received and 0.1 s of quiet.
    bool turn() {
        const uint64_t now = board_.cycleCount();
        if (!sent_ && (board_.sci().peek(reg::SCCR2) & kRe)) {
            // The host's end follows the program's rate, as a terminal set to it would.
            board_.setHostBaud(board_.eClockHz() / board_.sci().bitCycles());
            for (char c : input_)
                board_.hostSend(static_cast<uint8_t>(c));
            sent_ = true;
            lastActivity_ = now;
        }
        if (flush()) lastActivity_ = now;
        const bool received = sent_ || input_.empty();
        return received && board_.hostIdle() && now - lastActivity_ > uint64_t(board_.eClockHz() / 10);
    }
    // Writes what the SCI sent; true when something came.
    bool flush() {
        const std::vector<uint8_t> bytes = board_.hostReadAll();
        if (bytes.empty()) return false;
        out_.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        out_.flush();
        return true;
    }

private:
    static constexpr uint8_t kRe = 0x04; // SCCR2 RE: receiver enable (RM 9-11)
    Board& board_;
    std::ostream& out_;
    bool on_;
    std::string input_;
    bool sent_ = false;
    uint64_t lastActivity_ = 0;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

int runHeadless(const SimOptions& options, std::ostream& out, std::ostream& err, std::istream* terminalIn) {
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
    Terminal terminal(board, options.terminal && terminalIn ? terminalIn : nullptr, out);
    const auto t0 = std::chrono::steady_clock::now();
    bool quiet = false;
    while (board.cycleCount() < limit) {
        board.runUntil(terminal.on() ? std::min(limit, board.cycleCount() + terminal.slice()) : limit);
        if (terminal.on() && terminal.turn()) {
            quiet = true;
            break;
        }
        // A WAI with I clear waits for an interrupt the board may well raise (a timer):
        // the run goes on.
        if (cpu.lastEvent() == Cpu::Event::Wai && !(cpu.r.ccr & ccr::I)) continue;
        if (cpu.lastEvent() != Cpu::Event::None) break;
    }
    if (terminal.on()) terminal.flush();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    cpu.setTrace(nullptr);

    // With the terminal, standard output is the program's: the summary goes apart.
    std::ostream& summary = terminal.on() ? err : out;
    if (quiet)
        summary << "Stopped: terminal quiet\n";
    else
        switch (cpu.lastEvent()) {
        case Cpu::Event::Wai: summary << "Stopped: WAI\n"; break;
        case Cpu::Event::Stop: summary << "Stopped: STOP\n"; break;
        case Cpu::Event::IllegalOpcode:
            summary << "Stopped: illegal opcode at " << hex4(cpu.lastIllegalPc()) << "\n";
            break;
        case Cpu::Event::None: summary << "Stopped: cycle limit\n"; break;
        }
    for (const DumpRange& d : options.dumps) {
        for (unsigned i = 0; i < d.count; ++i) {
            const auto a = uint16_t(d.address + i);
            if (i % 16 == 0) summary << (i ? "\n" : "") << hex4(a) << ":";
            summary << ' ' << hex2(board.peek(a));
        }
        summary << "\n";
    }
    const uint64_t cycles = board.cycleCount() - startCycle;
    summary << registerLine(cpu.r) << "\n";
    summary << "E cycles: " << cycles << "\n";
    summary << "E cycles per second: " << uint64_t(seconds > 0 ? double(cycles) / seconds : 0) << "\n";
    return 0;
}

} // namespace hc11
