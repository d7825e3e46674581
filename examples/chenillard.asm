* chenillard.asm: an LED chaser for the 68HC11F1's EEPROM ($FE00-$FFFF).
* One LED of port B lights at a time and moves by one place every 200 ms,
* paced by the main timer's output compare 2; a push button on the IRQ pin
* reverses its direction, one press one reversal.
*
* Timing (E = 2 MHz, crystal 8 MHz): TCNT counts E cycles (prescaler 1, TMSK2
* PR1:PR0 = 00 after reset, M68HC11 RM 10.1). OC2 interrupts every PERIODE =
* 50 000 E cycles (25 ms); every PAS = 8th interrupt moves the LED: one step
* every 400 000 E cycles, 200 ms. Each compare is set PERIODE after the
* previous one, not after the moment the handler runs, so the steps do not
* drift. With another crystal the steps scale with it (4 MHz: 400 ms).
*
* RAM, above the Talker's $0000-$00FF:
*   $0100  MOTIF  the pattern on port B (one bit set), PB0 = bit 0
*   $0101  SENS   0: the LED moves up (PB0 towards PB7), $FF: down
*   $0102  TICS   OC2 interrupts left before the next step
* Up, PB7 is followed by PB0; down, PB0 is followed by PB7.
*
* It runs two ways, from the same entry point $FE00:
* - Under the Talker (bootstrap mode, RUN FE00): the boot ROM's OC2 vector
*   points to the RAM pseudo-vector $00DC, where the program writes JMP
*   chenille. $00DC lies in the Talker's stack ($00CC-$00E8): the program
*   first moves its own stack to the top of RAM ($03FF), so nothing pushed
*   overwrites that JMP. The I bit is cleared so that the Talker can still
*   answer the host (Stop, memory reads) from its SCI interrupt; no SCI
*   register is touched. The IRQ pseudo-vector $00EE is the Talker's own (an
*   RTI followed by its idle loop), so under the Talker the button does
*   nothing.
* - Standalone (RESET in normal single-chip mode): the CPU fetches the reset
*   vector $FFFE, inside the F1's EEPROM; the vector table at $FFD6-$FFFF
*   sends OC2 to chenille and IRQ to bouton.
*
* The IRQ pin is made falling-edge sensitive (OPTION.IRQE = 1), so that a
* press held down is one interrupt, not one after another. IRQE is time-
* protected: in the normal modes it can be written only during the first 64 E
* cycles after reset (M68HC11 RM 5.x, OPTION), hence the first instructions.
* (A real push button bounces: on a board, add an RC filter or ignore the
* presses that follow within a few milliseconds.)
*
* COP watchdog: the loop writes $55 then $AA to COPRST on every pass, so the
* program also runs on a part whose CONFIG.NOCOP is 0 (COP on in the normal
* modes). The simulated F1's CONFIG is $FF (NOCOP = 1, COP off), and the
* special modes disable it anyway.
*
*   debut       IRQ edge-sensitive, stack, pseudo-vector, first LED,
*               first compare, interrupts on
*   boucle      feeds the COP; the interrupts do the work. (With nothing
*               else to do, a program could also wait in WAI between
*               interrupts to save power; this one keeps running, as a
*               main loop with work to do would.)
*   chenille    OC2: next compare, flag cleared, every 8th time one step
*   bouton      IRQ: reverses SENS
PORTB   EQU     $1004           port B, outputs (the LEDs)
TOC2    EQU     $1018           output compare 2 (16 bits)
TMSK1   EQU     $1022           timer interrupt masks: OC2I = bit 6
TFLG1   EQU     $1023           timer flags: OC2F = bit 6, cleared by writing 1
OPTION  EQU     $1039           IRQE = bit 5 (time-protected)
COPRST  EQU     $103A           COP reset: $55 then $AA
TCNT    EQU     $100E           free-running counter (16 bits)
OC2F    EQU     %01000000
IRQE    EQU     %00100000

PILE    EQU     $03FF           top of the F1's RAM
VOC2    EQU     $00DC           OC2 pseudo-vector (bootstrap mode)
PERIODE EQU     50000           E cycles between two OC2 interrupts
PAS     EQU     8               interrupts per step

MOTIF   EQU     $0100
SENS    EQU     $0101
TICS    EQU     $0102

        ORG     $FE00

debut   LDAA    OPTION          within the first 64 E cycles after reset
        ORAA    #IRQE
        STAA    OPTION
        SEI                     no interrupt while setting up
        LDS     #PILE
        LDAA    #$7E            JMP extended
        STAA    VOC2
        LDX     #chenille
        STX     VOC2+1
        CLR     SENS            moving up
        LDAA    #%00000001      PB0 lit first
        STAA    MOTIF
        STAA    PORTB
        LDAA    #PAS
        STAA    TICS
        LDD     TCNT            first compare one period from now
        ADDD    #PERIODE
        STD     TOC2
        LDAA    #OC2F
        STAA    TFLG1           clear a flag left over
        STAA    TMSK1           OC2 interrupt on, the other timer ones off
        CLI
boucle  LDAA    #$55
        STAA    COPRST
        LDAA    #$AA
        STAA    COPRST
        BRA     boucle

* OC2 interrupt.
chenille
        LDD     TOC2            next compare one period after this one
        ADDD    #PERIODE
        STD     TOC2
        LDAA    #OC2F
        STAA    TFLG1           OC2F cleared (only that bit written 1)
        DEC     TICS
        BNE     fini
        LDAA    #PAS
        STAA    TICS
        LDAA    MOTIF
        TST     SENS
        BNE     descend
        LSLA                    up: the bit moves towards PB7
        BNE     affiche
        LDAA    #%00000001      past PB7: back to PB0
        BRA     affiche
descend LSRA                    down: the bit moves towards PB0
        BNE     affiche
        LDAA    #%10000000      past PB0: back to PB7
affiche STAA    MOTIF
        STAA    PORTB
fini    RTI

* IRQ interrupt (falling edge on the pin): the other direction.
bouton  COM     SENS
        RTI

* Any other interrupt: ignored.
ignore  RTI

* The vector table, $FFD6-$FFFF, used standalone. The COP, clock monitor and
* illegal opcode vectors restart the program.
        RMB     $FFD6-*         (an error if the code ran into the table)
        FDB     ignore          $FFD6 SCI
        FDB     ignore          $FFD8 SPI
        FDB     ignore          $FFDA pulse accumulator input edge
        FDB     ignore          $FFDC pulse accumulator overflow
        FDB     ignore          $FFDE timer overflow
        FDB     ignore          $FFE0 output compare 5
        FDB     ignore          $FFE2 output compare 4
        FDB     ignore          $FFE4 output compare 3
        FDB     chenille        $FFE6 output compare 2
        FDB     ignore          $FFE8 output compare 1
        FDB     ignore          $FFEA input capture 3
        FDB     ignore          $FFEC input capture 2
        FDB     ignore          $FFEE input capture 1
        FDB     ignore          $FFF0 real-time interrupt
        FDB     bouton          $FFF2 IRQ
        FDB     ignore          $FFF4 XIRQ
        FDB     ignore          $FFF6 SWI
        FDB     debut           $FFF8 illegal opcode
        FDB     debut           $FFFA COP failure
        FDB     debut           $FFFC clock monitor
        FDB     debut           $FFFE reset
        END     debut
