* Posts a long line and cancels it at once; records the cancel count before and after
* at ANSWER ($3300, $3301), then plots a dot to show the display firmware still serves.
        INCLUDE "orlo.inc"

ANSWER  EQU $3300

        ORG $2600
START   LDA SH_MAIN+SH_CANC
        STA ANSWER
.idle   LDA SUBCTL
        BMI .idle
        LDA #$80
        STA SUBCTL          ; hold
        LDX #LONG
        LDY #SH_MAIN
        LDB #PSET-LONG
.copy   LDA ,X+
        STA ,Y+
        DECB
        BNE .copy
        CLRA
        STA SUBCTL          ; release: the line starts
        LDA #$40
        STA SUBCTL          ; cancel
.ack    LDA SH_MAIN+SH_CANC
        CMPA ANSWER
        BEQ .ack
.busy   LDA SUBCTL
        BMI .busy
        LDA SH_MAIN+SH_CANC
        STA ANSWER+1
        LDX #PSET
        LDB #6
        BSR DCALL
        RTS

LONG    FCB DC_LINE
        FDB -4096,-4096,4095,4095
        FCB 7
PSET    FCB DC_PSET
        FDB 5,6
        FCB 7

        INCLUDE "dcall.inc"
