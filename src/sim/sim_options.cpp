#include "sim_options.h"

#include "chip.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace hc11 {

namespace {

template <typename T>
bool parseNumber(std::string_view s, T& out, int base) {
    if (s.empty()) return false;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out, base);
    return ec == std::errc() && p == s.data() + s.size();
}

} // namespace

std::optional<SimOptions> parseSimOptions(std::span<const std::string_view> args, std::string& error) {
    SimOptions o;
    bool sawStart = false, sawMax = false;
    std::vector<std::string_view> seen;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        // Each option once: a second one would contradict the first. --dump
        // adds a range each time.
        if (a.starts_with("--") && a != "--dump" && std::find(seen.begin(), seen.end(), a) != seen.end()) {
            error = std::string(a) + " is given twice";
            return std::nullopt;
        }
        seen.push_back(a);
        auto value = [&](std::string_view& v) {
            if (i + 1 >= args.size()) {
                error = std::string(a) + " needs a value";
                return false;
            }
            v = args[++i];
            return true;
        };
        std::string_view v;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--fast") {
            o.fast = true;
        } else if (a == "--terminal") {
            o.terminal = true;
        } else if (a == "--chip") {
            if (!value(v)) return std::nullopt;
            if (!findChip(v)) {
                error = "unknown chip " + std::string(v);
                return std::nullopt;
            }
            o.chip = v;
        } else if (a == "--quartz") {
            if (!value(v)) return std::nullopt;
            unsigned q = 0;
            if (!parseNumber(v, q, 10) || (q != 2 && q != 4 && q != 8 && q != 16)) {
                error = "--quartz takes 2, 4, 8 or 16 (MHz), not " + std::string(v);
                return std::nullopt;
            }
            o.quartzMHz = q;
        } else if (a == "--trace") {
            if (!value(v)) return std::nullopt;
            o.traceFile = v;
        } else if (a == "--link") {
            if (!value(v)) return std::nullopt;
            o.linkPath = v;
        } else if (a == "--eeprom") {
            if (!value(v)) return std::nullopt;
            o.eepromFile = v;
        } else if (a == "--latency") {
            if (!value(v)) return std::nullopt;
            if (!parseNumber(v, o.latencyMs, 10) || o.latencyMs == 0 || o.latencyMs > 255) {
                error = "--latency takes 1 to 255 (milliseconds), not " + std::string(v);
                return std::nullopt;
            }
        } else if (a == "--run") {
            if (!value(v)) return std::nullopt;
            o.runFile = v;
        } else if (a == "--start") {
            if (!value(v)) return std::nullopt;
            if (v.starts_with("$"))
                v.remove_prefix(1);
            else if (v.starts_with("0x") || v.starts_with("0X"))
                v.remove_prefix(2);
            uint16_t s = 0;
            if (!parseNumber(v, s, 16)) {
                error = "--start takes a hexadecimal address, not " + std::string(args[i]);
                return std::nullopt;
            }
            o.start = s;
            sawStart = true;
        } else if (a == "--dump") {
            if (!value(v)) return std::nullopt;
            const auto colon = v.find(':');
            uint16_t at = 0;
            unsigned count = 0;
            if (colon == std::string_view::npos || !parseNumber(v.substr(0, colon), at, 16) ||
                !parseNumber(v.substr(colon + 1), count, 10) || count == 0 || count > 256) {
                error =
                    "--dump takes ADDR:COUNT (hexadecimal address, 1 to 256 bytes), not " + std::string(v);
                return std::nullopt;
            }
            o.dumps.push_back({at, count});
            sawStart = true;
        } else if (a == "--max-cycles") {
            if (!value(v)) return std::nullopt;
            if (!parseNumber(v, o.maxCycles, 10) || o.maxCycles == 0) {
                error = "--max-cycles takes a positive number, not " + std::string(v);
                return std::nullopt;
            }
            sawMax = true;
        } else {
            error = "unknown argument " + std::string(a);
            return std::nullopt;
        }
    }
    if (o.runFile.empty() && (sawStart || sawMax || o.terminal)) {
        error = "--start, --max-cycles, --dump and --terminal go with --run";
        return std::nullopt;
    }
    if (!o.runFile.empty() && (o.fast || !o.linkPath.empty() || !o.eepromFile.empty() || o.latencyMs)) {
        error = "--fast, --link, --eeprom and --latency do not go with --run";
        return std::nullopt;
    }
    return o;
}

} // namespace hc11
