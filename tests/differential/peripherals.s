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
REGS    equ     $1000
TCNT    equ     $0E
TOC2    equ     $18
TOC3    equ     $1A
TMSK1   equ     $22
TFLG1   equ     $23
TMSK2   equ     $24
TFLG2   equ     $25
PACTL   equ     $26
HPRIO   equ     $3C
OC2F    equ     $40
OC3F    equ     $20
RES     equ     $0100
T0      equ     $0130
DEST    equ     $0132           where the OC2 handler stores its latency
PTR     equ     $0134           next byte of the order list
FLAG    equ     $0136

debut   lds     #$03FF
        ldx     #REGS
* OC2 by polling.
        ldaa    #OC2F
        staa    TMSK1,x
        ldd     TCNT,x
        addd    #300
        std     TOC2,x
        ldaa    #OC2F
        staa    TFLG1,x
att1    brclr   TFLG1,x,#OC2F,att1
        ldd     TCNT,x
        subd    TOC2,x
        std     RES
* RTI periods.
        clr     TMSK1,x
        ldaa    #$C0            TOI, RTII
        staa    TMSK2,x
        clr     PACTL,x
        jsr     rtif
        ldd     TCNT,x
        std     T0
        jsr     rtif
        ldd     TCNT,x
        subd    T0
        std     RES+2
        ldaa    #1
        staa    PACTL,x
        jsr     rtif
        ldd     TCNT,x
        std     T0
        jsr     rtif
        ldd     TCNT,x
        subd    T0
        std     RES+4
* Timer overflow.
        ldaa    #$80
        staa    TFLG2,x
att3    brclr   TFLG2,x,#$80,att3
        ldd     TCNT,x
        std     RES+6
* OC2 interrupt from a polling loop.
        clr     TMSK2,x
        ldy     #RES+8
        sty     DEST
        ldy     #$0120
        sty     PTR
        clr     FLAG
        ldd     TCNT,x
        addd    #200
        std     TOC2,x
        ldaa    #OC2F
        staa    TFLG1,x
        staa    TMSK1,x
        cli
att4    tst     FLAG
        beq     att4
* OC2 interrupt from WAI.
        ldy     #RES+10
        sty     DEST
        ldd     TCNT,x
        addd    #200
        std     TOC2,x
        wai
        sei
* OC2 and OC3 pending together, fixed order then OC3 promoted.
        ldy     #RES+12
        sty     PTR
        jsr     paire
        ldaa    HPRIO,x
        anda    #$F0
        oraa    #$0D            PSEL = OC3
        staa    HPRIO,x
        jsr     paire
* Report and exit.
        ldx     #RES
        ldd     #16
        fcb     $CD,$01
        fcb     $CD,$03
        bra     *

* Waits for the next RTIF and clears it.
rtif    ldaa    #$40
        staa    TFLG2,x
att2    brclr   TFLG2,x,#$40,att2
        rts

* OC2 and OC3 made to match at the same cycle while I is set, then CLI.
paire   ldy     #T0
        sty     DEST
        ldd     TCNT,x
        addd    #100
        std     TOC2,x
        std     TOC3,x
        ldaa    #OC2F+OC3F
        staa    TFLG1,x
        staa    TMSK1,x
att5    ldaa    TFLG1,x
        anda    #OC2F+OC3F
        cmpa    #OC2F+OC3F
        bne     att5
        cli
        nop
        sei
        clr     TMSK1,x
        rts

oc2     ldd     TCNT,x
        subd    TOC2,x
        ldy     DEST
        std     0,y
        ldaa    #2
        bsr     noter
        ldaa    #OC2F
        staa    TFLG1,x
        inc     FLAG
        rti

oc3     ldaa    #3
        bsr     noter
        ldaa    #OC3F
        staa    TFLG1,x
        rti

noter   ldy     PTR
        staa    0,y
        iny
        sty     PTR
        rts

* Interrupt vectors, $FFD6 (SCI) to $FFFF (reset); the unused ones go to the
* reset entry.
        section vectors
        fdb     debut,debut,debut,debut,debut
        fdb     debut,debut,oc3,oc2,debut
        fdb     debut,debut,debut,debut,debut
        fdb     debut,debut,debut,debut,debut,debut
        end
