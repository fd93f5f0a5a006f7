* A two-block boot record for a mini floppy that changes the disk it was booted from:
* it formats track 1, side 0 with sixteen 256-byte sectors (write track through DMA
* channel 0), writes the bytes 0, 1, ... 255 into sector 3 of that track, and then
* creates the host file "done" (relative to the emulator's working folder) to tell
* whoever watches that the disk has been changed. Then it waits until an empty host file
* "go" appears, writes the bytes 255, 254, ... 0 into sector 4 of that track, creates the
* host file "done2" and returns to the monitor.
        INCLUDE "orlo.inc"

TRACK   EQU $3000           ; the raw track is built here
DATA    EQU $2800           ; the sector written

        ORG $1000
        FCC "ORLO"
        FCB 2,0,0,0
START   STB FDA_DRV         ; the drive booted from
        CLRA
        STA FDA_SID
        LDX #TRACK
        LDY #$0101          ; R 1, N 1
.sect   LBSR GAP
        LDA #$FE            ; ID field: C 1, H 0, R, N 1
        STA ,X+
        LDD #$0100
        STD ,X++
        STY ,X++
        LDA #$F7            ; stands for the CRC
        STA ,X+
        LBSR GAP
        LDA #$FB            ; data field
        STA ,X+
        LDA #$E5
        CLRB
.fill   STA ,X+
        DECB
        BNE .fill
        LDA #$F7
        STA ,X+
        LEAY $100,Y
        CMPY #$1101
        BNE .sect
        TFR X,D
        SUBD #TRACK
        TFR D,Y
        LDA #1
        STA FDA_DAT
        LDA #$10            ; seek to track 1
        STA FDA_CMD
        LDA FDA_END
        LDX #TRACK
        LDA #$F0            ; write track
        LBSR DMACMD
        LDX #DATA
        CLRA
.data   STA ,X+
        INCA
        BNE .data
        LDA #3
        LBSR WRSEC
        LDX #DONE
        BSR CREATE
.wait   CLR FP_CMD          ; open "go" to read
        LDX #GO
        BSR NAME
        LDA FP_DAT          ; an empty file answers 0, a missing one 1
        BNE .wait
        LDX #DATA+256
        CLRA
.data2  STA ,-X
        INCA
        BNE .data2
        LDA #4
        LBSR WRSEC
        LDX #DONE2
        BRA CREATE          ; and returns

* Creates the host file named at X, holding one byte.
CREATE  LDA #1
        STA FP_CMD
        BSR NAME
        LDA #'!'
        STA FP_DAT
        LDA #2
        STA FP_CMD
        RTS

* Hands the name at X, its 0 included, to the host-file port.
NAME    LDA ,X+
        STA FP_DAT
        BNE NAME
        RTS

* Eight gap bytes at X.
GAP     CLRA
        LDB #8
.zero   STA ,X+
        DECB
        BNE .zero
        RTS

* Writes the 256 bytes at DATA into sector A of the track; falls into DMACMD.
WRSEC   STA FDA_SEC
        LDX #DATA
        LDY #256
        LDA #$A0            ; write sector

* Runs floppy command A of unit A with Y bytes at X through DMA channel 0, memory to
* device; leaves the channel on programmed I/O again.
DMACMD  CLR DMA_BNK
        STX DMA_ADR
        STY DMA_ADR+2
        LDB #$05
        STB DMA_CTL
        STA FDA_CMD
        LDA FDA_CMD
        LDA FDA_END
        CLR DMA_CTL
        RTS

DONE    FCC "done"
        FCB 0
DONE2   FCC "done2"
        FCB 0
GO      FCC "go"
        FCB 0
