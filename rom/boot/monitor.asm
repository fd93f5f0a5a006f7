* The machine-language monitor. Numbers are hexadecimal; commands are one letter:
*   D [start [end]]       dump memory (128 bytes, or on from the last dump)
*   M addr [byte...]      modify memory; without bytes, one address per line
*   F start end byte      fill memory
*   G addr                call a program; RTS comes back here
*   R                     show the registers of the program last stopped
*   B                     boot again
*   L addr name           load a host file at addr through the host-file port
*   S start end name      save memory to a host file

MONITOR LDX #S_MON
        JSR PUTS
PROMPT  LDS #MSTACK
        LDX #S_PROMPT
        JSR PUTS
        JSR GETLINE
        JSR SKIPSP
        BEQ PROMPT
        LEAY 1,Y
        CMPA #'a'
        BLO .upper
        SUBA #$20
.upper  LDX #COMMANDS
.find   TST ,X
        BEQ ERROR
        CMPA ,X
        BEQ .run
        LEAX 3,X
        BRA .find
.run    JSR [1,X]
        BRA PROMPT

COMMANDS FCB 'D'
        FDB CMDD
        FCB 'M'
        FDB CMDM
        FCB 'F'
        FDB CMDF
        FCB 'G'
        FDB CMDG
        FCB 'R'
        FDB CMDR
        FCB 'B'
        FDB CMDB
        FCB 'L'
        FDB CMDL
        FCB 'S'
        FDB CMDS
        FCB 0

* Reports a mistake and goes back to the prompt; X = message, or ERROR for "?".
ERROR   LDX #S_WHAT
FAIL    JSR PUTS
        JSR CRLF
        BRA PROMPT

* The line must end here.
LINEEND JSR SKIPSP
        BNE ERROR
        RTS

* D = a required number; byte-sized with NEEDBYTE.
NEEDHEX JSR GETHEX
        BCS ERROR
        RTS
NEEDBYTE BSR NEEDHEX
        TSTA
        BNE ERROR
        RTS

* Start and end (ARG1, ARG2), end not below start.
RANGE   BSR NEEDHEX
        STD ARG1
        BSR NEEDHEX
        STD ARG2
        CMPD ARG1
        BLO ERROR
        RTS

* F and L write only below the I/O page: a write to $FD00-$FDFF acts on the devices,
* $FE00-$FFFF is our own work area, stack and vectors. ARG2 = the last address to write.
IOPAGE  EQU $FD00
GUARD   LDD ARG2
        CMPD #IOPAGE
        BHS REFUSE
        RTS
REFUSE  LDX #S_GUARD
        BRA FAIL

*---------------------------------------------------------------------------------------
CMDD    JSR GETHEX
        BCS .more
        STD DADDR
        JSR GETHEX
        BCC .end
.more   LDD DADDR
        ADDD #$7F
        BCC .end
        LDD #$FFFF          ; not past the top of memory
.end    STD ARG2
        BSR LINEEND
        LDX DADDR
.line   BSR DLINE
        LEAX 16,X
        BEQ .done           ; wrapped past $FFFF
        CMPX ARG2
        BLS .line
.done   STX DADDR
        RTS

* One dump line of the 16 bytes at X: address, bytes, characters.
DLINE   TFR X,D
        JSR PHEX4
        JSR SPACE
        LDB #16
        PSHS X
.hex    JSR SPACE
        BSR PEEK
        BCS .io
        JSR PHEX2
        BRA .next
.io     LDA #'-'
        JSR PUTC
        JSR PUTC
.next   LEAX 1,X
        DECB
        BNE .hex
        JSR SPACE
        JSR SPACE
        LDX ,S
        LDB #16
.char   BSR PEEK            ; characters: ASCII and katakana, else '.'
        BCS .dot
        CMPA #$20
        BLO .dot
        CMPA #$7F
        BLO .put
        CMPA #$A1
        BLO .dot
        CMPA #$DF
        BLS .put
.dot    LDA #'.'
.put    JSR PUTC
        LEAX 1,X
        DECB
        BNE .char
        PULS X
        JMP CRLF

