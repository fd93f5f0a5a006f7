* Prints a line on printer 0 (interrupt flag polled, then acknowledged), then copies
* the host file named at INNAME to the one named at OUTNAME through the host-file port,
* by way of BUF. RESULT: 1 done, $FF failed.
PDATA   EQU $FD01
PCTRL   EQU $FD00
MASK1   EQU $FD02
STAT1   EQU $FD03
PACK    EQU $FD23
FCMD    EQU $FDD0
FDATA   EQU $FDD1
RESULT  EQU $0100
BUFEND  EQU $0102
INNAME  EQU $0400
OUTNAME EQU $0500
BUF     EQU $2000
STACK   EQU $0F00

        ORG $1000
START   ORCC #$50           ; interrupts masked until wanted
        LDS #STACK
        CLR RESULT
        LDA #$01            ; printer 0 interrupt flag on
        STA MASK1
        LDX #MSG
.print  LDB ,X+
        BEQ COPY
        STB PDATA
        LDA #$40            ; strobe
        STA PCTRL
        CLR PCTRL
.ack    LDA STAT1
        BITA #$02
        BEQ .ack
        LDA #$01
        STA PACK
        BRA .print

COPY    CLR FCMD            ; read
        LDX #INNAME
        BSR NAME
        LDU #BUF
.read   LDA FCMD
        CMPA #$21
        BNE .eof
        LDA FDATA
        STA ,U+
        BRA .read
.eof    LDA FDATA           ; 0 at the end, 1 after a failure
        BNE FAIL
        STU BUFEND
        LDA #1              ; write
        STA FCMD
        LDX #OUTNAME
        BSR NAME
        LDA FCMD
        CMPA #$41
        BNE FAIL
        LDX #BUF
.write  CMPX BUFEND
        BEQ .close
        LDA ,X+
        STA FDATA
        BRA .write
.close  LDA #2
        STA FCMD
        LDA FDATA
        BNE FAIL
        LDA #1
        STA RESULT
HALT    BRA HALT
FAIL    LDA #$FF
        STA RESULT
        BRA HALT

* Sends the 0-terminated name at X, the 0 included.
NAME    LDA ,X+
        STA FDATA
        BNE NAME
        RTS

MSG     FCC "PRINTED BY THE GUEST"
        FCB $0D,$0A,0
