* Text on the graphic layer: Shift-JIS strings, double-byte characters as 16x16 glyphs
* from the kanji ROM, single bytes as 8x16 glyphs from our copy of the character font.
*
* Kanji ROM glyph number of JIS row r, cell c (both from 1): (r - 1) * 94 + c - 1 for
* rows 1-8, (r - 8) * 94 + c - 1 for rows 16-50. Other rows have no glyph and are
* drawn blank.

* Converts Shift-JIS bytes A (lead), B (trail) into a glyph number in D; carry set
* when there is none.
SJ2GL   CMPB #$40
        BLO .none
        CMPB #$7F
        BEQ .none
        CMPB #$FC
        BHI .none
        CMPA #$E0
        BLO .lead
        SUBA #$40           ; $E0-$FC follow $9F
.lead   SUBA #$81
        ASLA
        INCA                ; odd row
        CMPB #$9F
        BLO .odd
        INCA                ; even row
        SUBB #$9E
        BRA .slot
.odd    CMPB #$80
        BLO .low
        DECB                ; $7F is not a trail byte
.low    SUBB #$3F
.slot   CMPA #8             ; A = row, B = cell
        BHI .kanji
        DECA
        BRA .number
.kanji  CMPA #16
        BLO .none
        CMPA #50
        BHI .none
        SUBA #8
.number DECB
        PSHS B
        LDB #94
        MUL
        ADDB ,S+
        ADCA #0
        ANDCC #$FE
        RTS
.none   ORCC #$01
        RTS

* Reads glyph D from the kanji ROM into GBUF: 16 rows of a left and a right byte.
KJREAD  STA KJHI            ; bit 7 clear: kanji, not clock
        STB KJLO
        LDX #GBUF
        LDB #16
.row    LDA KJLEFT
        STA ,X+
        LDA KJRIGHT
        STA ,X+
        DECB
        BNE .row
        RTS

* B = A with its bits reversed (font rows keep the leftmost dot in bit 0).
REV8    LDB #1              ; marker: eight shifts push it out
.bit    LSRA
        ROLB
        BCC .bit
        RTS

* KANJI: x, y, foreground, background ($FF transparent), n, n bytes of Shift-JIS
CKANJI  LDD PAR
        STD GX
        LDD PAR+2
        STD GY
        LDA PAR+4
        ANDA #7
        JSR SETFG
        LDA PAR+5
        CMPA #$FF
        BEQ .bg
        ANDA #7
.bg     JSR SETBG
        LDB PAR+6
        CMPB #KJMAX
        BLS .count
        LDB #KJMAX
.count  STB KCNT
        LDX #PAR+7
        STX KPTR
.next   LDB KCNT
        LBEQ .done
        LDX KPTR
        LDA ,X+
        CMPA #$81
        BLO .half
        CMPA #$9F
        BLS .lead
        CMPA #$E0
        BLO .half
        CMPA #$FC
        BHI .half
.lead   CMPB #2
        BLO .half           ; a lead byte without its trail byte
        LDB ,X+
        STX KPTR
        DEC KCNT
        DEC KCNT
        JSR SJ2GL
        BCS .blank
        JSR KJREAD
        BRA .draw
.blank  LDX #ZERO
        LDY #GBUF
        LDW #32
        TFM X,Y+
.draw   LDU #GBUF
        LDY #0
.krow   LDD GX
        STD PX
        TFR Y,D
        ADDD GY
        STD PY
        LDA ,U+
        JSR ROW8
        LDD GX
        ADDD #8
        STD PX
        LDA ,U+
        JSR ROW8
        LEAY 1,Y
        CMPY #16
        BNE .krow
        LDD GX
        ADDD #16
        STD GX
        BRA .next
.half   STX KPTR
        DEC KCNT
        LDB #16
        MUL
        ADDD #FONT
        TFR D,U
        LDY #0
.hrow   LDD GX
        STD PX
        TFR Y,D
        ADDD GY
        STD PY
        LDA ,U+
        JSR REV8
        TFR B,A
        JSR ROW8
        LEAY 1,Y
        CMPY #16
        BNE .hrow
        LDD GX
        ADDD #8
        STD GX
        LBRA .next
.done   RTS

* The 8x16 character font, 16 bytes a glyph, leftmost dot in bit 0.
FONT    INCBIN "font8x16.bin"
