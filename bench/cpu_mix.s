* A CPU-bound mix for measuring the simulated board: loads, stores,
* arithmetic, MUL, JSR/RTS and branches, looping until the cycle limit.
* Linked at $FE00 (the 68HC11F1's EEPROM); RAM at $0000-$03FF.
        section .text
START   lds     #$03FF
LOOP    ldaa    #$12
        ldab    #$34
        mul
        std     $0100
        ldx     #$0200
        ldy     #$0010
INNER   ldaa    0,x
        adda    #3
        staa    0,x
        inx
        jsr     SUB
        dey
        bne     INNER
        bra     LOOP
SUB     ldd     $0100
        addd    #1
        std     $0100
        rts
        end
