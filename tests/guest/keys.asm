* Leaves the keys with the display firmware (keyboard interrupt off), waits until it
* holds two, fetches three answers of KEY into ANSWER ($3300, 3 bytes each) and gives
* the keys back to the main processor.
        INCLUDE "orlo.inc"

ANSWER  EQU $3300

        ORG $2400
START   CLRA
        STA IRQMSK1
.wait   LDA SH_MAIN+SH_KEYS
        CMPA #2
        BLO .wait
        LDY #ANSWER
        LDA #3
        PSHS A
.key    LDX #KEYCMD
        LDB #1
        BSR DCALL
        LDX #SH_MAIN+SH_PAR
        LDB #3
.copy   LDA ,X+
        STA ,Y+
        DECB
        BNE .copy
        DEC ,S
        BNE .key
        PULS A
        LDA #$80
        STA IRQMSK1
        RTS

KEYCMD  FCB DC_KEY

        INCLUDE "dcall.inc"
