* compteur.asm: the example program of compteur.s in the classic Motorola
* syntax, placed by ORG at the 68HC11F1's EEPROM ($FE00-$FFFF). It assembles
* to the bytes of compteur.s19.
*
* It counts its passes through a loop, in RAM above the Talker's $0000-$00FF:
*   $0100  COMPTE  passes through the loop, modulo 256
*   $0101  PAIRS   passes that left COMPTE even, modulo 256
* It clears the I bit first: the Talker serves the host from the SCI receive
* interrupt, which the I bit masks.
COMPTE  EQU     $0100
PAIRS   EQU     COMPTE+1

        ORG     $FE00
debut   CLI
        CLR     COMPTE
        CLR     PAIRS
boucle  JSR     incremente      COMPTE + 1, returned in A
        BITA    #%00000001
        BNE     impair          ; odd: PAIRS stays
        INC     PAIRS
impair  BSR     pause
        BRA     boucle

incremente
        LDAA    COMPTE
        INCA
        STAA    COMPTE
        RTS

pause   LDAB    #16             B counts down from 16
attente DECB
        BNE     attente
        RTS
        END     debut
