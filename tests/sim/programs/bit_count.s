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
        bset    0,y,#$01
        bclr    0,y,#$C0
        brclr   0,y,#$01,bad
        brset   0,y,#$01,shift
        bra     bad
shift   asl     2,y
        rol     1,y
        rol     0,y
        stop
word    fcb     $C0,$80,$81
        end
