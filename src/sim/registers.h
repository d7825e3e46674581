// The on-chip register block as the data sheets name it: addresses at the reset
// position of the block ($1000, INIT = $01), bit masks, reset values and the small
// tables that give the registers their meaning (MC68HC11A8 TD and M68HC11 RM, register
// and control bit assignment tables).
//
// The board keeps the register block at $1000 whatever INIT says: remapping RAM and
// registers through INIT is not modelled (INIT is a plain latch).
#pragma once

#include <array>
#include <cstdint>

namespace hc11 {

namespace reg {
inline constexpr uint16_t Base = 0x1000;

inline constexpr uint16_t PORTA = 0x1000;
inline constexpr uint16_t DDRA = 0x1001;  // F1 only
inline constexpr uint16_t PIOC = 0x1002;  // A and E series, 811E2
inline constexpr uint16_t PORTC = 0x1003; // A and E series, 811E2
inline constexpr uint16_t PORTB = 0x1004;
inline constexpr uint16_t PORTCL = 0x1005;   // A and E series, 811E2
inline constexpr uint16_t PORTC_F1 = 0x1006; // F1
inline constexpr uint16_t DDRC = 0x1007;
inline constexpr uint16_t PORTD = 0x1008;
inline constexpr uint16_t DDRD = 0x1009;
inline constexpr uint16_t PORTE = 0x100A;
inline constexpr uint16_t CFORC = 0x100B;
inline constexpr uint16_t OC1M = 0x100C;
inline constexpr uint16_t OC1D = 0x100D;
inline constexpr uint16_t TCNT = 0x100E; // free-running counter, high byte (low at $100F)
inline constexpr uint16_t TCNTL = 0x100F;
inline constexpr uint16_t TIC1 = 0x1010; // TIC1-TIC3, TOC1-TOC5: 16-bit, high byte first
inline constexpr uint16_t TOC1 = 0x1016;
inline constexpr uint16_t TOC5L = 0x101F;
inline constexpr uint16_t TCTL1 = 0x1020;
inline constexpr uint16_t TCTL2 = 0x1021;
inline constexpr uint16_t TMSK1 = 0x1022;
inline constexpr uint16_t TFLG1 = 0x1023;
inline constexpr uint16_t TMSK2 = 0x1024;
inline constexpr uint16_t TFLG2 = 0x1025;
inline constexpr uint16_t PACTL = 0x1026;
inline constexpr uint16_t PACNT = 0x1027;
inline constexpr uint16_t SPCR = 0x1028;
inline constexpr uint16_t BAUD = 0x102B;
inline constexpr uint16_t SCCR1 = 0x102C;
inline constexpr uint16_t SCCR2 = 0x102D;
inline constexpr uint16_t SCSR = 0x102E;
inline constexpr uint16_t SCDR = 0x102F;
inline constexpr uint16_t ADCTL = 0x1030;
inline constexpr uint16_t ADR1 = 0x1031;
inline constexpr uint16_t ADR2 = 0x1032;
inline constexpr uint16_t ADR3 = 0x1033;
inline constexpr uint16_t ADR4 = 0x1034;
inline constexpr uint16_t BPROT = 0x1035;
inline constexpr uint16_t OPTION = 0x1039;
inline constexpr uint16_t COPRST = 0x103A;
inline constexpr uint16_t PPROG = 0x103B;
inline constexpr uint16_t HPRIO = 0x103C;
inline constexpr uint16_t INIT = 0x103D;
inline constexpr uint16_t CONFIG = 0x103F;
} // namespace reg

// BAUD: TCLR SCP2 SCP1 SCP0 RCKB SCR2 SCR1 SCR0 (A8TD 5-11; SCP2 exists on the F1 only).
namespace baud {
inline constexpr uint8_t TCLR = 0x80;
inline constexpr uint8_t SCP2 = 0x40;
inline constexpr uint8_t SCPMask = 0x30;
inline constexpr int SCPShift = 4;
inline constexpr uint8_t RCKB = 0x08;
inline constexpr uint8_t SCRMask = 0x07;
// Prescaler divide ratio for SCP1:SCP0 = 0..3 (A8TD table 5-1).
inline constexpr std::array<uint32_t, 4> Prescale = {1, 3, 4, 13};
// Every SCI bit lasts 16 receiver clocks (RM 9.2: the receiver samples at 16 times
// the bit rate).
inline constexpr uint32_t ClocksPerBit = 16;
} // namespace baud

// SCCR1: R8 T8 - M WAKE - - - (RM 9-10).
namespace sccr1 {
inline constexpr uint8_t R8 = 0x80;
inline constexpr uint8_t T8 = 0x40;
inline constexpr uint8_t M = 0x10;
inline constexpr uint8_t WAKE = 0x08;
} // namespace sccr1

// SCCR2: TIE TCIE RIE ILIE TE RE RWU SBK (RM 9-11).
namespace sccr2 {
inline constexpr uint8_t TIE = 0x80;
inline constexpr uint8_t TCIE = 0x40;
inline constexpr uint8_t RIE = 0x20;
inline constexpr uint8_t ILIE = 0x10;
inline constexpr uint8_t TE = 0x08;
inline constexpr uint8_t RE = 0x04;
inline constexpr uint8_t RWU = 0x02;
inline constexpr uint8_t SBK = 0x01;
} // namespace sccr2

// SCSR: TDRE TC RDRF IDLE OR NF FE - (RM 9-12, A8TD 5-11).
namespace scsr {
inline constexpr uint8_t TDRE = 0x80;
inline constexpr uint8_t TC = 0x40;
inline constexpr uint8_t RDRF = 0x20;
inline constexpr uint8_t IDLE = 0x10;
inline constexpr uint8_t OR = 0x08;
inline constexpr uint8_t NF = 0x04;
inline constexpr uint8_t FE = 0x02;
// Flags cleared by reading SCSR and then SCDR, and by reading SCSR and then writing SCDR.
inline constexpr uint8_t ReceiveFlags = RDRF | IDLE | OR | NF | FE;
inline constexpr uint8_t TransmitFlags = TDRE | TC;
inline constexpr uint8_t Reset = TDRE | TC;
} // namespace scsr

// PPROG: ODD EVEN - BYTE ROW ERASE EELAT EEPGM (A8TD 3-6).
namespace pprog {
inline constexpr uint8_t ODD = 0x80;
inline constexpr uint8_t EVEN = 0x40;
inline constexpr uint8_t BYTE = 0x10;
inline constexpr uint8_t ROW = 0x08;
inline constexpr uint8_t ERASE = 0x04;
inline constexpr uint8_t EELAT = 0x02;
inline constexpr uint8_t EEPGM = 0x01;
} // namespace pprog

// BPROT: - - - PTCON BPRT3 BPRT2 BPRT1 BPRT0; reset $1F (E-series TD, "BPROT").
namespace bprot {
inline constexpr uint8_t PTCON = 0x10;
inline constexpr uint8_t BlockMask = 0x0F;
inline constexpr uint8_t Reset = 0x1F;
} // namespace bprot

// SPCR: SPIE SPE DWOM MSTR CPOL CPHA SPR1 SPR0. DWOM puts port D in wired-OR mode; the
// boot ROM sets it (RM 3-16).
namespace spcr {
inline constexpr uint8_t DWOM = 0x20;
} // namespace spcr

// HPRIO: RBOOT SMOD MDA IRV PSEL3-0 (A8TD section 9). PSEL resets to 0101 (IRQ highest).
namespace hprio {
inline constexpr uint8_t RBOOT = 0x80;
inline constexpr uint8_t SMOD = 0x40;
inline constexpr uint8_t MDA = 0x20;
inline constexpr uint8_t IRV = 0x10;
inline constexpr uint8_t PSELMask = 0x0F;
inline constexpr uint8_t PSELReset = 0x05;
// Reset values by mode: bootstrap (MODB = MODA = 0) sets RBOOT and SMOD; single chip
// (MODB = 1, MODA = 0) sets neither (A8TD section 2, hardware mode select summary).
inline constexpr uint8_t ResetBootstrap = RBOOT | SMOD | PSELReset;
inline constexpr uint8_t ResetSingleChip = PSELReset;
} // namespace hprio

// TMSK2/TFLG2: TOI RTII PAOVI PAII - - PR1 PR0 / TOF RTIF PAOVF PAIF - - - -. PR1:PR0
// select the timer prescaler (RM 10.2, 10.3).
namespace tmsk2 {
inline constexpr uint8_t TOI = 0x80;
inline constexpr uint8_t RTII = 0x40;
inline constexpr uint8_t PAOVI = 0x20;
inline constexpr uint8_t PAII = 0x10;
inline constexpr uint8_t InterruptMask = 0xF0;
inline constexpr uint8_t PRMask = 0x03;
inline constexpr std::array<uint32_t, 4> Prescale = {1, 4, 8, 16};
} // namespace tmsk2

// TMSK1/TFLG1: OC1 OC2 OC3 OC4 OC5 IC1 IC2 IC3, one bit per compare and capture
// (RM 10.2). Output compare n (1..5) is bit 8 - n; input capture n (1..3) bit 3 - n.
namespace tflg1 {
inline constexpr uint8_t ocBit(int n) {
    return uint8_t(0x100 >> n);
}
inline constexpr uint8_t icBit(int n) {
    return uint8_t(0x08 >> n);
}
} // namespace tflg1

// PACTL: DDRA7 PAEN PAMOD PEDGE - - RTR1 RTR0 (RM 10.4, 10.5); on the E series bit 3
// is DDRA3 and bit 2 I4/O5 (E series TD, PACTL).
namespace pactl {
inline constexpr uint8_t DDRA7 = 0x80;
inline constexpr uint8_t DDRA3 = 0x08;
inline constexpr uint8_t I4O5 = 0x04;
inline constexpr uint8_t PAEN = 0x40;
inline constexpr uint8_t PAMOD = 0x20; // 0 event counting, 1 gated time accumulation
inline constexpr uint8_t PEDGE = 0x10;
inline constexpr uint8_t RTRMask = 0x03;
} // namespace pactl

// ADCTL: CCF - SCAN MULT CD CC CB CA (RM 12.4).
namespace adctl {
inline constexpr uint8_t CCF = 0x80;
inline constexpr uint8_t Unused = 0x40;
inline constexpr uint8_t SCAN = 0x20;
inline constexpr uint8_t MULT = 0x10;
inline constexpr uint8_t ChannelMask = 0x0F; // CD:CC:CB:CA
inline constexpr uint8_t GroupMask = 0x0C;   // CD:CC, the group MULT converts
} // namespace adctl

// OPTION: ADPU CSEL IRQE DLY CME - CR1 CR0. IRQE, DLY and CR1:CR0 are time-protected
// (RM 3.x, table of time-protected bits).
namespace option {
inline constexpr uint8_t ADPU = 0x80;
inline constexpr uint8_t CSEL = 0x40;
inline constexpr uint8_t CRMask = 0x03;
inline constexpr uint8_t IRQE = 0x20;
inline constexpr uint8_t DLY = 0x10;
inline constexpr uint8_t CME = 0x08;
inline constexpr uint8_t Protected = IRQE | DLY | 0x03;
} // namespace option

// CONFIG: (EE3-EE0 on the F1 and 811E2) NOSEC NOCOP ROMON EEON (A8TD 4.x, CONFIG).
namespace config {
inline constexpr uint8_t NOCOP = 0x04;
inline constexpr uint8_t EEON = 0x01;
} // namespace config

// The COP time-out is E / 2^15 divided by 1, 4, 16 or 64 (OPTION CR1:CR0, RM 5.x): 2^15
// E cycles shifted left by 2 * CR. COPRST clears the watchdog with $55 then $AA.
inline constexpr uint64_t kCopBaseCycles = uint64_t(1) << 15;
inline constexpr uint8_t kCopArm = 0x55;
inline constexpr uint8_t kCopClear = 0xAA;

// Leaving STOP with OPTION.DLY set waits about 4064 E cycles for the oscillator to
// stabilise (M68HC11 RM 2.x, OPTION register, DLY).
inline constexpr unsigned kStopRecoveryCycles = 4064;
// With DLY clear "the MCU resumes processing within about four bus cycles" (A8TD,
// OPTION register, DLY).
inline constexpr unsigned kStopRecoveryCyclesNoDelay = 4;
inline constexpr unsigned stopRecovery(uint8_t optionValue) {
    return (optionValue & option::DLY) ? kStopRecoveryCycles : kStopRecoveryCyclesNoDelay;
}

// Time-protected control bits can be written only during the first 64 E cycles after
// reset in the normal modes, and at any time in the special modes (RM 3-18). The board
// applies this to BPROT (clearing), TMSK2 PR1:PR0 and OPTION's IRQE, DLY, CR1:CR0.
inline constexpr uint64_t kTimeProtectedCycles = 64;

// Reset values of the registers the board keeps as plain latches. Registers not
// listed reset to $00. These matter only to programs that read them back.
struct RegisterResetValue {
    uint16_t address;
    uint8_t value;
};
inline constexpr std::array<RegisterResetValue, 3> kLatchResetValues = {{
    {reg::SPCR, 0x04},   // CPHA set (A8TD section 7, SPI)
    {reg::OPTION, 0x10}, // DLY set
    {reg::INIT, 0x01},   // RAM at $0000, registers at $1000
}};

} // namespace hc11
