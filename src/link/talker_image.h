// The Talker as the host keeps it: the bootstrap sync byte $FF followed by the
// 256 bytes the boot ROM stores at $0000-$00FF, as 514 upper-case hexadecimal
// digits. Its 68HC11 source is talker.asm: the build assembles it, a test checks
// that this constant is that assembly, and scripts/update-images.sh refreshes it.
#pragma once

namespace tessaline {

extern const char* const TalkerImageHex;

// Where things lie in the Talker's RAM image (target addresses).
namespace talker {
inline constexpr int ImageBytes = 256;
inline constexpr int WireBytes = ImageBytes + 1; // with the sync byte
inline constexpr int SciPseudoVector = 0x00C4;
inline constexpr int HostPatchFirst = 0x00D0; // BAUD value and two counts, written by the host
inline constexpr int HostPatchLast = 0x00D5;
inline constexpr int StackBottom = 0x00CC; // lowest byte of the stack area
inline constexpr int StackTop = 0x00E8;    // first byte pushed
inline constexpr int IdleFrame = 0x00E0;   // frame address reported right after a download
inline constexpr int AddressWord = 0x00E9; // the address a command is receiving, 2 bytes
inline constexpr int RtiPseudoVector = 0x00EB;
inline constexpr int IrqPseudoVector = 0x00EE;
inline constexpr int IdleLoop = 0x00EF;
inline constexpr int SwiPseudoVector = 0x00F4;
inline constexpr int IllegalOpcodePseudoVector = 0x00F7;
inline constexpr int DelayCount = 0x00FC; // 16 bits, high byte first
inline constexpr int BaudValue = 0x00FE;
inline constexpr int Sccr2Value = 0x00FF;
} // namespace talker

} // namespace tessaline
