* Graphics on bank 0 of the three planes: 640 dots by 200 or 400 lines, 80 bytes a
* line, the leftmost dot in bit 7. A dot's colour code (0-7) has bit n in plane n;
* the main board's palette turns codes into colours.
*
* Every drawing write goes through PATW, which changes the dots of one byte in all
* three planes: for each plane it selects the plane for reading and writing (keeping
* the other two) and merges the new bits under a mask.

* PLANES values for plane 0, 1, 2: read it, write it, keep the others.
PLSEL   FCB $31,$6A,$9C

* Dots of the byte at X under mask B: foreground where pattern A has a 1, background
* where it has a 0 (untouched when the background is transparent).
PATW    STA PAT
        TST BGT
        BEQ .opaque
        ANDB PAT
.opaque STB MSK
        BEQ .done
        PSHS Y
        LDY #0
.plane  LDA PLSEL,Y
        STA PLANES
        LDA PAT
        ANDA FGP,Y
        STA TMP
        LDA PAT
        COMA
        ANDA BGP,Y
        ORA TMP
        ANDA MSK
        STA TMP
        LDA MSK
        COMA
        ANDA ,X
        ORA TMP
        STA ,X
        LEAY 1,Y
        CMPY #3
        BNE .plane
        PULS Y
.done   RTS

* Plane masks of colour A: SETFG for the foreground, SETBG for the background
* ($FF = transparent).
SETFG   LDX #FGP
        BRA SETP
SETBG   CLR BGT
        CMPA #$FF
        BNE .opaque
        INC BGT
        RTS
.opaque LDX #BGP
SETP    LDB #3
.plane  CLR ,X
        LSRA
        BCC .next
        COM ,X
.next   LEAX 1,X
        DECB
        BNE .plane
        RTS

* Pen colour A over a transparent background.
PENCOL  ANDA #7
        STA COLOR
        BSR SETFG
        LDA #1
        STA BGT
        RTS

* X = address of the byte holding dot (PX, PY), B = the dot's place in it (0 = left).
PXADR   LDD PY
        ASLD
        ASLD
        ADDD PY
        ASLD
        ASLD
        ASLD
        ASLD                ; 80 bytes a line
        PSHS D
        LDD PX
        LSRD
        LSRD
        LSRD
        ADDD ,S++
        TFR D,X
        LDB PX+1
        ANDB #7
        RTS

* Fills the whole bank with colour A.
GCLEAR  ANDA #7
        STA PLANES          ; write the colour's planes, clear the others
        LDX #ALLONE
        LDY #GVRAM
        LDW #$8000
        TFM X,Y+
        RTS

* Dot (PX, PY) in the pen colour, if it is on the screen.
PLOT    LDD PX
        CMPD #640
        BHS .done
        LDD PY
        CMPD GMAXY
        BHI .done
        BSR PXADR
        LDA #$80
.shift  TSTB
        BEQ .put
        LSRA
        DECB
        BRA .shift
.put    TFR A,B
        JMP PATW
.done   RTS

* Eight dots of pattern A from (PX, PY) rightwards; dots off the screen are dropped.
ROW8    PSHS A
        LDD PY
        CMPD GMAXY
        BHI .skip
        LDD PX
        CMPD #640
        BHS .skip
        BSR PXADR
        STB SHIFT
        PULS A
        CLRB
        LDW #$FF00
.shift  DEC SHIFT
        BMI .split
        LSRD
        LSRW
        BRA .shift
.split  STB RPAT            ; the part that spills into the next byte
        STF RMSK
        TFR E,B
        JSR PATW
        LDB RMSK
        BEQ .done
        LDD PX
        CMPD #632
        BHS .done           ; the next byte is off the right edge
        LEAX 1,X
        LDA RPAT
        LDB RMSK
        JMP PATW
.skip   PULS A
.done   RTS

* Line from (PX, PY) to (GX1, GY1) in the pen colour.
LINE    LDD GX1
        SUBD PX
        BMI .xneg
        LDX #1
        BRA .xset
.xneg   NEGD
        LDX #-1
.xset   STD LDX_            ; |dx|
        STX LSX
        LDD GY1
        SUBD PY
        BMI .yneg
        NEGD
        LDX #1
        BRA .yset
.yneg   LDX #-1
.yset   STD LDY_            ; -|dy|
        STX LSY
        LDD LDX_
        ADDD LDY_
        STD LERR
.dot    JSR PLOT
        LDD PX
        CMPD GX1
        BNE .step
        LDD PY
        CMPD GY1
        BEQ .done
.step   LDD LERR
        ASLD
        STD LE2
        CMPD LDY_
        BLT .ystep
        LDD LERR
        ADDD LDY_
        STD LERR
        LDD PX
        ADDD LSX
        STD PX
