* Runs the display commands a test has put at LIST ($3100): entries of a length byte
* and a command block, ended by a 0 length. What the last command left in the shared
* block is copied to ANSWER ($3200, 16 bytes).
        INCLUDE "orlo.inc"

LIST    EQU $3100
ANSWER  EQU $3200

        ORG $2200
START   LDU #LIST
.next   LDB ,U+
        BEQ .done
        TFR U,X
        BSR DCALL
        LEAU B,U
        BRA .next
.done   LDX #SH_MAIN+SH_PAR
        LDY #ANSWER
        LDB #16
.copy   LDA ,X+
        STA ,Y+
        DECB
        BNE .copy
        RTS

        INCLUDE "dcall.inc"