* A = byte at X, carry clear; carry set for the I/O page, whose reads would act.
PEEK    CMPX #$FD00
        BLO .read
        CMPX #$FE00
        BHS .read
        ORCC #$01
        RTS
.read   LDA ,X
        ANDCC #$FE
        RTS

*---------------------------------------------------------------------------------------
CMDM    JSR NEEDHEX
        STD MADDR
        JSR SKIPSP
        BEQ .ask
.byte   JSR NEEDBYTE
        STB [MADDR]
        LDX MADDR
        LEAX 1,X
        STX MADDR
        JSR SKIPSP
        BNE .byte
        RTS
* One address a line: a byte changes it, an empty line keeps it, anything else ends.
.ask    LDD MADDR
        JSR PHEX4
        JSR SPACE
        LDX MADDR
        BSR PEEK
        BCS .io
        JSR PHEX2
        BRA .input
.io     LDX #S_IO
        JSR PUTS
.input  JSR SPACE
        JSR GETLINE
        JSR SKIPSP
        BEQ .next
        JSR GETHEX
        BCS .done
        TSTA
        BNE .done
        STB [MADDR]
.next   LDX MADDR
        LEAX 1,X
        STX MADDR
        BRA .ask
.done   RTS

*---------------------------------------------------------------------------------------
CMDF    JSR RANGE
        JSR NEEDBYTE
        STB ARG3
        JSR LINEEND
        JSR GUARD
        LDX ARG1
        LDA ARG3
.fill   STA ,X
        CMPX ARG2
        BEQ .done
        LEAX 1,X
        BRA .fill
.done   RTS

*---------------------------------------------------------------------------------------
CMDG    JSR NEEDHEX
        TFR D,X
        JSR LINEEND
        CLRA
        CLRB

* Calls the program at X with A and B; comes back to the monitor when it returns.
CALLPRG STX RPC
        JSR FLUSH
        JSR ,X
        PSHS CC
        STA RA
        STB RB
        STW RE
        STX RX
        STY RY
        STU RU
        TFR DP,A
        STA RDP
        PULS A
        STA RCC
        STS RS
        LDU #S_RET

* The program stopped (return, BREAK, SWI, trap): registers are in RIMG, U = message.
STOPPED LDS #MSTACK
        LDMD #$01           ; native mode again, whatever the program chose
        CLRA
        TFR A,DP
        TST HOLDING
        BEQ .free
        CLRA                ; stopped between hold and release: the display is to
        STA SH_MAIN+SH_CMD  ; run a no-op
        STA HOLDING
.free   CLRA                ; the program may have held it too
        STA SUBCTL
        JSR HWINIT
        CLR OLEN
        ANDCC #$AF
        LDX #S_PLAIN        ; whatever attribute the program left
        JSR PUTS
        TFR U,X
        JSR PUTS
        JSR CRLF
        BSR SHOWREGS
        JMP PROMPT

*---------------------------------------------------------------------------------------
CMDR    JSR LINEEND

SHOWREGS LDU #REGTAB
.reg    LDX ,U++
        BEQ .done
        JSR PUTS
        LDX ,U++
        LDA ,U+
        BEQ .byte
        LDD ,X
        JSR PHEX4
        BRA .next
.byte   LDA ,X
        JSR PHEX2
.next   JSR SPACE
        BRA .reg
.done   JMP CRLF

* name, register, 1 for a word
REGTAB  FDB R_PC,RPC
        FCB 1
        FDB R_A,RA
        FCB 0
        FDB R_B,RB
        FCB 0
        FDB R_E,RE
        FCB 0
        FDB R_F,RF
        FCB 0
        FDB R_X,RX
        FCB 1
        FDB R_Y,RY
        FCB 1
        FDB R_U,RU
        FCB 1
        FDB R_S,RS
        FCB 1
        FDB R_DP,RDP
        FCB 0
        FDB R_CC,RCC
        FCB 0
        FDB 0

R_PC    FCC "PC="
        FCB 0
R_A     FCC "A="
        FCB 0
R_B     FCC "B="
        FCB 0
R_E     FCC "E="
        FCB 0
R_F     FCC "F="
        FCB 0
R_X     FCC "X="
        FCB 0
R_Y     FCC "Y="
        FCB 0
