// tessaline-lab's check files: any text to the reader; a check it accepts then runs its
// first case, cut to 20 000 E cycles, on a small program with labels, so that every
// stimulus and expectation the reader lets through meets a board.
#include "lab/lab_case_run.h"
#include "lab/lab_check_reader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace tessaline::lab;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const LectureVerification l =
        lireVerification(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!l.verification) return 0;
    VerificationLab v = *l.verification;
    CasLab& cas = v.cas.front();
    cas.limite = std::min<uint64_t>(cas.limite, 20'000);
    // debut: LDS #$03FF; boucle: INC $0100; STAA $1004; BRA boucle (F1 EEPROM, and RAM).
    static const ProgrammeLab programme{
        {{0xFE00, {0x8E, 0x03, 0xFF, 0x7C, 0x01, 0x00, 0xB7, 0x10, 0x04, 0x20, 0xF8}},
         {0xFFFE, {0xFE, 0x00}}},
        {{"debut", 0xFE00}, {"boucle", 0xFE03}}};
    static const ProgrammeLab ailleurs{{{0x0100, {0x20, 0xFE}}}, {{"debut", 0x0100}}};
    executerCas(v, cas, v.puce == "68HC11F1" || v.puce == "68HC11811E2" ? programme : ailleurs);
    return 0;
}
