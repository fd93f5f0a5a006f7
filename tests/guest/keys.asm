* Leaves the keys with the display firmware (keyboard interrupt off) until it holds two,
* then gives the keys back to the main processor.
        INCLUDE "orlo.inc"

        ORG $2400
START   CLRA
        STA IRQMSK1
.wait   LDA SH_MAIN+SH_KEYS
        CMPA #2
        BLO .wait
        LDA #$80
        STA IRQMSK1
        RTS
