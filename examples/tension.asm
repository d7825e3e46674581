* tension.asm: a voltmeter for the 68HC11F1's EEPROM ($FE00-$FFFF). It reads
* the voltage on PE0 (A/D channel 0) again and again and shows it on the
* eight LEDs of port B as a bar graph: the higher the voltage, the more LEDs,
* lit from PB0 upwards.
*
* The converter gives 0 to 255 for VRL = 0 V to VRH = 5 V (M68HC11 RM 12.2).
* LED n (PB0 = LED 0) lights when the result reaches SEUILS[n] = 32n + 16,
* that is from (n + 1/2) x 5/8 V:
*   0 V     $00   no LED          2.5 V  $80   PB0-PB3 ($0F)
*   1 V     $33   PB0-PB1 ($03)   5 V    $FF   all eight ($FF)
*
* The converter is polled, no interrupt: it works the same under the Talker
* (RUN FE00) and standalone (RESET in normal single-chip mode, the reset
* vector $FFFE in the vector table below). The program sets its own stack at
* the top of RAM and clears the I bit so that the Talker, when present, can
* still answer the host from its SCI interrupt; no SCI register is touched.
* Its RAM is above the Talker's $0000-$00FF:
*   $0100  MESURE  the last result read from ADR1
*
* COP watchdog: every pass writes $55 then $AA to COPRST, so the program also
* runs on a part whose CONFIG.NOCOP is 0. The simulated F1's CONFIG is $FF
* (COP off).
*
*   debut       stack, converter powered (OPTION.ADPU), 100 us wait
*   mesure      one conversion sequence on PE0: ADCTL = $00 (SCAN = 0,
*               MULT = 0, channel 0) starts four conversions of PE0 and clears
*               CCF; CCF (bit 7) is set when all four are done, 128 E cycles
*               later (RM 12.3); ADR1 holds the first
*   seuil       A = the bar: one more bit (SEC, ROLA) per threshold reached
PORTB   EQU     $1004           port B, outputs (the LEDs)
ADCTL   EQU     $1030           A/D control and status: CCF = bit 7
ADR1    EQU     $1031           first A/D result
OPTION  EQU     $1039           ADPU = bit 7
COPRST  EQU     $103A           COP reset: $55 then $AA
ADPU    EQU     %10000000

PILE    EQU     $03FF           top of the F1's RAM
MESURE  EQU     $0100

        ORG     $FE00

debut   LDS     #PILE
        CLI
        LDAA    OPTION
        ORAA    #ADPU           power the converter's charge pump
        STAA    OPTION
* After ADPU is set the converter needs up to 100 us before the first
* result is right (RM 12.1): 200 E cycles at 2 MHz. 50 turns of 5 cycles.
        LDAB    #50
pompe   DECB
        BNE     pompe

mesure  LDAA    #$55
        STAA    COPRST
        LDAA    #$AA
        STAA    COPRST
        CLR     ADCTL           channel 0, one sequence: starts it
attend  TST     ADCTL
        BPL     attend          CCF still clear
        LDAB    ADR1
        STAB    MESURE
        CLRA                    no LED yet
        LDX     #seuils
seuil   CMPB    0,X
        BLO     affiche         below this threshold: the bar stops here
        SEC
        ROLA                    one more LED above the others
        INX
        CPX     #seuils+8
        BNE     seuil
affiche STAA    PORTB
        BRA     mesure

seuils  FCB     16,48,80,112,144,176,208,240

* Any interrupt: ignored. None is enabled, but with I clear the IRQ pin
* (level-sensitive after reset) interrupts while it is held low.
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
        FDB     ignore          $FFE6 output compare 2
        FDB     ignore          $FFE8 output compare 1
        FDB     ignore          $FFEA input capture 3
        FDB     ignore          $FFEC input capture 2
        FDB     ignore          $FFEE input capture 1
        FDB     ignore          $FFF0 real-time interrupt
        FDB     ignore          $FFF2 IRQ
        FDB     ignore          $FFF4 XIRQ
        FDB     ignore          $FFF6 SWI
        FDB     debut           $FFF8 illegal opcode
        FDB     debut           $FFFA COP failure
        FDB     debut           $FFFC clock monitor
        FDB     debut           $FFFE reset
        END     debut
