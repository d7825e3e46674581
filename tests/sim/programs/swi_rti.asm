* SWI stacks the whole register set; the handler copies the nine-byte frame to $0060,
* changes the stacked A, and RTI brings everything back, A included.
*
* Cycles (MC68HC11A8 TD section 10, instruction set table):
*   LDX imm 3, STX ext 5, LDAA imm 2, LDAB imm 2, LDX imm 3, LDY imm 4,
*   SEC 2, SWI 14                                                        =  35
*   handler  TSX 3, LDY imm 4, LDAB imm 2                                =   9
*   each frame byte  LDAA ind,X 4, STAA ind,Y 5, INX 3, INY 4, DECB 2,
*                    BNE 3                                               =  21
*   nine bytes                                                           = 189
*   TSX 3, LDAA imm 2, STAA ind,X 4, RTI 12                              =  21
*   STOP 2                                     total 35+9+189+21+2 = 256
*
* The SWI vector of the normal modes is $FFF6 (vector base $FFC0 + $36). SWI pushes
* PCL, PCH, YL, YH, XL, XH, A, B, CCR downward from $01FF (A8TD figure 9-3), so
* TSX finds, from X = $01F7 up: CCR $01 (C from SEC), B $22, A $11, X $3344,
* Y $5566 and the return address $1013 after the SWI. RTI restores all of them with
* A = $99 from the changed frame; I is clear again and C set: CCR = C ($01).
        ORG     $1000
        LDX     #handler
        STX     $FFF6
        LDAA    #$11
        LDAB    #$22
        LDX     #$3344
        LDY     #$5566
        SEC
        SWI
        STOP
handler TSX
        LDY     #$0060
        LDAB    #9
copy    LDAA    0,X
        STAA    0,Y
        INX
        INY
        DECB
        BNE     copy
        TSX
        LDAA    #$99
        STAA    2,X
        RTI
        END
