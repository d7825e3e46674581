#include "panel_commands.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <vector>

namespace hc11 {
namespace {

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

std::optional<int> integer(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<bool> level(std::string_view text) {
    if (text == "0") return false;
    if (text == "1") return true;
    return std::nullopt;
}

// The pins of each port that an outside level can drive. Port A: PA0-PA2 are the input
// captures and PA7 the pulse accumulator (RM 10.x); PA3-PA6 are outputs. Port B is output
// only. Port D has six pins (RM 7.x).
uint8_t inputPins(char port, const Board& board) {
    switch (port) {
    case 'A': return board.portAInputCapable();
    case 'C': return 0xFF;
    case 'D': return 0x3F;
    case 'E': return 0xFF;
    default: return 0;
    }
}

std::optional<char> portName(std::string_view text) {
    if (text.size() != 1) return std::nullopt;
    const char c = text[0] >= 'a' && text[0] <= 'z' ? char(text[0] - 'a' + 'A') : text[0];
    if (c < 'A' || c > 'E') return std::nullopt;
    return c;
}

uint8_t pinsOf(Board& board, char port) {
    switch (port) {
    case 'A': return board.portAPins();
    case 'B': return board.portPins(Port::B);
    case 'C': return board.portPins(Port::C);
    case 'D': return board.portPins(Port::D);
    default: return board.portPins(Port::E);
    }
}

std::string hexAnswer(std::string_view prefix, uint8_t value) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", value);
    return std::string(prefix) + digits;
}

std::string error(std::string_view reason) {
    return "error: " + std::string(reason);
}

std::string setLineLevel(const std::vector<std::string_view>& w, Board& board) {
    if (w.size() != 2) return error(std::string(w[0]) + " takes one argument, 0 or 1");
    const auto low = level(w[1]);
    if (!low) return error(std::string(w[0]) + " takes 0 or 1");
    if (w[0] == "irq")
        board.setIrqPinLow(*low);
    else
        board.setXirqPinLow(*low);
    return "ok";
}

std::string setPin(const std::vector<std::string_view>& w, Board& board) {
    if (w.size() != 4) return error("usage: pin PORT BIT 0|1");
    const auto port = portName(w[1]);
    if (!port || inputPins(*port, board) == 0) return error("pin takes port A, C, D or E");
    const auto bit = integer(w[2]);
    if (!bit || *bit < 0 || *bit > 7 || !(inputPins(*port, board) >> *bit & 1)) {
        std::string broche = "P";
        broche += *port;
        broche.append(w[2]);
        return error(broche + " is not an input pin");
    }
    const auto high = level(w[3]);
    if (!high) return error("pin level must be 0 or 1");
    if (*port == 'E' && *bit >= 4 && board.lcdAndKeypadFitted())
        return error("PE" + std::string(w[2]) + " is a keypad column");
    if (*port == 'A')
        board.setPortAInput(*bit, *high);
    else
        board.setPortInput(*port == 'C' ? Port::C : *port == 'D' ? Port::D : Port::E, *bit, *high);
    return "ok";
}

std::string setAnalog(const std::vector<std::string_view>& w, Board& board) {
    if (w.size() != 3) return error("usage: adc CHANNEL VOLTS");
    const auto channel = integer(w[1]);
    if (!channel || *channel < 0 || *channel > 7) return error("A/D channel must be 0 to 7");
    if (*channel >= 4 && board.lcdAndKeypadFitted())
        return error("PE" + std::string(w[1]) + " is a keypad column");
    double volts = 0;
    const auto [end, ec] = std::from_chars(w[2].data(), w[2].data() + w[2].size(), volts);
    // VRL = 0 V and VRH = 5 V on the board; the inputs must stay between them.
    if (ec != std::errc() || end != w[2].data() + w[2].size() || !(volts >= 0.0 && volts <= 5.0))
        return error("volts must be a number from 0 to 5");
    board.setAnalogInput(*channel, volts);
    return "ok";
}

std::string setKey(const std::vector<std::string_view>& w, Board& board) {
    if (w.size() != 2) return error("usage: key 0-F|none");
    if (!board.lcdAndKeypadFitted()) return error("no keypad on this board");
    if (w[1] == "none") {
        board.releaseAllKeys();
        return "ok";
    }
    const char c = w[1].size() == 1 ? w[1][0] : '\0';
    const int key = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                           : -1;
    if (key < 0) return error("key takes a hex digit 0-F or none");
    board.releaseAllKeys();
    board.pressKey(key / Keypad::kSize, key % Keypad::kSize);
    return "ok";
}

std::string lcdRows(Board& board) {
    if (!board.lcdAndKeypadFitted()) return error("no LCD on this board");
    std::string out = "lcd";
    for (int row = 0; row < Lcd::kRows; ++row)
        out += " \"" + board.lcd().shownRow(row) + "\"";
    return out;
}

} // namespace

std::string runPanelCommand(std::string_view line, Board& board,
                            const std::function<void(bool singleChip)>& pressReset) {
    const auto w = words(line);
    if (w.empty()) return error("empty line");
    const std::string_view command = w[0];
    if (command == "irq" || command == "xirq") return setLineLevel(w, board);
    if (command == "pin") return setPin(w, board);
    if (command == "adc") return setAnalog(w, board);
    if (command == "key") return setKey(w, board);
    if (command == "lcd") {
        if (w.size() != 1) return error("lcd takes no argument");
        return lcdRows(board);
    }
    if (command == "leds") {
        if (w.size() != 1) return error("leds takes no argument");
        return hexAnswer("leds ", board.portPins(Port::B));
    }
    if (command == "port") {
        const auto port = w.size() == 2 ? portName(w[1]) : std::nullopt;
        if (!port) return error("usage: port A|B|C|D|E");
        return hexAnswer(std::string("port ") + *port + " ", pinsOf(board, *port));
    }
    if (command == "reset") {
        const bool single = w.size() == 2 && w[1] == "single";
        if (w.size() > 2 || (w.size() == 2 && !single)) return error("usage: reset [single]");
        if (pressReset)
            pressReset(single);
        else if (single)
            board.resetSingleChip();
        else
            board.resetBootstrap();
        return "ok";
    }
    return error("unknown command " + std::string(command));
}

} // namespace hc11
