* The CPU-bound mix of cpu_mix.asm with the main timer's interrupts on: OC2 every
* 1000 E cycles toggling PA6, and the real-time interrupt (E/2^13). Measures what
* the timer and the interrupt path cost next to the CPU alone. At $FE00 (the
* 68HC11F1's EEPROM) like cpu_mix.asm; the two vectors sit at $FFE6 (TOC2) and
* $FFF0 (RTI).
        ORG     $FE00
start   LDS     #$03FF
        LDAA    #$40
        STAA    $1020           TCTL1: OC2 toggles PA6
        STAA    $1022           TMSK1: OC2I
        STAA    $1024           TMSK2: RTII
        CLI
loop    LDAA    #$12
        LDAB    #$34
        MUL
        STD     $0100
        LDX     #$0200
        LDY     #$0010
inner   LDAA    0,X
        ADDA    #3
        STAA    0,X
        INX
        JSR     sub
        DEY
        BNE     inner
        BRA     loop
sub     LDD     $0100
        ADDD    #1
        STD     $0100
        RTS
oc2     LDD     $1018           next compare 1000 cycles after this one
        ADDD    #1000
        STD     $1018
        LDAA    #$40
        STAA    $1023           clear OC2F
        INC     $0180
        RTI
tempsreel
        LDAA    #$40
        STAA    $1025           clear RTIF
        INC     $0181
        RTI
        ORG     $FFE6
        FDB     oc2
        ORG     $FFF0
        FDB     tempsreel
        END
