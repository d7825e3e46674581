* Tessaline Talker: the resident monitor downloaded into the 68HC11's RAM
* through the bootstrap loader. 256 bytes at $0000-$00FF.
*
* Assemble in MRI mode (m68hc11-as -M) and link with talker.ld, which places
* the four sections at their fixed addresses:
*   .text   $0000  start-up, command handler, commands, subroutines
*   vsci    $00C4  SCI interrupt pseudo-vector (boot ROM vector $BFD6)
*   vhost   $00D0  the host's copy of the adapted parameters
*   vtail   $00EB  RTI and IRQ pseudo-vectors, idle loop, SWI and
*                  illegal-opcode pseudo-vectors, parameters $00FC-$00FF
* $00CC-$00E8 is the stack; the host patches $00D0-$00D5 before the
* download, so no code or constant may live there.
*
* Protocol (one exchange per command byte received):
*   the command byte is echoed at once; codes 0 and 7-255 are then ignored.
*   1 read registers   p; then frame address (hi, hs, lo, hs) and the 9
*                      frame bytes, each followed by a handshake byte
*   2 write registers  p = frame address hi, lo; 9 frame bytes written with
*                      the byte-write sequence, each read back and sent;
*                      one final byte; then RTI into the written frame
*   3 break frame      p; PC word of the stopped program (hi, hs, lo, hs),
*                      its PC replaced by the idle loop, then as code 1
*   4 stop             p; sends $03 and idles on top of the program's frame
*   5 write memory     p = count (0 = 256), address hi, lo; per byte:
*                      receive, erase + program, read back, send; final byte
*   6 read memory      p = count (0 = 256), address hi, lo; per byte: send,
*                      receive the handshake byte
* Frame, lowest address first: CCR B A XH XL YH YL PCH PCL (the interrupt
* stacking order, M68HC11 RM 5.7).

REGS    equ     $1000           register block after reset
SCSR    equ     $102E           SCI status: TDRE bit 7, RDRF bit 5
SCDR    equ     $102F           SCI data
BAUDO   equ     $2B             offsets from REGS
SCCR2O  equ     $2D
SCSRO   equ     $2E
BPROTO  equ     $35
PPROG   equ     $103B           EEPROM programming control
RDRF    equ     $20

STACK   equ     $00E8           first byte pushed; idle frame at $00E0
IDLE    equ     $00EF           idle loop (see vtail)
DELAY   equ     $FC             16-bit programming delay count
BAUDV   equ     $FE             value for BAUD
SCCR2V  equ     $FF             value for SCCR2
ADDR    equ     $E9             address being received ($00E9-$00EA)

* PPROG values (MC68HC11A8 TD 3.3.1): BYTE=$10 ROW=$08 ERASE=$04
* EELAT=$02 EEPGM=$01
PPERASE equ     $16             byte erase, latch on
PPWRITE equ     $02             program, latch on

        section .text

* Start-up: the boot ROM jumps here with the SCI on at the boot rate.
RESET   ldx     #REGS
        ldd     *BAUDV          A = BAUD value, B = SCCR2 value
        staa    BAUDO,x
        stab    SCCR2O,x
        clr     BPROTO,x        EEPROM writable (special modes allow it)
RESTART lds     #STACK
IDLEJ   jmp     IDLE

* Code 4, and the SWI and illegal-opcode pseudo-vectors: tell the host
* with $03, then idle on top of the interrupted program's frame.
BREAK   ldaa    #3
        bsr     SEND
        bra     IDLEJ

* The idle loop, continued from $00EF (X = IDLE, return address of the
* JSR on the stack): mask interrupts, drop that return address and push a
* frame as an interrupt would (return address IDLE, X three times, A, B,
* CCR), then run the command handler on it: it waits there for the host.
IDLE2   sei
        ins
        ins
        pshx
        pshx
        pshx
        psha
        pshb
        tpa
        psha
* Command handler, on top of an interrupt frame: reached from the idle
* loop or from the SCI receive interrupt of a running program (which only
* comes with a character waiting).
HANDLER bsr     RECV            command byte
        bsr     SEND            echo
        tab
        decb
        cmpb    #5
        bhi     EXIT            codes 0 and 7-255: ignored
        bsr     RECV            parameter byte p
        tstb
        beq     CMD1
        decb
        beq     CMD2
        decb
        beq     CMD3
        decb
        beq     BREAK
        decb
        beq     CMD5
        bra     CMD6

