* Tessaline Talker: the resident monitor downloaded into the 68HC11's RAM
* through the bootstrap loader. 256 bytes at $0000-$00FF.
*
* Four parts at fixed addresses, the gaps between them filled with zeros
* (ZMB up to the next part: a part that grew into the next one is an error):
*   $0000  start-up, command handler, commands, subroutines
*   $00C4  SCI interrupt pseudo-vector (boot ROM vector $BFD6)
*   $00D0  the host's copy of the adapted parameters
*   $00EB  RTI and IRQ pseudo-vectors, idle loop, SWI and illegal-opcode
*          pseudo-vectors, parameters $00FC-$00FF
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

REGS    EQU     $1000           register block after reset
SCSR    EQU     $102E           SCI status: TDRE bit 7, RDRF bit 5
SCDR    EQU     $102F           SCI data
BAUDO   EQU     $2B             offsets from REGS
SCCR2O  EQU     $2D
SCSRO   EQU     $2E
BPROTO  EQU     $35
PPROG   EQU     $103B           EEPROM programming control
RDRF    EQU     $20

STACK   EQU     $00E8           first byte pushed; idle frame at $00E0
IDLE    EQU     $00EF           idle loop, in the last part
DELAY   EQU     $FC             16-bit programming delay count
BAUDV   EQU     $FE             value for BAUD
SCCR2V  EQU     $FF             value for SCCR2
ADDR    EQU     $E9             address being received ($00E9-$00EA)

* PPROG values (MC68HC11A8 TD 3.3.1): BYTE=$10 ROW=$08 ERASE=$04
* EELAT=$02 EEPGM=$01
PPERASE EQU     $16             byte erase, latch on
PPWRITE EQU     $02             program, latch on

        ORG     $0000

* Start-up: the boot ROM jumps here with the SCI on at the boot rate.
RESET   LDX     #REGS
        LDD     BAUDV           A = BAUD value, B = SCCR2 value
        STAA    BAUDO,X
        STAB    SCCR2O,X
        CLR     BPROTO,X        EEPROM writable (special modes allow it)
RESTART LDS     #STACK
IDLEJ   JMP     IDLE

* Code 4, and the SWI and illegal-opcode pseudo-vectors: tell the host
* with $03, then idle on top of the interrupted program's frame.
BREAK   LDAA    #3
        BSR     SEND
        BRA     IDLEJ

* The idle loop, continued from $00EF (X = IDLE, return address of the
* JSR on the stack): mask interrupts, drop that return address and push a
* frame as an interrupt would (return address IDLE, X three times, A, B,
* CCR), then run the command handler on it: it waits there for the host.
IDLE2   SEI
        INS
        INS
        PSHX
        PSHX
        PSHX
        PSHA
        PSHB
        TPA
        PSHA
* Command handler, on top of an interrupt frame: reached from the idle
* loop or from the SCI receive interrupt of a running program (which only
* comes with a character waiting).
HANDLER BSR     RECV            command byte
        BSR     SEND            echo
        TAB
        DECB
        CMPB    #5
        BHI     EXIT            codes 0 and 7-255: ignored
        BSR     RECV            parameter byte p
        TSTB
        BEQ     CMD1
        DECB
        BEQ     CMD2
        DECB
        BEQ     CMD3
        DECB
        BEQ     BREAK
        DECB
        BEQ     CMD5
        BRA     CMD6

* Return to whatever the frame on top of the stack holds. If that frame
* lies just above the Talker's own idle frame, there is no program under
* it (code 3 with nothing stopped): restart the idle loop cleanly rather
* than return into the Talker's own code.
EXIT    TSX
        CPX     #STACK+1
        BEQ     RESTART
        RTI

* Send D as a word: A, handshake, B, handshake.
SENDD   BSR     SENDHS
        TBA
* Send A, then wait for the host's handshake byte.
SENDHS  BSR     SEND
* Receive one byte into A. B, X and Y are kept.
RECV    LDAA    SCSR
        ANDA    #RDRF
        BEQ     RECV
        LDAA    SCDR            SCSR then SCDR read: RDRF cleared
        RTS

* Send A. Every register is kept.
SEND    TST     SCSR            N = TDRE
        BPL     SEND
        STAA    SCDR
        RTS

* Receive count, address high, address low (count already in A).
* Returns B = count, X = address.
GETADR  TAB
        BSR     RECV
* Receive the address low byte (high byte in A): X = address.
GETLOW  STAA    ADDR
        BSR     RECV
        STAA    ADDR+1
        LDX     ADDR
        RTS

* Code 3: break frame.
CMD3    TSX
        LDAB    #9
        ABX                     X = the frame under the idle frame
        TXS                     drop the idle frame
        LDD     7,X             its PC
        BSR     SENDD
        LDD     #IDLE
        STD     7,X             return into the idle loop
* Code 1: read registers.
CMD1    TSX
        XGDX                    D = frame address
        BSR     SENDD
        TSX
        LDAB    #9
        BRA     RDLOOP

* Code 6: read memory.
CMD6    BSR     GETADR
RDLOOP  LDAA    0,X
        BSR     SENDHS
        INX
        DECB
        BNE     RDLOOP
        BRA     EXIT

* Code 2: write registers and resume.
CMD2    LDAB    #9
        BSR     GETLOW          X = frame address
        TXS                     SP = frame address - 1
        BRA     WRLOOP

* Code 5: write memory.
CMD5    BSR     GETADR          B = count, X = address
WRLOOP  BSR     RECV
        PSHB
        BSR     WRBYTE
        PULB
        LDAA    0,X             send what the location now holds
        BSR     SEND
        INX
        DECB
        BNE     WRLOOP
        BSR     RECV            closing byte
        BRA     EXIT

* Write A at X: byte erase, then program (the same sequence writes RAM).
WRBYTE  LDAB    #PPERASE
        BSR     PROG
        LDAB    #PPWRITE
PROG    STAB    PPROG           latch on
        STAA    0,X             address and data latched
        INCB
        STAB    PPROG           EEPGM: programming voltage on
        LDY     DELAY           7 cycles a turn: 10 ms at the adapted count
WAIT    DEY
        BNE     WAIT
        CLR     PPROG
        RTS

        ZMB     $C4-*
        JMP     HANDLER         $00C4

* $00D0-$00D5 lie in the stack area and the Talker never reads them: the
* host writes the adapted BAUD value ($00D0) and the short and programming
* delay counts ($00D2-$00D3, $00D4-$00D5) there, so that the image carries
* the values it was adapted with. Unadapted, they are the 8 MHz values:
* BAUD $33 (1200 baud at E = 2 MHz), $023B and $0B27 (10 ms, see WAIT).
        ZMB     $D0-*
        FCB     $33,$00,$02,$3B,$0B,$27

        ZMB     $EB-*
        RTI                     $00EB real-time interrupt
        FCB     0,0
        RTI                     $00EE IRQ
* $00EF: the idle loop. The operand of LDX is the loop's own address, so
* the two bytes at $00F0-$00F1 read $00EF: code 3 sent with no program
* stopped takes them for a stopped program's PC and rewrites them with the
* same value, leaving the loop intact.
        LDX     #IDLE
        JSR     IDLE2
        JMP     BREAK           $00F4 SWI
        JMP     BREAK           $00F7 illegal opcode
        FCB     0,0
* Parameters, adapted by the host before the download.
*       $00FC-$00FD programming delay (10 ms at E = 2 MHz)
*       $00FE BAUD: 1200 baud at E = 2 MHz
*       $00FF SCCR2: RIE, TE, RE
        FCB     $0B,$27,$33,$2C
        END
