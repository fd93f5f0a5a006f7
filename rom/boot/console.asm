* Console: commands to the display firmware, text output collected into PUT
* commands, keys from the keyboard ring, input lines and hexadecimal numbers.

* Sends the command block at X, B bytes (1-111), to the display firmware and waits
* until it has run; results are then in the shared block.
DCALL   PSHS D,X,Y
.idle   LDA SUBCTL
        BMI .idle
        LDA #$80
        STA HOLDING
        STA SUBCTL          ; hold: the display processor stops, busy is set
        LDY #SH_MAIN
.copy   LDA ,X+
        STA ,Y+
        DECB
        BNE .copy
        CLRA
        STA SUBCTL          ; release: it runs the command and clears busy
        STA HOLDING
.busy   LDA SUBCTL
        BMI .busy
        PULS D,X,Y,PC

* Character A to the screen (collected until FLUSH or a full buffer).
PUTC    PSHS B,X
        LDX #OBUF
        LDB OLEN
        STA B,X
        INCB
        STB OLEN
        CMPB #OBMAX
        BLO .done
        BSR FLUSH
.done   PULS B,X,PC

FLUSH   PSHS D,X
        LDB OLEN
        BEQ .done
        LDA #DC_PUT
        STA OCMD
        ADDB #2
        LDX #OCMD
        BSR DCALL
        CLR OLEN
.done   PULS D,X,PC

* Text at X up to a 0 byte.
PUTS    PSHS A
.next   LDA ,X+
        BEQ .done
        BSR PUTC
        BRA .next
.done   PULS A,PC

CRLF    PSHS A
        LDA #C_CR
        BSR PUTC
        LDA #C_LF
        BSR PUTC
        PULS A,PC

SPACE   PSHS A
        LDA #' '
        BSR PUTC
        PULS A,PC

* A, D as hexadecimal.
PHEX2   PSHS A
        LSRA
        LSRA
        LSRA
        LSRA
        BSR .digit
        LDA ,S
        ANDA #15
        BSR .digit
        PULS A,PC
.digit  ADDA #'0'
        CMPA #'9'
        BLS .put
        ADDA #7
.put    BRA PUTC

PHEX4   PSHS B
        BSR PHEX2
        PULS A
        BRA PHEX2

* A = the next character key; waits for it. Function, cursor and BREAK codes are
* skipped.
GETCH   PSHS B,X
        BSR FLUSH
.wait   LDB KRD
        CMPB KWR
        BEQ .wait
        LDX #KBUF
        ASLB
        ABX
        LDB KRD
        INCB
        ANDB #KMASK
        STB KRD
        ANDCC #$EF          ; there is room again
        LDD ,X
        TSTA
        BNE .wait
        TFR B,A
        PULS B,X,PC

* Reads a line into LBUF with echo; BS rubs out. Returns Y at its start.
GETLINE CLR LLEN
.key    BSR GETCH
        CMPA #C_CR
        BEQ .end
        CMPA #C_BS
        BEQ .rub
        CMPA #$20
        BLO .key
        CMPA #$7F
        BEQ .key
        LDB LLEN
        CMPB #LMAX
        BHS .key
        LDX #LBUF
        STA B,X
        INC LLEN
        JSR PUTC
        BRA .key
.rub    TST LLEN
        BEQ .key
        DEC LLEN
        LDX #S_RUB
        JSR PUTS
        BRA .key
.end    LDB LLEN
        LDX #LBUF
        CLR B,X
        JSR CRLF
        LDY #LBUF
        RTS

S_RUB   FCB C_BS,' ',C_BS,0

* Skips blanks at Y; A = the next character (0 at the end, Z set then).
SKIPSP  LDA ,Y
        CMPA #' '
        BNE .done
        LEAY 1,Y
        BRA SKIPSP
.done   TSTA
        RTS

* Hexadecimal digit A -> its value in A, carry clear; carry set if A is none.
HEXDIG  CMPA #'0'
        BLO .none
        CMPA #'9'
        BLS .dec
        ANDA #$DF           ; lower case too
        CMPA #'A'
        BLO .none
        CMPA #'F'
        BHI .none
        SUBA #7
.dec    SUBA #'0'
        ANDCC #$FE
        RTS
.none   ORCC #$01
        RTS

* A hexadecimal number of 1-4 digits at Y -> D, carry clear; carry set when there is
* none. More than four digits, or a digit run into other letters, is an error.
GETHEX  PSHS X
        BSR SKIPSP
        BSR HEXDIG
        BCS .fail
        LDX #0
        CLRB                ; digits so far
.digit  INCB
        CMPB #4
        BHI .fail
        PSHS B
        PSHS A
        TFR X,D
        ASLD
        ASLD
        ASLD
        ASLD
        ORB ,S+
        TFR D,X
        PULS B
        LEAY 1,Y
        LDA ,Y
        BSR HEXDIG
        BCC .digit
        LDA ,Y
        BEQ .ok
        CMPA #' '
        BNE .fail
.ok     TFR X,D
        ANDCC #$FE
        PULS X,PC
.fail   ORCC #$01
        PULS X,PC
