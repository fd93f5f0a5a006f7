* Posts a line across the whole graphic screen and cancels it at once; returns when the
* display firmware has taken the request and gone idle.
        INCLUDE "orlo.inc"

        ORG $2600
START   LDX #LONG
        LDY #SH_MAIN
.idle   LDA SUBCTL
        BMI .idle
        LDA #$80
        STA SUBCTL          ; hold
        LDB #LONGEND-LONG
.copy   LDA ,X+
        STA ,Y+
        DECB
        BNE .copy
        LDB SH_MAIN+SH_CANC
        CLRA
        STA SUBCTL          ; release: the line starts
        LDA #$40
        STA SUBCTL          ; cancel
.ack    CMPB SH_MAIN+SH_CANC
        BEQ .ack
.busy   LDA SUBCTL
        BMI .busy
        RTS

LONG    FCB DC_LINE
        FDB -4096,-4096,4095,4095
        FCB 7
LONGEND EQU *
