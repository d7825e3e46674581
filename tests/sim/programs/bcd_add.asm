* Adds two eight-digit packed BCD numbers, lowest byte first: 19994578 + 00005428
* = 20000006. ADCA takes the carry DAA left from the byte before; DEX, DEY and DECB
* leave C alone, which is what makes the loop work.
*
* Cycles (MC68HC11A8 TD section 10, instruction set table):
*   before the loop  LDX imm 3, LDY imm 4, LDAB imm 2, CLC 2           =  11
*   each byte        LDAA ind,X 4, ADCA ind,X 4, DAA 2, STAA ind,Y 5,
*                    DEX 3, DEY 4, DECB 2, BNE 3                         =  27
*   four bytes                                                           = 108
*   STOP 2                                              total 11+108+2 = 121
*
* DAA (the DAA table of the M68HC11 RM, DAA instruction), byte by byte from the lowest:
*   $78+$28     = $A0, H=1: +$66 -> $06, C=1
*   $45+$54+1   = $9A, H=0: low digit > 9 and high digit 9 -> +$66 -> $00, C=1
*   $99+$00+1   = $9A      -> $00, C=1
*   $19+$00+1   = $1A: low digit > 9, high digit 1 -> +$06 -> $20, C=0
* The code takes $1000-$1018, so num1 = $1019, num2 = $101D, sum = $1021.
* At the end A = $20, B = 0, X = num1-1 = $1018, Y = sum-1 = $1020; DECB to zero sets Z and clears
* N and V, DAA left C = 0 and the last ADCA H = 0: CCR = Z ($04).
        ORG     $1000
        LDX     #num1+3
        LDY     #sum+3
        LDAB    #4
        CLC
loop    LDAA    0,X
        ADCA    4,X
        DAA
        STAA    0,Y
        DEX
        DEY
        DECB
        BNE     loop
        STOP
num1    FCB     $19,$99,$45,$78
num2    FCB     $00,$00,$54,$28
sum     FCB     $FF,$FF,$FF,$FF
        END
