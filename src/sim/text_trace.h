// One text line per executed instruction: E cycle, PC, the instruction's bytes and the
// registers before it ran, for example
//   1234567 0003 1F 2E 20 FC  A=00 B=00 X=1000 Y=0000 SP=00FF CCR=D0
#pragma once

#include "cpu.h"

#include <cstdio>
#include <string>

namespace hc11 {

// Formats one trace line (without the newline).
std::string formatTraceLine(uint64_t cycle, uint16_t pc, const uint8_t* bytes, int length,
                            const Registers& r);

class TextTrace : public InstructionTrace {
public:
    // Writes to `out`, which stays owned by the caller.
    explicit TextTrace(std::FILE* out)
        : out_(out) {}
    void instruction(uint64_t cycle, uint16_t pc, const uint8_t* bytes, int length,
                     const Registers& before) override;

private:
    std::FILE* out_;
};

} // namespace hc11
