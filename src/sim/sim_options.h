// Command line of tessaline-sim:
//   tessaline-sim [--chip NAME] [--quartz 2|4|8|16] [--fast] [--trace FILE] [--link PATH]
//                 [--eeprom FILE.S19] [--latency MS]
//   tessaline-sim --run FILE.S19 [--chip NAME] [--quartz Q] [--start ADDR] [--max-cycles N]
//                 [--dump ADDR:COUNT]...
//   tessaline-sim --help | --version
// kSimUsage is what --help prints: every option, and the front panel's commands.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hc11 {

// --dump ADDR:COUNT: COUNT bytes (1 to 256) from ADDR, printed after a headless run.
struct DumpRange {
    uint16_t address = 0;
    unsigned count = 0;
    bool operator==(const DumpRange&) const = default;
};

struct SimOptions {
    // --help (or -h): print kSimUsage and do nothing else.
    bool help = false;
    std::string chip = "68HC11F1";
    unsigned quartzMHz = 8;
    bool fast = false;
    std::string traceFile;
    std::string linkPath;
    // --eeprom: S-record image the EEPROM holds at power-on (pseudo-terminal mode).
    std::string eepromFile;
    // --latency: a USB serial adapter's latency timer, in milliseconds (0: none).
    unsigned latencyMs = 0;
    // --run: headless run of an S-record file instead of the pseudo-terminal.
    std::string runFile;
    std::optional<uint16_t> start;
    // Default cycle limit of a headless run: 50 s of E at 2 MHz.
    uint64_t maxCycles = 100'000'000;
    // Each --dump, in the order given.
    std::vector<DumpRange> dumps;
    // --terminal: the program's SCI on standard input and output during --run.
    bool terminal = false;
};

inline constexpr std::string_view kSimUsage =
    "usage: tessaline-sim [--chip NAME] [--quartz 2|4|8|16] [--fast] [--trace FILE] [--link PATH]\n"
    "                     [--eeprom FILE.S19] [--latency MS]\n"
    "       tessaline-sim --run FILE.S19 [--chip NAME] [--quartz 2|4|8|16] [--start ADDR]\n"
    "                     [--max-cycles N] [--trace FILE] [--dump ADDR:COUNT]... [--terminal]\n"
    "       tessaline-sim --help | --version\n"
    "\n"
    "A simulated 68HC11 board behind a pseudo-terminal, whose path is the first line of\n"
    "standard output; with --run, a headless run of an S-record file instead.\n"
    "\n"
    "options:\n"
    "  --chip NAME         68HC11A1, 68HC11E1, 68HC11F1 or 68HC11811E2 (default 68HC11F1)\n"
    "  --quartz MHZ        the crystal: 2, 4, 8 or 16 MHz (default 8; E is a quarter of it)\n"
    "  --fast              run the downloaded program as fast as possible (the boot ROM\n"
    "                      keeps real time)\n"
    "  --trace FILE        write every executed instruction to FILE\n"
    "  --link PATH         also make PATH a symbolic link to the terminal (refused when\n"
    "                      PATH exists, unless it is a stale link to a terminal gone)\n"
    "  --eeprom FILE.S19   load the file's S1 records into the EEPROM before the board\n"
    "                      first leaves reset\n"
    "  --latency MS        behave as a USB serial adapter with a latency timer of MS\n"
    "                      milliseconds (1 to 255): bytes for the host wait until MS have\n"
    "                      passed or 62 are waiting\n"
    "  --run FILE.S19      load the file and run it headless in normal single-chip mode\n"
    "                      until WAI with interrupts masked, STOP, an illegal opcode or\n"
    "                      the cycle limit; print the memory asked for, the registers and\n"
    "                      the E cycles used\n"
    "  --start ADDR        --run: start at ADDR (hexadecimal) instead of the first record\n"
    "  --max-cycles N      --run: the cycle limit (default 100000000)\n"
    "  --terminal          --run: standard input goes to the program's SCI receiver, at\n"
    "                      the rate the program set, once it enables the receiver; what\n"
    "                      its SCI sends goes to standard output; the run also ends once\n"
    "                      the input is all received and the line has been quiet for\n"
    "                      0.1 s of board time; the summary then goes to standard error\n"
    "  --dump ADDR:COUNT   --run: print COUNT bytes (1 to 256) from ADDR (hexadecimal);\n"
    "                      may be given several times\n"
    "  --help, -h          print this help\n"
    "  --version           print the version\n"
    "\n"
    "The front panel: one command a line on standard input, each answered on one line:\n"
    "  irq 0|1             the IRQ pin: 1 holds it low, 0 releases it; answers ok\n"
    "  xirq 0|1            the XIRQ pin, the same way\n"
    "  pin PORT BIT 0|1    the level of an input pin: PA0-PA2 and PA7 (PA3 on the E series,\n"
    "                      all of port A on the F1), PC0-PC7, PD0-PD5, PE0-PE7\n"
    "  adc CHANNEL VOLTS   the voltage on A/D channel 0-7 (PE0-PE7), 0 to 5 V\n"
    "  leds                port B's pins: answers leds XX (hexadecimal, PB7 first)\n"
    "  port PORT           a port's pins (A to E): answers port C XX\n"
    "  key K|none          the keypad: holds key K (0-F) down alone, or releases them\n"
    "                      (its columns are PE4-PE7: pin and adc take PE0-PE3 only)\n"
    "  lcd                 the LCD's two rows: answers lcd \"ROW 1\" \"ROW 2\"\n"
    "  reset               RESET in bootstrap mode (as SIGUSR1 does); answers ok\n"
    "  reset single        RESET in normal single-chip mode: the program at the reset\n"
    "                      vector runs\n"
    "A line it does not understand answers error: and the reason, and changes nothing.\n";

// Parses the arguments after the program name. On a usage error returns nothing and
// sets `error` to one line.
std::optional<SimOptions> parseSimOptions(std::span<const std::string_view> args, std::string& error);

} // namespace hc11
