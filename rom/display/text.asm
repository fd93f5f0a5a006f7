* Text screen: 25 rows of 80 or 40 cells in the 2048-cell ring of text video memory.
* Row 0 starts at cell TOP; scrolling moves TOP on by one row and tells the CRT
* controller, so the picture moves without copying a cell. A cell is the character
* byte followed by the attribute byte (bits 0-2 colour, 3 reverse, 5 bright).

* CRT controller register B = A.
CRTW    STB CRTIDX
        STA CRTDAT
        RTS

CRTINIT LDA COLS
        LSRA
        LDB #1              ; characters per row, in pairs
        BSR CRTW
        LDA #25
        LDB #6              ; rows
        BSR CRTW
        BSR SHAPE
        BRA SETSTART

* Cursor shape from CSHAPE: R10 = blink mode << 5 | first raster, R11 = last raster.
SHAPE   LDA CSHAPE
        LDB #10
        BSR CRTW
        LDA CSHAPE+1
        LDB #11
        BRA CRTW

* Start address: R12-R13 count cells in pairs.
SETSTART LDD TOP
        LSRD
        PSHS B
        LDB #12
        BSR CRTW
        PULS A
        LDB #13
        BRA CRTW

* Cursor address: R14-R15 name a pair of cells; bit 5 of the handshake register picks
* the odd one. The handshake write keeps bit 0 clear, so we stay busy.
SETCUR  LDA CURY
        LDB COLS
        MUL
        ADDB CURX
        ADCA #0
        LSRD
        PSHS D
        LDA #0
        BCC .even
        LDA #$20
.even   STA HSBIT
        STA HSHAKE
        LDD TOP
        LSRD
        ADDD ,S++
        PSHS B
        LDB #14
        BSR CRTW
        PULS A
        LDB #15
        BRA CRTW

* X = address of the cell at row A, column B.
CELLXY  PSHS B
        LDB COLS
        MUL
        ADDB ,S+
        ADCA #0
* X = address of screen cell D (counted from TOP).
CELLADR ADDD TOP
        ANDA #$07
        ASLD
        ADDD #TVRAM
        TFR D,X
        RTS

* D = a blank cell: space in the current colour, never reversed.
BLANK   LDA #$20
        LDB ATTR
        ANDB #$F7
        RTS

CLS     BSR BLANK
        LDX #TVRAM
        STD ,X
        LDY #TVRAM+2
        LDW #$0FFE          ; the pattern repeats through the whole ring
        TFM X+,Y+
        CLRD
        STD TOP
        STD CURX            ; and CURY
        BRA SETSTART

* Blank row A.
CLRROW  LDB COLS
        MUL
        BSR CELLADR
        LDE COLS
        BSR BLANK
.cell   STD ,X++
        CMPX #TVRAM+$1000
        BLO .next
        LDX #TVRAM          ; the row wraps around the ring
.next   DECE
        BNE .cell
        RTS

LF      LDA CURY
        CMPA #24
        BHS SCROLL
        INC CURY
        RTS
SCROLL  LDD TOP
        ADDB COLS
        ADCA #0
        ANDA #$07
        STD TOP
        LDA #24
        BSR CLRROW
        JMP SETSTART

*---------------------------------------------------------------------------------------
* PUT: n, then n bytes of text with control codes
*---------------------------------------------------------------------------------------
CPUT    LDB PAR
        CMPB #TXTMAX
        BLS .count
        LDB #TXTMAX
.count  STB KCNT
        LDX #PAR+1
        STX KPTR
.next   TST KCNT
        BEQ .done
        LDX KPTR
        LDA ,X+
        STX KPTR
        DEC KCNT
        BSR PUTCH
        BRA .next
.done   RTS

* Prints or obeys byte A.
PUTCH   LDB ESCST
        LBNE ESCAPE
        CMPA #$20
        BHS PRINT
        LDX #CTLTAB
        ASLA
        JMP [A,X]

PRINT   PSHS A
        LDA CURY
        LDB CURX
        JSR CELLXY
        PULS A
        LDB ATTR
        STD ,X
        INC CURX
        LDA CURX
        CMPA COLS
        BLO .done
        CLR CURX            ; past the last column: next line
        BRA LF
.done   RTS

CTLTAB  FDB NOCTL,NOCTL,NOCTL,NOCTL,NOCTL,NOCTL,NOCTL,NOCTL
        FDB CBS,CTAB,LF,CHOME,CLS,CCR,NOCTL,NOCTL
        FDB NOCTL,NOCTL,NOCTL,NOCTL,NOCTL,NOCTL,NOCTL,NOCTL
        FDB NOCTL,NOCTL,NOCTL,CESC,NOCTL,NOCTL,NOCTL,NOCTL
NOCTL   RTS

CBS     LDA CURX
        BEQ .done
        DEC CURX
.done   RTS

CTAB    LDA CURX
        ADDA #8
        ANDA #$F8
        CMPA COLS
        BLO .set
        LDA COLS            ; no stop left: the last column
        DECA
.set    STA CURX
        RTS

CHOME   CLR CURX
        CLR CURY
        RTS

CCR     CLR CURX
        RTS

CESC    LDA #ESC_SEEN
        STA ESCST
        RTS

* Byte A continues the escape sequence in state B.
ESCAPE  CLR ESCST
        CMPB #ESC_SEEN
        BNE .row
        CMPA #'='
        BNE .attr1
        LDA #ESC_ROW
        STA ESCST
        RTS
.attr1  CMPA #'C'
        BNE .done
        LDA #ESC_ATTR
        STA ESCST
        RTS
.row    CMPB #ESC_ROW
        BNE .col
        SUBA #$20
        STA ESCROW
        LDA #ESC_COL
        STA ESCST
        RTS
.col    CMPB #ESC_COL
        BNE .attr
        SUBA #$20
        CMPA COLS
        BLO .x
        LDA COLS
        DECA
.x      STA CURX
        LDA ESCROW
        CMPA #25
        BLO .y
        LDA #24
.y      STA CURY
        RTS
.attr   STA ATTR
.done   RTS

*---------------------------------------------------------------------------------------
* CURSOR: blink mode (0 steady, 1 hidden, 2 fast, 3 slow), first and last raster
*---------------------------------------------------------------------------------------
CCURS   LDA PAR
        ANDA #3
        LDB #32
        MUL
        STB TMP
        LDA PAR+1
        ANDA #15
        ORA TMP
        STA CSHAPE
        LDA PAR+2
        ANDA #15
        STA CSHAPE+1
        JMP SHAPE

*---------------------------------------------------------------------------------------
* WIDTH: 40 or 80 columns; clears the screen
*---------------------------------------------------------------------------------------
CWIDTH  LDA PAR
        CMPA #80
        BEQ .set
        CMPA #40
        BNE .done
.set    STA COLS
        LSRA
        LDB #1
        JSR CRTW
        JMP CLS
.done   RTS
