* Orlo display firmware: the display processor's program at $B000-$FFFF.
*
* It owns the screen and the keyboard of the display board and serves the main
* processor through the shared block ($9F80-$9FFF here, $FC80-$FCFF there):
* the main processor waits until the busy bit of $FD05 is clear, holds us, writes a
* command into the block, releases us, and waits until busy clears again. We notice
* the command when a read of the handshake register ($AFE0) shows bit 0 clear, run
* it, store any results in the block and go idle by writing bit 0 = 1, which also
* clears the busy bit and parks us until the next interrupt.
*
* Interrupts: NMI (every 20 ms) counts ticks in the status area; FIRQ takes keys
* when the main processor has not asked for them itself; IRQ is the main
* processor's cancel request, which abandons the command being run.

        INCLUDE "orlo.inc"

*---------------------------------------------------------------------------------------
* Work RAM
*---------------------------------------------------------------------------------------
        ORG D_RAM
TOP     RMB 2               ; text cell shown first (even, 0-2046)
COLS    RMB 1               ; 80 or 40
CURX    RMB 1
CURY    RMB 1
ATTR    RMB 1               ; attribute of new characters
ESCST   RMB 1               ; escape sequence state (ESC_*)
ESCROW  RMB 1               ; row of an ESC = sequence
CSHAPE  RMB 2               ; cursor: CRTC R10, R11
HSBIT   RMB 1               ; handshake bits besides bit 0: bit 5 = cursor on an odd cell
INCMD   RMB 1               ; nonzero while a command runs
KEYRD   RMB 1               ; key ring indexes, 0-63
KEYWR   RMB 1
GMAXY   RMB 2               ; last graphic line: 199 or 399
* graphics
PX      RMB 2               ; the point being drawn
PY      RMB 2
GX      RMB 2               ; pen position of text, corner of rectangles
GY      RMB 2
GX1     RMB 2               ; other end of a line or rectangle
GY1     RMB 2
BX0     RMB 2               ; a box's corners
BY0     RMB 2
BX1     RMB 2
BY1     RMB 2
COLOR   RMB 1
FGP     RMB 3               ; per plane: $FF where the foreground colour has the bit
BGP     RMB 3               ; the same for the background
BGT     RMB 1               ; nonzero: background transparent
PAT     RMB 1
MSK     RMB 1
TMP     RMB 1
SHIFT   RMB 1
RPAT    RMB 1
RMSK    RMB 1
LDX_    RMB 2               ; line: |dx|, -|dy|, steps, error
LDY_    RMB 2
LSX     RMB 2
LSY     RMB 2
LERR    RMB 2
LE2     RMB 2
FLB     RMB 1               ; fill: left byte column, byte columns spanned, masks
FNB     RMB 1
FLM     RMB 1
FRM     RMB 1
KPTR    RMB 2               ; kanji text pointer and bytes left
KCNT    RMB 1
GBUF    RMB 32              ; one glyph
CLKD    RMB 12              ; clock digits
KEYBUF  RMB 128             ; 64 key codes
VAREND  EQU *

DSTACK  EQU D_SHARE         ; stack grows down from the shared block
PAR     EQU D_SHARE+SH_PAR  ; command parameters

ESC_NONE EQU 0
ESC_SEEN EQU 1
ESC_ROW  EQU 2
ESC_COL  EQU 3
ESC_ATTR EQU 4

*---------------------------------------------------------------------------------------
* Start and command loop
*---------------------------------------------------------------------------------------
        ORG $B000
RESET   ORCC #$50
        LDS #DSTACK
        LDMD #$01           ; native mode: interrupts save W as well
        CLRA
        TFR A,DP
        LDX #ZERO           ; clear the work RAM
        LDY #D_RAM
        LDW #VAREND-D_RAM
        TFM X,Y+
        LDA #80
        STA COLS
        LDA #$07
        STA ATTR
        LDD #$4E0F          ; underline cursor, fast blink
        STD CSHAPE
        LDD #399
        STD GMAXY
        JSR CRTINIT
        LDA #$47            ; graphics: bank 0 shown, 400 lines, planes 0-2
        STA GDISP
        CLR GBANK
        CLR GOFSHI
        CLR GOFSLO
        CLR GSTHI
        CLR GSTLO
        CLRA
        JSR GCLEAR
        JSR CLS
        BRA DONE

* Waits for a command. Reading HSHAKE while no command is posted parks the processor
* until an interrupt, so this loop costs nothing while idle.
IDLE    LDA HSHAKE
        BITA #1
        BNE IDLE
        LDA #1
        STA INCMD
        JSR COMMAND
* A command ends here, also when cancelled.
DONE    LDS #DSTACK
        ANDCC #$AF
        JSR SETCUR
        JSR STATUS
        CLR INCMD
        LDA HSBIT
        ORA #1              ; idle: clears busy, waits for an interrupt
        STA HSHAKE
        BRA IDLE

