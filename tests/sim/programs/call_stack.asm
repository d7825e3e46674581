* Passes a word and a byte on the stack to a subroutine that adds them in place, pulls
* the sum into Y, doubles it twice in a subroutine called through JSR extended and
* JSR ,X, leaves through JMP ,X and moves the result through the stack byte by byte.
* SP starts at $01FF.
*
* Cycles (MC68HC11A8 TD section 10, instruction set table):
*   LDX imm 3, LDAA imm 2, PSHX 4, PSHA 3, BSR 6                         =  18
*   addarg   TSX 3, LDD ind,X 5, ADDB ind,X 4, ADCA imm 2, STD ind,X 5,
*            RTS 5                                                        =  24
*   INS 3, PULY 6, LDD imm 3, JSR ext 6                                   =  18
*   double   XGDY 4, ASLD 3, XGDY 4, RTS 5                                =  16
*   LDX imm 3, JSR ind,X 6, double again 16                               =  25
*   LDX imm 3, JMP ind,X 3                                                =   6
*   done     PSHY 5, PULA 4, PULB 4, PSHB 3, PSHA 3, PULX 5, TSY 4, STOP 2 =  30
*                                                                 total = 137
*
* Stack: PSHX puts $92 at $01FE and $34 at $01FF, PSHA $E0 at $01FD, BSR the
* return address $1009 at $01FB. In addarg TSX gives X = SP + 1 = $01FB:
* $34 + $E0 = $14 with C=1, $92 + 0 + C = $93, so $9314 replaces $9234. INS drops
* the byte, PULY takes Y = $9314. ASLD doubles it: $2628 with C=1, then $4C50 with
* C=0. Each JSR pushes its return address at $01FE. At done PSHY puts $4C at
* $01FE and $50 at $01FF, PULA and PULB take them back in that order (D = $4C50),
* PSHB then PSHA rebuild the word for PULX (X = $4C50), TSY gives Y = SP + 1 =
* $0200. The last ASLD left C = 0, LDX cleared N, Z and V, ADCA cleared H, and the
* pulls change no flag: CCR = 0.
        ORG     $1000
        LDX     #$9234
        LDAA    #$E0
        PSHX
        PSHA
        BSR     addarg
        INS
        PULY
        LDD     #$0101
        JSR     double
        LDX     #double
        JSR     0,X
        LDX     #done
        JMP     0,X
        LDAA    #$EE
        STOP
done    PSHY
        PULA
        PULB
        PSHB
        PSHA
        PULX
        TSY
        STOP
addarg  TSX
        LDD     3,X
        ADDB    2,X
        ADCA    #0
        STD     3,X
        RTS
double  XGDY
        ASLD
        XGDY
        RTS
        END
