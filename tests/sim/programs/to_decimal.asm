* Writes 54321 as five ASCII digits with IDIV by ten, last digit first, then
* computes 1/3 as a binary fraction with FDIV and 12 x 11 with MUL.
*
* Cycles (MC68HC11A8 TD section 10, instruction set table):
*   LDD imm 3, LDY imm 4                                                 =   7
*   each digit  LDX imm 3, IDIV 41, ADDB imm 2, DEY 4, STAB ind,Y 5,
*               XGDX 3, CPD imm 5, BNE 3                                 =  66
*   five digits                                                          = 330
*   LDD imm 3, LDX imm 3, FDIV 41, STX ext 5                             =  52
*   LDAA imm 2, LDAB imm 2, MUL 10, STD ext 5                            =  19
*   STOP 2                                     total 7+330+52+19+2 = 410
*
* The code takes $1000-$102B: third = $102C, product = $102E, text = $1030.
* Results: text = "54321" and Y = text. IDIV leaves the remainder in D and the
* quotient in X, so after the last digit X = $0035 ('5', A = 0) and CPD #0 finds
* D = 0: Z = 1.
* FDIV: $0001 * 65536 / 3 = $5555 remainder 1, so third = $5555; Z, V, C = 0.
* MUL: 12 * 11 = 132 = $0084 and C = bit 7 of B = 1; LDAA/LDAB cleared N, Z
* and V, the last ADDB ($05 + $30) left H = 0: CCR = C ($01), D = $0084.
        ORG     $1000
        LDD     #54321
        LDY     #text+5
digit   LDX     #10
        IDIV
        ADDB    #'0'
        DEY
        STAB    0,Y
        XGDX
        CPD     #0
        BNE     digit
        LDD     #1
        LDX     #3
        FDIV
        STX     third
        LDAA    #12
        LDAB    #11
        MUL
        STD     product
        STOP
third   FDB     0
product FDB     0
text    FCB     0,0,0,0,0
        END
