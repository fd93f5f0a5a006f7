* Sums a table, divides, squares and copies; the test runs it on the core and reads the
* results at RESULT. COUNT comes from the command line.
        INCLUDE "consts.inc"

        ORG $1000
START   LDS #STACK
        LDX #TABLE
        CLRD
        LDE #COUNT
.loop   ADDB ,X+
        ADCA #0
        DECE
        BNE .loop
        STD RESULT          ; 1 + 2 + ... + COUNT
        LDD #-7
        DIVD #2             ; B = -3, A = -1
        STD RESULT+2
        LDD #300
        BSR SQUARE
        STQ RESULT+4        ; 90000
        LDW #COUNT
        LDX #TABLE
        LDY #COPY
        TFM X+,Y+
        IF COUNT / 100        ; not for small tables
        FCB $C7             ; never assembled
        ELSE
        OIM #$80,RESULT+8
        ENDIF
DONE    BRA DONE

* Q = D * D
SQUARE  PSHS D
        MULD ,S++
        RTS

TABLE   INCBIN "table.bin"