.ystep  LDD LE2
        CMPD LDX_
        BGT .dot
        LDD LERR
        ADDD LDX_
        STD LERR
        LDD PY
        ADDD LSY
        STD PY
        BRA .dot
.done   RTS

* Left and right edge masks by the dot's place in its byte.
LMASK   FCB $FF,$7F,$3F,$1F,$0F,$07,$03,$01
RMASK   FCB $80,$C0,$E0,$F0,$F8,$FC,$FE,$FF

* Rectangle (PX, PY)-(GX1, GY1), corners in any order, in the pen colour, clipped.
FILLR   LDD PX
        CMPD GX1
        BLE .xok
        LDX GX1
        STD GX1
        STX PX
.xok    LDD PY
        CMPD GY1
        BLE .yok
        LDX GY1
        STD GY1
        STX PY
.yok    LDD PX
        BPL .x0
        CLRD
        STD PX
.x0     LDD GX1
        CMPD #639
        BLE .x1
        LDD #639
        STD GX1
.x1     LDD PX
        CMPD GX1
        LBGT .done
        LDD PY
        BPL .y0
        CLRD
        STD PY
.y0     LDD GY1
        CMPD GMAXY
        BLE .y1
        LDD GMAXY
        STD GY1
.y1     LDD PY
        CMPD GY1
        BGT .done
        LDB PX+1
        ANDB #7
        LDX #LMASK
        LDA B,X
        STA FLM
        LDB GX1+1
        ANDB #7
        LDX #RMASK
        LDA B,X
        STA FRM
        LDD PX
        LSRD
        LSRD
        LSRD
        STB FLB
        LDD GX1
        LSRD
        LSRD
        LSRD
        SUBB FLB
        STB FNB             ; byte columns after the first
        BNE .row
        LDA FLM             ; one byte holds both edges
        ANDA FRM
        STA FLM
.row    JSR PXADR
        LDA #$FF
        LDB FLM
        JSR PATW
        LDB FNB
        BEQ .next
        DECB
        BEQ .right
        LDA COLOR           ; whole bytes: one write sets all three planes
        STA PLANES
        LDA #$FF
.mid    LEAX 1,X
        STA ,X
        DECB
        BNE .mid
.right  LEAX 1,X
        LDA #$FF
        LDB FRM
        JSR PATW
.next   LDD PY
        CMPD GY1
        BEQ .done
        ADDD #1
        STD PY
        BRA .row
.done   RTS

* Keeps D within -4096..4095, so that line arithmetic cannot overflow.
CLAMP   CMPD #-4096
        BGE .low
        LDD #-4096
        RTS
.low    CMPD #4095
        BLE .done
        LDD #4095
.done   RTS

*---------------------------------------------------------------------------------------
* Commands
*---------------------------------------------------------------------------------------
* GMODE: lines (0 = 200, else 400), planes shown (bits 0-2)
CGMODE  LDA PAR+1
        ANDA #7
        LDX #199
        TST PAR
        BEQ .set
        ORA #$40
        LDX #399
.set    STA GDISP
        STX GMAXY
        RTS

* GCLS: colour
CGCLS   LDA PAR
        JMP GCLEAR

* PSET: x, y, colour
CPSET   LDD PAR
        STD PX
        LDD PAR+2
        STD PY
        LDA PAR+4
        JSR PENCOL
        JMP PLOT

* LINE: x0, y0, x1, y1, colour
CLINE   LDD PAR
        BSR CLAMP
        STD PX
        LDD PAR+2
        BSR CLAMP
        STD PY
        LDD PAR+4
        BSR CLAMP
        STD GX1
        LDD PAR+6
        BSR CLAMP
        STD GY1
        LDA PAR+8
        JSR PENCOL
        JMP LINE

* FILL: x0, y0, x1, y1, colour
CFILL   LDD PAR
        STD PX
        LDD PAR+2
        STD PY
        LDD PAR+4
        STD GX1
        LDD PAR+6
        STD GY1
        LDA PAR+8
        JSR PENCOL
        JMP FILLR

* BOX: x0, y0, x1, y1, colour; the outline, as four one-dot rectangles
CBOX    LDA PAR+8
        JSR PENCOL
        LDX #PAR
        LDY #BX0
        LDW #8
        TFM X+,Y+
        LDX BY0             ; top
        LDY BX1
        LDU BY0
        LDD BX0
        BSR EDGE
        LDX BY1             ; bottom
        LDY BX1
        LDU BY1
        LDD BX0
        BSR EDGE
        LDX BY0             ; left
        LDY BX0
        LDU BY1
        LDD BX0
        BSR EDGE
        LDX BY0             ; right
        LDY BX1
        LDU BY1
        LDD BX1
* Rectangle (D, X)-(Y, U).
EDGE    STD PX
        STX PY
        STY GX1
        STU GY1
        JMP FILLR
