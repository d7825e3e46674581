// The special bootstrap mode loader (M68HC11 RM 3-16..3-18; AN1060), modelled in C++
// rather than as 68HC11 code. It works the SCI through its registers as the ROM
// program does, so the line sees what a real part sends:
//   - at reset: SCI at E/256 (BAUD $22, 7812 baud at E = 2 MHz), TE and RE on, then a
//     break (SBK set and cleared);
//   - it waits, without time limit, for the first character. $FF (received intact at
//     E/256) keeps the rate; $00 (a break, or $00 sent slower) makes it jump to the
//     start of EEPROM; anything else (typically $FF sent at 1200 baud, seen as $C0 or
//     $E0) switches to E/(16*104) (BAUD $33, 1202 baud at E = 2 MHz). This sync
//     character is neither stored nor echoed;
//   - every later character is stored from the start of RAM upward and echoed; the
//     echo waits for TDRE, and characters that complete meanwhile overrun as on the
//     real part;
//   - fixed-length loaders jump to $0000 right after the last byte's echo is written;
//     variable-length ones after RAM is full or after RxD has been idle for
//     kBootIdleCharacters character times at the detected rate (also after the sync
//     character alone).
// The ROM's own setup instructions are taken as instantaneous: the preamble that TE
// sends starts at the reset cycle and the break follows it.
//
// Assumed where the sources at hand stop: the $00 jump goes to the chip's EEPROM start
// on every part ($B600 on A1/E1, $FE00 on the F1, $F800 on the 811E2); the F1 ROM's
// extra sync characters ($F0 for 9600 baud, $FD for 5208/3906 baud at E = 2 MHz) are
// not modelled, so on the F1 too any character other than $FF and $00 selects E/1664.
#pragma once

#include "chip.h"
#include "sci.h"

#include <cstdint>
#include <span>

namespace hc11 {

// BAUD values the ROM uses (A8TD table 5-2): E/(16*4*4) and E/(16*13*8).
inline constexpr uint8_t kBootBaudFast = 0x22;
inline constexpr uint8_t kBootBaudSlow = 0x33;
inline constexpr uint8_t kBootSyncFast = 0xFF;
inline constexpr uint8_t kBootSyncEeprom = 0x00;

class BootLoader {
public:
    enum class State : uint8_t { Off, WaitSync, Loading, Done };
    enum class Jump : uint8_t { None, Ram, Eeprom };

    BootLoader(const ChipDescription& chip, Sci& sci, std::span<uint8_t> ram);

    // The ROM starts: configure the SCI and queue the break.
    void start(uint64_t now);
    void stop() { state_ = State::Off; }

    // Reacts to the SCI (a received character, a free transmit buffer) and to its own
    // time-out, as of E cycle `now`. Returns where to jump once the download is over.
    Jump service(uint64_t now);
    // The idle time-out's deadline, or kNever.
    uint64_t nextDeadline() const { return state_ == State::Loading ? deadline_ : kNever; }

    State state() const { return state_; }
    bool waitingForSync() const { return state_ == State::WaitSync; }
    // What the loader stored, and whether any stored character came with FE, NF or OR.
    std::span<const uint8_t> loaded() const { return ram_.first(count_); }
    bool sawCorruptCharacter() const { return corrupt_; }
    bool fastRate() const { return fast_; }
    uint8_t lastByte() const { return lastByte_; }

private:
    Jump finish(Jump j);
    void armDeadline(uint64_t now);

    const ChipDescription& chip_;
    Sci& sci_;
    std::span<uint8_t> ram_;
    State state_ = State::Off;
    uint16_t count_ = 0;
    bool corrupt_ = false;
    bool fast_ = true;
    bool echoPending_ = false;
    uint8_t lastByte_ = 0;
    uint64_t deadline_ = kNever;
};

} // namespace hc11
