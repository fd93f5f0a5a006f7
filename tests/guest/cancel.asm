* Posts a line across the whole graphic screen and cancels it at once; returns when the
* display firmware has taken the request and gone idle.
        INCLUDE "orlo.inc"

        ORG $2600
START   LDX #LONG
        LDB #LONGEND-LONG
        BSR DPOST
        LDB SH_MAIN+SH_CANC
        CLRA
        STA SUBCTL          ; release: the line starts
        LDA #$40
        STA SUBCTL          ; cancel
.ack    CMPB SH_MAIN+SH_CANC
        BEQ .ack
        BRA DWAIT

        INCLUDE "dcall.inc"

LONG    FCB DC_LINE
        FDB -4096,-4096,4095,4095
        FCB 7
LONGEND EQU *
