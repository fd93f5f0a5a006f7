* Serial port 0 with a terminal: raise DTR, wait for the terminal, greet it, then take
* a typed line by interrupts (transmit off, so only received bytes interrupt) and
* answer it. The test reads LINE and DONE.
UDATA   EQU $FD06
USTAT   EQU $FD07
MASK1   EQU $FD02
IRQVEC  EQU $FFF8
PTR     EQU $0100           ; where the next received byte goes
GOT     EQU $0102           ; set when CR arrived
DONE    EQU $0103           ; set when the answer is out
LINE    EQU $0200           ; the typed line, 0-terminated
STACK   EQU $0F00

        ORG $1000
START   ORCC #$50           ; interrupts masked until wanted
        LDS #STACK
        LDX #IRQ
        STX IRQVEC
        LDX #LINE
        STX PTR
        CLR GOT
        CLR DONE
        CLR USTAT           ; the usual internal reset sequence
        CLR USTAT
        CLR USTAT
        LDA #$40
        STA USTAT
        LDA #$4E            ; mode byte: 8 bits, no parity, x16
        STA USTAT
        LDA #$37            ; transmit, DTR, receive, error reset, RTS
        STA USTAT
.dsr    LDA USTAT           ; wait for the terminal
        BPL .dsr
        LDX #HELLO
        BSR PUTS
        LDA #$26            ; DTR, receive, RTS: transmitter quiet
        STA USTAT
        LDA #$08            ; serial 0 interrupt
        STA MASK1
.wait   CWAI #$EF
        TST GOT
        BEQ .wait
        ORCC #$10
        CLR MASK1
        LDA #$37
        STA USTAT
        LDX #ANSWER
        BSR PUTS
        LDX #LINE
        BSR PUTS
        LDX #CRLF
        BSR PUTS
        INC DONE
.halt   BRA .halt

* Sends the 0-terminated string at X.
PUTS    LDB ,X+
        BEQ .end
.ready  LDA USTAT
        LSRA                ; transmitter ready into carry
        BCC .ready
        STB UDATA
        BRA PUTS
.end    RTS

* Takes every waiting byte; CR ends the line.
IRQ     LDA USTAT
        BITA #$02
        BEQ .out
        LDA UDATA
        LDX PTR
        CMPA #$0D
        BEQ .cr
        STA ,X+
        STX PTR
        BRA IRQ
.cr     CLR ,X
        INC GOT
        BRA IRQ
.out    RTI

HELLO   FCC "HELLO FROM PORT 0"
CRLF    FCB $0D,$0A,0
ANSWER  FCC "YOU TYPED: "
        FCB 0
