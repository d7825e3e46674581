* Counts the ones of $B5C3 with LSRD, marks a flag byte with the bit instructions
* and tests it with the bit branches, then shifts a 24-bit number left through C.
*
* Cycles (MC68HC11A8 TD section 10, instruction set table):
*   LDD imm 3, LDY imm 4                                                 =   7
*   each bit    LSRD 3, BCC 3, CPD imm 5, BNE 3, and INY 4 for a one     =  14 / 18
*   sixteen bits: $B5C3 = 1011 0101 1100 0011 has nine ones, and D is zero
*   only after the top bit is out: 9 x 18 + 7 x 14                       = 260
*   STY dir 5, CLR ext 6, BSET dir 6, LDX imm 3, BCLR ind,X 7,
*   BRCLR ind,X 7 (not taken), BRSET dir 6 (taken)                       =  40
*   LDY imm 4, ASL ind,Y 7, ROL ind,Y 7, ROL ind,Y 7                     =  25
*   STOP 2                                     total 7+260+40+25+2 = 334
*
* Results: count ($42) = $0009; flags ($40) = $81 then bit 0 cleared = $80.
* $C0 $80 $81 shifted left one bit: $81 -> $02 with C=1, $80 -> $01 with C=1,
* $C0 -> $81 with C=1. The last ROL gives N=1, Z=0, C=1 and V = N xor C = 0; nothing
* here changes H: CCR = N, C ($09). D = 0, X = $0040, Y = word.
FLAGS   equ     $0040
COUNT   equ     $0042
        ldd     #$B5C3
        ldy     #0
count   lsrd
        bcc     nobit
        iny
nobit   cpd     #0
        bne     count
        sty     *COUNT
        clr     FLAGS
        bset    *FLAGS,#$81
        ldx     #FLAGS
        bclr    0,x,#$01
        brclr   0,x,#$80,bad
        brset   *FLAGS,#$80,ok
bad     ldaa    #$EE
        stop
ok      ldy     #word
        asl     2,y
        rol     1,y
        rol     0,y
        stop
word    fcb     $C0,$80,$81
        end
