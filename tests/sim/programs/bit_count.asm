* Counts the ones of $B5C3 with LSRD, marks a flag byte with the bit instructions
* and tests it with the bit branches, direct and indexed, then shifts a 24-bit number
* left through C.
*
* Cycles (MC68HC11A8 TD section 10, instruction set table):
*   LDD imm 3, LDY imm 4                                                 =   7
*   each bit    LSRD 3, BCC 3, CPD imm 5, BNE 3, and INY 4 for a one     =  14 / 18
*   sixteen bits: $B5C3 = 1011 0101 1100 0011 has nine ones, and D is zero
*   only after the top bit is out: 9 x 18 + 7 x 14                       = 260
*   STY dir 5, CLR ext 6, BSET dir 6, LDX imm 3, BCLR ind,X 7,
*   BRCLR ind,X 7 (not taken), BRSET dir 6 (taken)                       =  40
*   LDY imm 4, BSET ind,Y 8, BCLR ind,Y 8, BRCLR ind,Y 8 (not taken),
*   BRSET ind,Y 8 (taken)                                                =  36
*   ASL ind,Y 7, ROL ind,Y 7, ROL ind,Y 7                                =  21
*   STOP 2                                  total 7+260+40+36+21+2 = 366
*
* Results: count ($42) = $0009; flags ($40) = $81 then bit 0 cleared = $80.
* word: $C0 gets bit 0 ($C1) and loses bits 7 and 6 ($01), so both bit branches see
* bit 0 set, where the flag byte at X has it clear. $01 $80 $81 shifted left one
* bit: $81 -> $02 with C=1, $80 -> $01 with C=1, $01 -> $03 with C=0. The last ROL
* gives N=0, Z=0, C=0 and V = N xor C = 0; nothing here changes H: CCR = 0. D = 0,
* X = $0040, Y = word = $104E (the code takes $1000-$104D).
FLAGS   EQU     $0040
COUNT   EQU     $0042
        ORG     $1000
        LDD     #$B5C3
        LDY     #0
count   LSRD
        BCC     nobit
        INY
nobit   CPD     #0
        BNE     count
        STY     COUNT
        CLR     FLAGS
        BSET    FLAGS,#$81
        LDX     #FLAGS
        BCLR    0,X,#$01
        BRCLR   0,X,#$80,bad
        BRSET   FLAGS,#$80,ok
bad     LDAA    #$EE
        STOP
ok      LDY     #word
        BSET    0,Y,#$01
        BCLR    0,Y,#$C0
        BRCLR   0,Y,#$01,bad
        BRSET   0,Y,#$01,shift
        BRA     bad
shift   ASL     2,Y
        ROL     1,Y
        ROL     0,Y
        STOP
word    FCB     $C0,$80,$81
        END
