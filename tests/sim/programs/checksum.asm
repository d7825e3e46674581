* Sums, XORs and counts the negative bytes of a five-byte table, then takes one byte
* through the logic and shift instructions, storing the steps at $0050.
*
* Cycles (MC68HC11A8 TD section 10, instruction set table):
*   LDX imm 3, CLRA 2, CLRB 2, LDY imm 4                                 =  11
*   each byte   ADDA ind,X 4, EORB ind,X 4, TST ind,X 6, BPL 3, INX 3,
*               CPX imm 4, BNE 3, and INY 4 for a negative byte           =  27 / 31
*   five bytes, two of them negative ($F0, $80): 5 x 27 + 2 x 4          = 143
*   STAA dir 3, STAB dir 3                                                =   6
*   LDAA imm 2, ANDA imm 2, ORAA imm 2, EORA imm 2, STAA dir 3           =  11
*   COMA 2, NEGA 2, STAA dir 3                                            =   7
*   ASRA 2, LSRA 2, RORA 2, STAA dir 3                                    =   9
*   BITA imm 2, STOP 2                                                    =   4
*                                                                 total = 191
*
* Results at $0050: the sum $12+$F0+$7F+$80+$01 = $02 (modulo $100); the XOR $1C;
* $F0 AND $3C = $30, OR $05 = $35, XOR $FF = $CA; COM gives $35 with C=1, NEG $CB;
* ASR $E5 (C=1), LSR $72 (C=1), ROR brings C in: $B9 with C=0. BITA #$46 finds no
* common bit: Z=1, N=0, V=0, C left at 0; the last ADDA ($01 + $01) left H = 0:
* CCR = Z ($04). A = $B9, B = $1C, X = tend = $1038 (the code takes $1000-$1032,
* the table $1033-$1037), Y = 2 (negative bytes).
R       EQU     $0050
        ORG     $1000
        LDX     #table
        CLRA
        CLRB
        LDY     #0
loop    ADDA    0,X
        EORB    0,X
        TST     0,X
        BPL     pos
        INY
pos     INX
        CPX     #tend
        BNE     loop
        STAA    R
        STAB    R+1
        LDAA    #$F0
        ANDA    #$3C
        ORAA    #$05
        EORA    #$FF
        STAA    R+2
        COMA
        NEGA
        STAA    R+3
        ASRA
        LSRA
        RORA
        STAA    R+4
        BITA    #$46
        STOP
table   FCB     $12,$F0,$7F,$80,$01
tend    EQU     *
        END
