* Exercises the display commands: clears the text screen, draws on the graphic layer
* (kanji string, rectangle, box, line, dot), prints with cursor addressing and an
* attribute, and keeps what READ, CLOCK and KEY answer at RESULTS.
        INCLUDE "orlo.inc"

RESULTS EQU $3000           ; READ (2 bytes), CLOCK (7), KEY (3)

        ORG $2000
START   LDU #COMMANDS
.next   LDB ,U+             ; length, then the command block
        BEQ .done
        TFR U,X
        BSR DCALL
        LEAU B,U
        BRA .next
.done   LDX #READCMD
        LDB #3
        BSR DCALL
        LDD SH_MAIN+SH_PAR+2
        STD RESULTS
        LDX #CLOCKCMD
        LDB #1
        BSR DCALL
        LDX #SH_MAIN+SH_PAR
        LDY #RESULTS+2
        LDB #7
.clock  LDA ,X+
        STA ,Y+
        DECB
        BNE .clock
        LDX #KEYCMD
        LDB #1
        BSR DCALL
        LDD SH_MAIN+SH_PAR
        STD RESULTS+9
        LDA SH_MAIN+SH_PAR+2
        STA RESULTS+11
        RTS

        INCLUDE "dcall.inc"

READCMD FCB DC_READ,10,20
CLOCKCMD FCB DC_CLOCK
KEYCMD  FCB DC_KEY

* Each entry: length, command block.
COMMANDS FCB 3,DC_PUT,1,C_CLS
        FCB 3,DC_GMODE,1,7
        FCB 2,DC_GCLS,0
        FCB KJEND-KJ
KJ      FCB DC_KANJI
        FDB 16,240          ; x, y
        FCB 7,$FF           ; white, transparent
        FCB KJEND-KJTEXT
KJTEXT  FCB $8A,$BF,$8E,$9A,'A',$B1  ; kanji "kan", "ji", A, katakana "a"
KJEND   EQU *
        FCB 10,DC_FILL
        FDB 100,200,107,203
        FCB 2
        FCB 10,DC_BOX
        FDB 300,200,200,250
        FCB 4
        FCB 10,DC_LINE
        FDB 400,300,410,305
        FCB 1
        FCB 6,DC_PSET
        FDB 639,399
        FCB 3
        FCB 10,DC_PUT,8,C_ESC,'=',$20+20,$20+10,C_ESC,'C',$2A,'H'
        FCB 0
