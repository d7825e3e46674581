* chenillard.s: an LED chaser for the 68HC11F1's EEPROM ($FE00-$FFFF).
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
*   (section .vectors) sends OC2 to chenille and IRQ to bouton.
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
PORTB   equ     $1004           port B, outputs (the LEDs)
TOC2    equ     $1018           output compare 2 (16 bits)
TMSK1   equ     $1022           timer interrupt masks: OC2I = bit 6
TFLG1   equ     $1023           timer flags: OC2F = bit 6, cleared by writing 1
OPTION  equ     $1039           IRQE = bit 5 (time-protected)
COPRST  equ     $103A           COP reset: $55 then $AA
TCNT    equ     $100E           free-running counter (16 bits)
OC2F    equ     %01000000
IRQE    equ     %00100000

PILE    equ     $03FF           top of the F1's RAM
VOC2    equ     $00DC           OC2 pseudo-vector (bootstrap mode)
PERIODE equ     50000           E cycles between two OC2 interrupts
PAS     equ     8               interrupts per step

MOTIF   equ     $0100
SENS    equ     $0101
TICS    equ     $0102

        section .text

debut   ldaa    OPTION          within the first 64 E cycles after reset
        oraa    #IRQE
        staa    OPTION
        sei                     no interrupt while setting up
        lds     #PILE
        ldaa    #$7E            JMP extended
        staa    VOC2
        ldx     #chenille
        stx     VOC2+1
        clr     SENS            moving up
        ldaa    #%00000001      PB0 lit first
        staa    MOTIF
        staa    PORTB
        ldaa    #PAS
        staa    TICS
        ldd     TCNT            first compare one period from now
        addd    #PERIODE
        std     TOC2
        ldaa    #OC2F
        staa    TFLG1           clear a flag left over
        staa    TMSK1           OC2 interrupt on, the other timer ones off
        cli
boucle  ldaa    #$55
        staa    COPRST
        ldaa    #$AA
        staa    COPRST
        bra     boucle

* OC2 interrupt.
chenille
        ldd     TOC2            next compare one period after this one
        addd    #PERIODE
        std     TOC2
        ldaa    #OC2F
        staa    TFLG1           OC2F cleared (only that bit written 1)
        dec     TICS
        bne     fini
        ldaa    #PAS
        staa    TICS
        ldaa    MOTIF
        tst     SENS
        bne     descend
        lsla                    up: the bit moves towards PB7
        bne     affiche
        ldaa    #%00000001      past PB7: back to PB0
        bra     affiche
descend lsra                    down: the bit moves towards PB0
        bne     affiche
        ldaa    #%10000000      past PB0: back to PB7
affiche staa    MOTIF
        staa    PORTB
fini    rti

* IRQ interrupt (falling edge on the pin): the other direction.
bouton  com     SENS
        rti

* Any other interrupt: ignored.
ignore  rti

* The vector table, $FFD6-$FFFF, used standalone. The COP, clock monitor and
* illegal opcode vectors restart the program.
        section .vectors
        fdb     ignore          $FFD6 SCI
        fdb     ignore          $FFD8 SPI
        fdb     ignore          $FFDA pulse accumulator input edge
        fdb     ignore          $FFDC pulse accumulator overflow
        fdb     ignore          $FFDE timer overflow
        fdb     ignore          $FFE0 output compare 5
        fdb     ignore          $FFE2 output compare 4
        fdb     ignore          $FFE4 output compare 3
        fdb     chenille        $FFE6 output compare 2
        fdb     ignore          $FFE8 output compare 1
        fdb     ignore          $FFEA input capture 3
        fdb     ignore          $FFEC input capture 2
        fdb     ignore          $FFEE input capture 1
        fdb     ignore          $FFF0 real-time interrupt
        fdb     bouton          $FFF2 IRQ
        fdb     ignore          $FFF4 XIRQ
        fdb     ignore          $FFF6 SWI
        fdb     debut           $FFF8 illegal opcode
        fdb     debut           $FFFA COP failure
        fdb     debut           $FFFC clock monitor
        fdb     debut           $FFFE reset
        end
