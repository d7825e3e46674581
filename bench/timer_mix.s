; The CPU-bound mix of cpu_mix.s with the main timer's interrupts on: OC2 every 1000 E
; cycles toggling PA6, and the real-time interrupt (E/2^13). Measures what the timer and
; the interrupt path cost next to the CPU alone. Linked at $FE00 (the 68HC11F1's
; EEPROM) like cpu_mix.s; the two vectors sit at $FFE6 (TOC2) and $FFF0 (RTI).
        .sect .text
start:  lds     #0x03FF
        ldaa    #0x40
        staa    0x1020          ; TCTL1: OC2 toggles PA6
        staa    0x1022          ; TMSK1: OC2I
        staa    0x1024          ; TMSK2: RTII
        cli
loop:   ldaa    #0x12
        ldab    #0x34
        mul
        std     0x0100
        ldx     #0x0200
        ldy     #0x0010
inner:  ldaa    0,x
        adda    #3
        staa    0,x
        inx
        jsr     sub
        dey
        bne     inner
        bra     loop
sub:    ldd     0x0100
        addd    #1
        std     0x0100
        rts
oc2:    ldd     0x1018          ; next compare 1000 cycles after this one
        addd    #1000
        std     0x1018
        ldaa    #0x40
        staa    0x1023          ; clear OC2F
        inc     0x0180
        rti
rti:    ldaa    #0x40
        staa    0x1025          ; clear RTIF
        inc     0x0181
        rti
        .org    0x1E6
        .word   oc2
        .org    0x1F0
        .word   rti
