* Addresses are formed modulo $10000: a direct word at $FF spans $00FF-$0100, an
* extended word at $FFFF ends at $0000, an indexed sum past $FFFF wraps, the index
* offset is unsigned, and a branch at $FFFE goes on from $0000.
*
* Cycles (MC68HC11A8 TD section 10, instruction set table):
*   LDD imm 3, STD dir 4, LDD imm 3, STAA ext 4, STAB dir 3, LDAA imm 2,
*   STAA dir 3, LDX ext 5                                                =  27
*   LDY imm 4, LDAA ind,Y 5, LDY imm 4, LDAB ind,Y 5, STD dir 4          =  22
*   LDD imm 3, STD ext 5, JMP ext 3, BRA 3, STOP 2                       =  16
*                                                                 total =  65
*
* Results: $00FF-$0100 = $12 $34; X = $5678 from $FFFF and $0000; $FFF0 + $10
* reads $0000 ($78) and $0001 + $FF reads $0100 ($34), kept at $0050 (an offset
* taken as signed would read $0000 again). The BRA written at $FFFE ends at $FFFF,
* so its target is $0000 + 4, where the STOP was stored. A = $20, B = $04,
* Y = $0001; the last STD cleared N, Z and V and nothing set C or H: CCR = 0.
        ORG     $1000
        LDD     #$1234
        STD     $FF
        LDD     #$56CF
        STAA    $FFFF
        STAB    $04
        LDAA    #$78
        STAA    $00
        LDX     $FFFF
        LDY     #$FFF0
        LDAA    $10,Y
        LDY     #$0001
        LDAB    $FF,Y
        STD     $50
        LDD     #$2004
        STD     $FFFE
        JMP     $FFFE
        END
