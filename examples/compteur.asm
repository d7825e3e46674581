* compteur.asm: an example program for the EEPROM of a 68HC11F1 ($FE00-$FFFF).
* Start the simulated board with its image (compteur.s19) already in the EEPROM,
* load the Talker, and run it from $FE00.
*
* It counts its passes through a loop, in RAM above the Talker's $0000-$00FF:
*   $0100  COMPTE  passes through the loop, modulo 256
*   $0101  PAIRS   passes that left COMPTE even, modulo 256
* After n passes COMPTE = n and PAIRS = n / 2 (both modulo 256).
*
* It runs on the stack it is started with (the Talker's) and touches no SCI
* register. It clears the I bit first: the Talker serves the host (stop, memory
* reads and writes) from the SCI receive interrupt, which the I bit masks.
*
*   debut       unmasks interrupts, clears both counters
*   boucle      JSR incremente: COMPTE + 1, returned in A
*               BNE impair: taken when COMPTE is odd; not taken when it is even,
*               and then INC PAIRS
*   impair      BSR pause: B counts down from 16 (BNE back 15 times, then falls
*               through), then BRA boucle
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
