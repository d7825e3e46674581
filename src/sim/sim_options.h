// Command line of tessaline-sim:
//   tessaline-sim [--chip NAME] [--quartz 2|4|8|16] [--fast] [--trace FILE] [--link PATH]
//                 [--eeprom FILE.S19]
//   tessaline-sim --run FILE.S19 [--chip NAME] [--quartz Q] [--start ADDR] [--max-cycles N]
//                 [--dump ADDR:COUNT]
//   tessaline-sim --help
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hc11 {

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
    // --run: headless run of an S-record file instead of the pseudo-terminal.
    std::string runFile;
    std::optional<uint16_t> start;
    // Default cycle limit of a headless run: 50 s of E at 2 MHz.
    uint64_t maxCycles = 100'000'000;
    // --dump ADDR:COUNT: memory printed after a headless run (COUNT bytes, 1 to 256).
    std::optional<uint16_t> dumpAddress;
    unsigned dumpCount = 0;
};

inline constexpr std::string_view kSimUsage =
    "usage: tessaline-sim [--chip NAME] [--quartz 2|4|8|16] [--fast] [--trace FILE] [--link PATH] "
    "[--eeprom FILE.S19] | "
    "--run FILE.S19 [--chip NAME] [--quartz Q] [--start ADDR] [--max-cycles N] [--dump ADDR:COUNT] | --help "
    "| --version";

// Parses the arguments after the program name. On a usage error returns nothing and
// sets `error` to one line.
std::optional<SimOptions> parseSimOptions(std::span<const std::string_view> args, std::string& error);

} // namespace hc11
