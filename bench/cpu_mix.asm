* A CPU-bound mix for measuring the simulated board: loads, stores,
* arithmetic, MUL, JSR/RTS and branches, looping until the cycle limit.
* Linked at $FE00 (the 68HC11F1's EEPROM); RAM at $0000-$03FF.
        ORG     $FE00
START   LDS     #$03FF
LOOP    LDAA    #$12
        LDAB    #$34
        MUL
        STD     $0100
        LDX     #$0200
        LDY     #$0010
INNER   LDAA    0,X
        ADDA    #3
        STAA    0,X
        INX
        JSR     SUB
        DEY
        BNE     INNER
        BRA     LOOP
SUB     LDD     $0100
        ADDD    #1
        STD     $0100
        RTS
        END
