* lcd.asm: text on the board's 2x16 character LCD, for the 68HC11F1's EEPROM
* ($FE00-$FFFF), run standalone (RESET in normal single-chip mode: the CPU
* fetches the reset vector $FFFE in the EEPROM).
*
* The LCD's controller (HD44780 command set) is wired to the ports:
*   DB0-DB7 = PC0-PC7 (PORTC $1006 on the F1, DDRC $1007)
*   RS = PD2, RW = PD3, E = PD4 (PORTD $1008, DDRD $1009)
* A write puts the byte on port C, sets RS (0: instruction, 1: character) with
* RW = 0, and pulses E: the controller takes the byte when E falls. Before
* each write the program reads the busy flag (RS = 0, RW = 1, E high: BF is
* DB7) until it is 0: the controller ignores what comes while it is busy (37
* us for most instructions, 1.52 ms for clear, 10 ms after power on).
*
* It writes "Tessaline 68HC11" on line 1 (DDRAM $00) and "Afficheur 2x16" on
* line 2 (DDRAM $40), then waits in a loop.
*
*   debut       stack, PD2-PD4 outputs; function set 8 bits 2 lines
*               ($38), display on ($0C), clear ($01), entry mode increment
*               ($06); the two lines
*   texte       writes the characters at X up to a zero byte
*   envoyer     A to the controller, RS from B; waits for BF = 0 first
*   attendre    reads the busy flag until it is 0
PORTC   EQU     $1006           the LCD's data bus (F1 address)
DDRC    EQU     $1007
PORTD   EQU     $1008           RS, RW and E
DDRD    EQU     $1009
RS      EQU     %00000100       PD2
RW      EQU     %00001000       PD3
E       EQU     %00010000       PD4

PILE    EQU     $03FF           top of the F1's RAM

        ORG     $FE00

debut   LDS     #PILE
        CLR     PORTD           RS, RW and E low
        LDAA    #RS+RW+E
        STAA    DDRD            PD2-PD4 outputs
        CLRB                    RS = 0: instructions
        LDAA    #$38            function set: 8 bits, 2 lines, 5x8 dots
        BSR     envoyer
        LDAA    #$0C            display on, no cursor, no blink
        BSR     envoyer
        LDAA    #$01            clear the display, cursor home
        BSR     envoyer
        LDAA    #$06            entry mode: address + 1, no shift
        BSR     envoyer
        LDX     #ligne1
        BSR     texte
        CLRB
        LDAA    #$C0            DDRAM address $40: line 2
        BSR     envoyer
        LDX     #ligne2
        BSR     texte
fin     BRA     fin

* The characters at X, up to a zero byte.
texte   LDAA    0,X
        BEQ     texfin
        LDAB    #RS             RS = 1: a character
        BSR     envoyer
        INX
        BRA     texte
texfin  RTS

* A to the controller with RS = B (0 or RS), once it is not busy.
envoyer PSHA
        BSR     attendre
        PULA
        STAA    PORTC
        LDAA    #$FF
        STAA    DDRC            port C drives the bus
        STAB    PORTD           RS, RW = 0
        ORAB    #E
        STAB    PORTD           E rises
        EORB    #E
        STAB    PORTD           E falls: the controller takes the byte
        RTS

* Reads the busy flag until it is 0. Keeps B.
attendre
        CLR     DDRC            port C reads the bus
        LDAA    #RW
        STAA    PORTD           RS = 0, RW = 1
occupe  LDAA    #RW+E
        STAA    PORTD           E high: the controller drives BF and AC
        LDAA    PORTC
        PSHA
        LDAA    #RW
        STAA    PORTD           E low
        PULA
        TSTA
        BMI     occupe          BF = 1: busy
        RTS

* The texts, one character a byte and a zero at the end.
ligne1  FCB     'T','e','s','s','a','l','i','n','e',' ','6','8','H','C','1','1',0
ligne2  FCB     'A','f','f','i','c','h','e','u','r',' ','2','x','1','6',0

        RMB     $FFFE-*         (an error if the code ran into the vector)
        FDB     debut           $FFFE reset
        END     debut