R_U     FCC "U="
        FCB 0
R_S     FCC "S="
        FCB 0
R_DP    FCC "DP="
        FCB 0
R_CC    FCC "CC="
        FCB 0

*---------------------------------------------------------------------------------------
CMDB    JSR LINEEND
        JMP BOOT

*---------------------------------------------------------------------------------------
* L addr name. The file is read twice: first only to count its bytes, so that a file
* that would reach the I/O page is refused before anything is written; then to load it.
CMDL    JSR NEEDHEX
        STD ARG1
        STD ARG2
        JSR NAME
        JSR GUARD           ; the first address itself
        STY ARG3            ; the name, for the second reading
        CLRB                ; B = 0 while counting, 1 while loading
.pass   LDY ARG3
        CLRA                ; open to read
        JSR FPOPEN
        LDX ARG1
.byte   LDA FP_CMD
        CMPA #FP_RD
        BNE .end
        CMPX #IOPAGE
        BHS .long
        LDA FP_DAT
        TSTB
        BEQ .next
        STA ,X
.next   LEAX 1,X
        BRA .byte
.end    LDA FP_DAT          ; the port goes idle
        CMPX ARG1
        BEQ .empty
        TSTB
        BNE .loaded
        INCB
        BRA .pass
.loaded LDD ARG1
        LEAX -1,X
        PSHS X
        LDX #S_LOADED
        BRA SHOWRNG
.empty  LDX #S_EMPTY
        JMP FAIL
.long   LDA #2
        STA FP_CMD          ; close
        LDA FP_DAT
        JMP REFUSE

* S start end name
CMDS    JSR RANGE
        BSR NAME
        LDA #1              ; create and write
        BSR FPOPEN
        LDX ARG1
.byte   LDA ,X
        STA FP_DAT
        CMPX ARG2
        BEQ .close
        LEAX 1,X
        BRA .byte
.close  LDA #2
        STA FP_CMD
        LDA FP_DAT          ; the port goes idle: 1 = a write or the close failed
        CMPA #1
        BEQ .fail
        LDD ARG1
        LDX ARG2
        PSHS X
        LDX #S_SAVED
        BRA SHOWRNG
.fail   LDX #S_NOSAVE
        JMP FAIL

* Message X, then "D-(top of stack)".
SHOWRNG JSR PUTS
        JSR PHEX4
        LDA #'-'
        JSR PUTC
        PULS D
        JSR PHEX4
        JMP CRLF

* Y = the file name: the rest of the line, not empty.
NAME    JSR SKIPSP
        LBEQ ERROR
        RTS

* Opens host file Y for reading (A = 0) or writing (A = 1); fails to the prompt.
FPOPEN  STA FP_CMD
        LDA FP_CMD
        CMPA #FP_NAME
        BNE .noport
.name   LDA ,Y+
        BEQ .named
        STA FP_DAT
        BRA .name
.named  STA FP_DAT          ; the 0 byte opens it
        LDA FP_CMD
        CMPA #FP_END
        BNE .done
        LDA FP_DAT          ; 1 = it could not be opened, 0 = an empty file
        CMPA #1
        BEQ .fail
.done   RTS
.noport LDX #S_NOPORT
        JMP FAIL
.fail   LDX #S_NOFILE
        JMP FAIL

S_MON   FCC "Monitor: D M F G R B L S"
        FCB C_CR,C_LF,0
S_PROMPT FCC "> "
        FCB 0
S_PLAIN FCB C_ESC,'C',$07,C_CR,C_LF,0
S_WHAT  FCC "?"
        FCB 0
S_IO    FCC "--"
        FCB 0
S_GUARD FCC "? $FD00-$FFFF holds the I/O page and the monitor"
        FCB 0
S_RET   FCC "Returned"
        FCB 0
S_LOADED FCC "Loaded "
        FCB 0
S_SAVED FCC "Saved "
        FCB 0
S_EMPTY FCC "Empty file"
        FCB 0
S_NOPORT FCC "? No host-file port"
        FCB 0
S_NOFILE FCC "? Cannot open the file"
        FCB 0
S_NOSAVE FCC "? Cannot write the file"
        FCB 0