* Return to whatever the frame on top of the stack holds. If that frame
* lies just above the Talker's own idle frame, there is no program under
* it (code 3 with nothing stopped): restart the idle loop cleanly rather
* than return into the Talker's own code.
EXIT    tsx
        cpx     #STACK+1
        beq     RESTART
        rti

* Send D as a word: A, handshake, B, handshake.
SENDD   bsr     SENDHS
        tba
* Send A, then wait for the host's handshake byte.
SENDHS  bsr     SEND
* Receive one byte into A. B, X and Y are kept.
RECV    ldaa    SCSR
        anda    #RDRF
        beq     RECV
        ldaa    SCDR            SCSR then SCDR read: RDRF cleared
        rts

* Send A. Every register is kept.
SEND    tst     SCSR            N = TDRE
        bpl     SEND
        staa    SCDR
        rts

* Receive count, address high, address low (count already in A).
* Returns B = count, X = address.
GETADR  tab
        bsr     RECV
* Receive the address low byte (high byte in A): X = address.
GETLOW  staa    *ADDR
        bsr     RECV
        staa    *ADDR+1
        ldx     *ADDR
        rts

* Code 3: break frame.
CMD3    tsx
        ldab    #9
        abx                     X = the frame under the idle frame
        txs                     drop the idle frame
        ldd     7,x             its PC
        bsr     SENDD
        ldd     #IDLE
        std     7,x             return into the idle loop
* Code 1: read registers.
CMD1    tsx
        xgdx                    D = frame address
        bsr     SENDD
        tsx
        ldab    #9
        bra     RDLOOP

* Code 6: read memory.
CMD6    bsr     GETADR
RDLOOP  ldaa    0,x
        bsr     SENDHS
        inx
        decb
        bne     RDLOOP
        bra     EXIT

* Code 2: write registers and resume.
CMD2    ldab    #9
        bsr     GETLOW          X = frame address
        txs                     SP = frame address - 1
        bra     WRLOOP

* Code 5: write memory.
CMD5    bsr     GETADR          B = count, X = address
WRLOOP  bsr     RECV
        pshb
        bsr     WRBYTE
        pulb
        ldaa    0,x             send what the location now holds
        bsr     SEND
        inx
        decb
        bne     WRLOOP
        bsr     RECV            closing byte
        bra     EXIT

* Write A at X: byte erase, then program (the same sequence writes RAM).
WRBYTE  ldab    #PPERASE
        bsr     PROG
        ldab    #PPWRITE
PROG    stab    PPROG           latch on
        staa    0,x             address and data latched
        incb
        stab    PPROG           EEPGM: programming voltage on
        ldy     *DELAY          7 cycles a turn: 10 ms at the adapted count
WAIT    dey
        bne     WAIT
        clr     PPROG
        rts

        section vsci
        jmp     HANDLER         $00C4

* $00D0-$00D5 lie in the stack area and the Talker never reads them: the
* host writes the adapted BAUD value ($00D0) and the short and programming
* delay counts ($00D2-$00D3, $00D4-$00D5) there, so that the image carries
* the values it was adapted with. Unadapted, they are the 8 MHz values:
* BAUD $33 (1200 baud at E = 2 MHz), $023B and $0B27 (10 ms, see WAIT).
        section vhost
        fcb     $33,$00,$02,$3B,$0B,$27

        section vtail
        rti                     $00EB real-time interrupt
        fcb     0,0
        rti                     $00EE IRQ
* $00EF: the idle loop. The operand of LDX is the loop's own address, so
* the two bytes at $00F0-$00F1 read $00EF: code 3 sent with no program
* stopped takes them for a stopped program's PC and rewrites them with the
* same value, leaving the loop intact.
        ldx     #IDLE
        jsr     *IDLE2
        jmp     BREAK           $00F4 SWI
        jmp     BREAK           $00F7 illegal opcode
        fcb     0,0
* Parameters, adapted by the host before the download. (One fcb line for
* all four: in MRI mode a one-value fcb line pads to an even address.)
*       $00FC-$00FD programming delay (10 ms at E = 2 MHz)
*       $00FE BAUD: 1200 baud at E = 2 MHz
*       $00FF SCCR2: RIE, TE, RE
        fcb     $0B,$27,$33,$2C
        end