COMMAND LDB D_SHARE+SH_CMD
        CMPB #DC_LAST
        BHI .none
        LDX #CMDTAB
        ASLB
        JMP [B,X]
.none   RTS

CMDTAB  FDB NOCMD,CPUT,CCURS,CWIDTH,CREAD,CCLOCK,CKEY,NOCMD
        FDB NOCMD,NOCMD,NOCMD,NOCMD,NOCMD,NOCMD,NOCMD,NOCMD
        FDB CGMODE,CGCLS,CPSET,CLINE,CBOX,CFILL,CKANJI
NOCMD   RTS

* Status area: cursor and key count for the main processor.
STATUS  LDD CURX
        STD D_SHARE+SH_COL
        LDA KEYWR
        SUBA KEYRD
        ANDA #63
        STA D_SHARE+SH_KEYS
        RTS

*---------------------------------------------------------------------------------------
* Interrupts
*---------------------------------------------------------------------------------------
* NMI: the 20 ms tick.
DNMI    LDD D_SHARE+SH_TICK
        ADDD #1
        STD D_SHARE+SH_TICK
        RTI

* IRQ: the main processor asks to cancel. A running command is abandoned, and so is
* one posted but not yet begun; while idle, taking the request off the line is all.
DIRQ    LDA CANACK
        INC D_SHARE+SH_CANC
        TST INCMD
        BNE .stop
        LDA HSHAKE          ; bit 0 clear: a command is posted
        BITA #1
        BEQ .stop
        RTI
.stop   CLR ESCST
        JMP DONE

* FIRQ: a key is ready. Reading the low byte takes it and lets the next one in,
* which raises FIRQ again after we return.
DFIRQ_H PSHS D,X
        LDA DFIRQ           ; reading clears the causes
        BITA #1
        BEQ .out
        LDA DKEYHI
        LDB DKEYLO
        TFR D,X
        LDB KEYWR
        INCB
        ANDB #63
        CMPB KEYRD
        BEQ .count          ; ring full: the key is lost
        LDB KEYWR
        ASLB
        PSHS X
        LDX #KEYBUF
        ABX
        PULS D
        STD ,X
        LDB KEYWR
        INCB
        ANDB #63
        STB KEYWR
.count  LDA KEYWR
        SUBA KEYRD
        ANDA #63
        STA D_SHARE+SH_KEYS
.out    PULS D,X
        RTI

* SWI, SWI2, SWI3 and the trap never come from this program; recover the loop.
DFAULT  LDS #DSTACK
        JMP DONE

*---------------------------------------------------------------------------------------
* Commands without a file of their own
*---------------------------------------------------------------------------------------
* KEY -> flag (1 = a key), key code high, low
CKEY    LDB KEYRD
        CMPB KEYWR
        BEQ .none
        LDX #KEYBUF
        ASLB
        ABX
        LDD ,X
        STD PAR+1
        LDA #1
        STA PAR
        LDB KEYRD
        INCB
        ANDB #63
        STB KEYRD
        RTS
.none   CLR PAR
        CLR PAR+1
        CLR PAR+2
        RTS

* CLOCK -> year (2 bytes), month, day, hour, minute, second
CCLOCK  LDA #CLKLAT
        STA KJHI
        LDX #CLKD
        LDB #$80            ; clock mode, digit 0
.dig    STB KJHI
        LDA KJRIGHT
        STA ,X+
        INCB
        CMPB #$8C
        BNE .dig
        LDX #CLKD+10        ; years since 1900
        BSR PAIR
        CLRA
        ADDD #1900
        STD PAR
        LDX #CLKD+8         ; month, day, hour, minute, second
        LDY #PAR+2
.val    BSR PAIR
        STB ,Y+
        LEAX -2,X
        CMPX #CLKD
        BHS .val
        RTS

* B = digit at X + 10 * digit at X+1
PAIR    LDA 1,X
        LDB #10
        MUL
        ADDB ,X
        RTS

* READ: column, row -> character, attribute (0, 0 outside the screen)
CREAD   CLR PAR+2
        CLR PAR+3
        LDB PAR
        CMPB COLS
        BHS .out
        LDA PAR+1
        CMPA #25
        BHS .out
        JSR CELLXY
        LDD ,X
        STD PAR+2
.out    RTS

        INCLUDE "text.asm"
        INCLUDE "graph.asm"
        INCLUDE "kanji.asm"

ZERO    FCB 0
ALLONE  FCB $FF

*---------------------------------------------------------------------------------------
* Vectors
*---------------------------------------------------------------------------------------
        ORG $FFF0
        FDB DFAULT          ; trap
        FDB DFAULT          ; SWI3
        FDB DFAULT          ; SWI2
        FDB DFIRQ_H         ; FIRQ
        FDB DIRQ            ; IRQ
        FDB DFAULT          ; SWI
        FDB DNMI            ; NMI
        FDB RESET           ; reset
