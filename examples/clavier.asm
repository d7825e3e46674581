* clavier.asm: reads the board's 4x4 keypad, for the 68HC11F1's EEPROM
* ($FE00-$FFFF), run standalone (RESET in normal single-chip mode: the CPU
* fetches the reset vector $FFFE in the EEPROM).
*
* The keypad is wired to the ports:
*   rows 0-3    = PB0-PB3 (outputs)
*   columns 0-3 = PE4-PE7 (inputs, pull-ups on the board: a column reads 1
*                 unless a pressed key joins it to a row driven low)
*   key 4 x row + column: row 0 holds keys 0-3, row 3 keys C-F
* The program drives one row low at a time, the three others high, and reads
* the columns: a 0 on a column is a key pressed at that crossing. The key's
* number (0-F) shows on the LEDs PB4-PB7 (PB7 the high bit) and stays there
* after the key is released, until another key is pressed. (A real key
* bounces for a few milliseconds: a program that counts presses would wait
* for the columns to stay put.)
*
* RAM:
*   $0100  LEDS    the key's number in the high nibble, as PB4-PB7 show it
*   $0101  TOUCHE  the last key read, 0-F ($FF: none yet)
*
*   debut       stack, nothing read yet
*   balaye      one pass over the four rows
*   trouve      the first column at 0 gives the key: 4 x row + column
PORTB   EQU     $1004           rows (PB0-PB3) and LEDs (PB4-PB7)
PORTE   EQU     $100A           columns (PE4-PE7)

PILE    EQU     $03FF           top of the F1's RAM
LEDS    EQU     $0100
TOUCHE  EQU     $0101

        ORG     $FE00

debut   LDS     #PILE
        CLR     LEDS
        LDAA    #$FF
        STAA    TOUCHE
balaye  CLRB                    row 0 first
        LDX     #rangees
ligne   LDAA    0,X             this row low, the others high
        ORAA    LEDS
        STAA    PORTB
        LDAA    PORTE
        COMA                    a column joined to the row reads 0: now 1
        ANDA    #$F0
        BNE     trouve
        INCB
        INX
        CPX     #rangees+4
        BNE     ligne
        BRA     balaye

* B = row, A = the columns at 1 in PE4-PE7: the key is 4 x B + the first.
trouve  LSLB
        LSLB                    4 x row
        LSRA
        LSRA
        LSRA
        LSRA                    columns in bits 0-3
colonne LSRA
        BCS     vu              this column
        INCB
        BRA     colonne
vu      STAB    TOUCHE
        LSLB
        LSLB
        LSLB
        LSLB
        STAB    LEDS            the number on PB4-PB7
        BRA     balaye

* PB0-PB3 for each row: the row low, the others high.
rangees FCB     %00001110,%00001101,%00001011,%00000111

        RMB     $FFFE-*         (an error if the code ran into the vector)
        FDB     debut           $FFFE reset
        END     debut
