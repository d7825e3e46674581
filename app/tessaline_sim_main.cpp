// tessaline-sim: the simulated 68HC11 board behind a pseudo-terminal, for the real
// serial code path and for other tools; or, with --run, a headless run of an S-record
// file. See sim/sim_options.h for the command line.
//
// Pseudo-terminal mode prints the slave's path on the first line of standard output,
// then runs the board (held in reset until the host has set its line to the boot rate
// and left it alone for a moment, see sim/pty_bridge.h) until standard input closes or a
// SIGINT, SIGTERM or SIGHUP arrives. Standard input takes the front panel's commands,
// one a line, each answered on a line of standard output (sim/panel_commands.h): "reset"
// there, or SIGUSR1, presses RESET (bootstrap mode). --link PATH also makes PATH a
// symbolic link to the terminal (refused with exit 2 when something other than a stale
// link is there; see sim/pty_link.h). --eeprom FILE.S19 preloads the EEPROM before the
// terminal opens (a file refused by sim/eeprom_image.h ends with exit 2, an unreadable
// one with 1).
// --help prints the usage, --version the version.
#include "example_files.h"
#include "sim/board.h"
#include "sim/eeprom_image.h"
#include "sim/headless_run.h"
#include "sim/panel_commands.h"
#include "sim/pty_bridge.h"
#include "sim/pty_endpoint.h"
#include "sim/sim_options.h"
#include "sim/text_trace.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint32_t kHz = 1'000'000;
constexpr char kSignalReset = 'r';
constexpr char kSignalQuit = 'q';

int signalPipe[2] = {-1, -1};

extern "C" void onSignal(int sig) {
    const char c = sig == SIGUSR1 ? kSignalReset : kSignalQuit;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

int usageError(const std::string& message) {
    std::cerr << "tessaline-sim: " << message << "\n";
    return 2;
}

int runPty(const hc11::SimOptions& o) {
    hc11::Board board(*hc11::findChip(o.chip), o.quartzMHz * kHz);
    // The front panel's LCD and keypad ("key", "lcd" on standard input).
    board.fitLcdAndKeypad();
    if (!o.eepromFile.empty()) {
        std::string error;
        const auto loaded = hc11::loadEepromImage(board, tessaline::cheminExemple(o.eepromFile), error);
        if (loaded == hc11::EepromImageLoad::Refused) return usageError(error);
        if (loaded == hc11::EepromImageLoad::Unreadable) {
            std::cerr << "tessaline-sim: " << error << "\n";
            return 1;
        }
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> traceFile(nullptr, std::fclose);
    std::unique_ptr<hc11::TextTrace> trace;
    if (!o.traceFile.empty()) {
        traceFile.reset(std::fopen(o.traceFile.c_str(), "w"));
        if (!traceFile) {
            std::cerr << "tessaline-sim: cannot write " << o.traceFile << "\n";
            return 1;
        }
        trace = std::make_unique<hc11::TextTrace>(traceFile.get());
        board.cpu().setTrace(trace.get());
    }

    hc11::PtyEndpoint pty;
    std::string error;
    if (!pty.open(error)) {
        std::cerr << "tessaline-sim: " << error << "\n";
        return 1;
    }
    if (!o.linkPath.empty()) {
        const auto made = pty.link(o.linkPath, error);
        if (made == hc11::PtyLink::Result::Refused) return usageError(error);
        if (made == hc11::PtyLink::Result::Failed) {
            std::cerr << "tessaline-sim: " << error << "\n";
            return 1;
        }
    }
    std::printf("%s\n", pty.slavePath().c_str());
    std::fflush(stdout);

    if (::pipe(signalPipe) != 0) {
        std::cerr << "tessaline-sim: pipe failed\n";
        return 1;
    }
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGUSR1, SIGINT, SIGTERM, SIGHUP})
        ::sigaction(sig, &sa, nullptr);

    hc11::PtyBridge bridge(board, pty, o.fast, std::chrono::milliseconds(o.latencyMs));
    bridge.watch(signalPipe[0], [&] {
        char c = 0;
        if (::read(signalPipe[0], &c, 1) != 1) return true;
        if (c == kSignalReset) {
            bridge.resetBoard();
            return true;
        }
        return false;
    });
    std::string pending;
    bridge.watch(STDIN_FILENO, [&] {
        char buf[256];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) return false; // standard input closed
        pending.append(buf, std::size_t(n));
        for (std::size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::string answer =
                hc11::runPanelCommand(line, board, [&](bool singleChip) { bridge.resetBoard(singleChip); });
            std::printf("%s\n", answer.c_str());
            std::fflush(stdout);
        }
        return true;
    });
    bridge.run();
    board.cpu().setTrace(nullptr);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    // --help and --version answer wherever they stand, before any other
    // argument is judged: the first of them given.
    for (const std::string_view a : args) {
        if (a == "--version") {
            std::cout << "tessaline-sim " << TESSALINE_VERSION << "\n";
            return 0;
        }
        if (a == "--help" || a == "-h") {
            std::cout << hc11::kSimUsage;
            return 0;
        }
    }
    std::string error;
    const auto options = hc11::parseSimOptions(args, error);
    if (!options) return usageError(error);
    if (options->help) {
        std::cout << hc11::kSimUsage;
        return 0;
    }
    if (!options->runFile.empty()) return hc11::runHeadless(*options, std::cout, std::cerr, &std::cin);
    return runPty(*options);
}
