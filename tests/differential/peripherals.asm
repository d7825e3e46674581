* Timer and interrupt experiments run on two independent 68HC11 models, to
* compare what each makes of the same program. Every result is a number of E
* cycles measured with TCNT (prescaler 1), stored from $0100; the program ends
* with the two-byte sequences $CD $01 (write X..X+D-1 to the host) and $CD $03
* (exit), which one model uses to report and the other stops on as illegal
* opcodes. Normal single-chip mode, vectors in the image ($FFD6-$FFFF).
*
* The flags are polled with their interrupts enabled in TMSK1/TMSK2 and the I
* bit set: a real part sets them either way (RM 10.2, 10.3), but the GNU model
* schedules its compare and RTI events only for enabled interrupts.
*
*   $0100  OC2 seen by polling BRCLR: TCNT after the flag, minus TOC2
*   $0102  RTI period, RTR = 00 (8192 cycles, RM 10.3)
*   $0104  RTI period, RTR = 01 (16384 cycles)
*   $0106  TCNT just after TOF is seen (the overflow is at $0000)
*   $0108  OC2 interrupt from a polling loop: first TCNT read in the handler
*          minus TOC2 (latency: the instruction in progress, the 12-cycle
*          stacking and vector fetch, RM 5.x)
*   $010A  the same from WAI (the frame is stacked before the wait)
*   $010C  OC2 and OC3 pending together, served in the fixed order: 2 then 3
*   $010E  the same after HPRIO's PSEL promotes OC3: 3 then 2
REGS    EQU     $1000
TCNT    EQU     $0E
TOC2    EQU     $18
TOC3    EQU     $1A
TMSK1   EQU     $22
TFLG1   EQU     $23
TMSK2   EQU     $24
TFLG2   EQU     $25
PACTL   EQU     $26
HPRIO   EQU     $3C
OC2F    EQU     $40
OC3F    EQU     $20
RES     EQU     $0100
T0      EQU     $0130
DEST    EQU     $0132           where the OC2 handler stores its latency
PTR     EQU     $0134           next byte of the order list
FLAG    EQU     $0136

        ORG     $FE00
debut   LDS     #$03FF
        LDX     #REGS
* OC2 by polling.
        LDAA    #OC2F
        STAA    TMSK1,X
        LDD     TCNT,X
        ADDD    #300
        STD     TOC2,X
        LDAA    #OC2F
        STAA    TFLG1,X
att1    BRCLR   TFLG1,X,#OC2F,att1
        LDD     TCNT,X
        SUBD    TOC2,X
        STD     RES
* RTI periods.
        CLR     TMSK1,X
        LDAA    #$C0            TOI, RTII
        STAA    TMSK2,X
        CLR     PACTL,X
        JSR     rtif
        LDD     TCNT,X
        STD     T0
        JSR     rtif
        LDD     TCNT,X
        SUBD    T0
        STD     RES+2
        LDAA    #1
        STAA    PACTL,X
        JSR     rtif
        LDD     TCNT,X
        STD     T0
        JSR     rtif
        LDD     TCNT,X
        SUBD    T0
        STD     RES+4
* Timer overflow.
        LDAA    #$80
        STAA    TFLG2,X
att3    BRCLR   TFLG2,X,#$80,att3
        LDD     TCNT,X
        STD     RES+6
* OC2 interrupt from a polling loop.
        CLR     TMSK2,X
        LDY     #RES+8
        STY     DEST
        LDY     #$0120
        STY     PTR
        CLR     FLAG
        LDD     TCNT,X
        ADDD    #200
        STD     TOC2,X
        LDAA    #OC2F
        STAA    TFLG1,X
        STAA    TMSK1,X
        CLI
att4    TST     FLAG
        BEQ     att4
* OC2 interrupt from WAI.
        LDY     #RES+10
        STY     DEST
        LDD     TCNT,X
        ADDD    #200
        STD     TOC2,X
        WAI
        SEI
* OC2 and OC3 pending together, fixed order then OC3 promoted.
        LDY     #RES+12
        STY     PTR
        JSR     paire
        LDAA    HPRIO,X
        ANDA    #$F0
        ORAA    #$0D            PSEL = OC3
        STAA    HPRIO,X
        JSR     paire
* Report and exit.
        LDX     #RES
        LDD     #16
        FCB     $CD,$01
        FCB     $CD,$03
        BRA     *

* Waits for the next RTIF and clears it.
rtif    LDAA    #$40
        STAA    TFLG2,X
att2    BRCLR   TFLG2,X,#$40,att2
        RTS

* OC2 and OC3 made to match at the same cycle while I is set, then CLI.
paire   LDY     #T0
        STY     DEST
        LDD     TCNT,X
        ADDD    #100
        STD     TOC2,X
        STD     TOC3,X
        LDAA    #OC2F+OC3F
        STAA    TFLG1,X
        STAA    TMSK1,X
att5    LDAA    TFLG1,X
        ANDA    #OC2F+OC3F
        CMPA    #OC2F+OC3F
        BNE     att5
        CLI
        NOP
        SEI
        CLR     TMSK1,X
        RTS

oc2     LDD     TCNT,X
        SUBD    TOC2,X
        LDY     DEST
        STD     0,Y
        LDAA    #2
        BSR     noter
        LDAA    #OC2F
        STAA    TFLG1,X
        INC     FLAG
        RTI

oc3     LDAA    #3
        BSR     noter
        LDAA    #OC3F
        STAA    TFLG1,X
        RTI

noter   LDY     PTR
        STAA    0,Y
        INY
        STY     PTR
        RTS

* Interrupt vectors, $FFD6 (SCI) to $FFFF (reset); the unused ones go to the
* reset entry.
        RMB     $FFD6-*         (an error if the code ran into the table)
        FDB     debut,debut,debut,debut,debut
        FDB     debut,debut,oc3,oc2,debut
        FDB     debut,debut,debut,debut,debut
        FDB     debut,debut,debut,debut,debut,debut
        END     debut
