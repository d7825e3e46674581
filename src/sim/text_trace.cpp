#include "text_trace.h"

namespace hc11 {

namespace {
constexpr int kLongestInstruction = 5; // prebyte, opcode and three operand bytes
}

std::string formatTraceLine(uint64_t cycle, uint16_t pc, const uint8_t* bytes, int length,
                            const Registers& r) {
    char buf[128];
    int n = std::snprintf(buf, sizeof buf, "%10llu %04X ", static_cast<unsigned long long>(cycle), pc);
    for (int i = 0; i < kLongestInstruction; ++i)
        n += i < length ? std::snprintf(buf + n, sizeof buf - n, "%02X ", bytes[i])
                        : std::snprintf(buf + n, sizeof buf - n, "   ");
    std::snprintf(buf + n, sizeof buf - n, " A=%02X B=%02X X=%04X Y=%04X SP=%04X CCR=%02X", r.a, r.b, r.x,
                  r.y, r.sp, r.ccr);
    return buf;
}

void TextTrace::instruction(uint64_t cycle, uint16_t pc, const uint8_t* bytes, int length,
                            const Registers& before) {
    const std::string line = formatTraceLine(cycle, pc, bytes, length, before);
    std::fputs(line.c_str(), out_);
    std::fputc('\n', out_);
}

} // namespace hc11
