* Booting. The DIP switches enable the hard disk (bit 7), the 8-inch floppies (bit 6)
* and the mini floppies (bit 5), each when 0; bits 1-0 hold the drive number XOR 3.
* The enabled devices are tried in that order on that drive.
*
* A boot record is the first n x 256 bytes of the device: sector 1 onwards of track 0,
* side 0 on a floppy, sector 0 onwards of cylinder 0, head 0 on the hard disk. It
* starts with "ORLO" and n (0 counts as 1, at most 64); its program starts at byte 8.
* The record is loaded at $1000 and called with A = device (0 hard disk, 1 8-inch,
* 2 mini) and B = drive. A program that returns comes back to the monitor.

DEV_HD   EQU 0
DEV_8IN  EQU 1
DEV_MINI EQU 2

BOOT    LDA DIPSW
        STA BDIP
        ANDA #3
        EORA #3
        STA BDRV
        LDA BDIP
        ANDA #$E0
        CMPA #$E0
        BNE .some
        LDX #S_NODEV
        JMP PUTS
.some   LDA BDIP
        BITA #$80
        BNE .no8
        LDA #DEV_HD
        BSR TRY
.no8    LDA BDIP
        BITA #$40
        BNE .nomini
        LDA #DEV_8IN
        BSR TRY
.nomini LDA BDIP
        BITA #$20
        BNE .none
        LDA #DEV_MINI
        BSR TRY
.none   LDX #S_NOBOOT
        JMP PUTS

* Tries device A on drive BDRV; returns only if it does not boot.
TRY     STA BDEV
        LDX #DEVNAME
        LDB BDEV
        ASLB
        LDX B,X
        JSR PUTS
        LDA BDRV
        ADDA #'0'
        JSR PUTC
        LDX #S_COLON
        JSR PUTS
        JSR FLUSH
        LDX #ZERO           ; no stale record may pass for a new one
        LDY #LOADADR
        LDW #256
        TFM X,Y+
        LDD #256
        BSR READ
        BNE .fail
        LDX #LOADADR
        LDY #SIGNAT
        LDB #4
.sig    LDA ,X+
        CMPA ,Y+
        BNE .nosig
        DECB
        BNE .sig
        LDA LOADADR+4       ; blocks
        BNE .count
        INCA
.count  CMPA #BOOTMAX
        BHI .bad
        CMPA #1
        BEQ .go
        CLRB
        BSR READ            ; the whole record
        BNE .fail
.go     LDX #S_BOOTING
        JSR PUTS
        JSR FLUSH
        LDX #LOADADR+8
        LDA BDEV
        LDB BDRV
        JMP CALLPRG
.nosig  LDA #3
        BRA .fail
.bad    LDA #4
.fail   LDX #FAILMSG
        DECA
        ASLA
        LDX A,X
        JSR PUTS
        JMP CRLF

* Reads D bytes of the boot record to LOADADR from device BDEV. A = 0 (Z set) when
* all came in, 1 no disk, 2 read error.
READ    STD BCNT
        LDA BDEV
        BEQ RDHD
        LDU #FDA_CMD        ; mini floppies: unit A on DMA channel 0
        CLRB
        CMPA #DEV_MINI
        BEQ RDFLOP
        LDU #FDB_CMD        ; 8-inch floppies: unit B on DMA channel 1
        INCB

* Floppy controller at U (command, +2 sector, +4 side, +5 drive, +7 completion),
* DMA channel B.
RDFLOP  STB BCHAN
        LDA BDRV
        STA 5,U
        CLRA
        STA 4,U
        LDA #FDC_RESTORE
        STA ,U
        LDA ,U
        LDB 7,U             ; clears the unit's interrupt
        BITA #$80
        BNE .nodisk
        BITA #$10
        BNE .error
        JSR DMASET
        LDX #DMA_CTL
        LDB BCHAN
        LDA #$04            ; floppy DMA, device to memory, counting up
        STA B,X
        LDA #1
        STA 2,U
        LDA #FDC_READM
        STA ,U
        LDA ,U
        LDB 7,U
        STA BSTAT
        LDX #DMA_CTL
        LDB BCHAN
        CLRA
        STA B,X             ; programmed I/O again for whoever comes next
        LDA BSTAT
        BITA #$80
        BNE .nodisk
        BITA #$10
        BNE .error
        BRA DMALEFT
.nodisk LDA #1
        RTS
.error  LDA #2
        RTS

* Hard disk unit BDRV on DMA channel 2.
RDHD    LDA #$08
        STA HD_CTL          ; abandon whatever ran
        LDA BDRV
        LSRA                ; unit bits 2-1
        ORA #$20            ; DMA channel 2
        STA HD_CTL
        LDB #2
        STB BCHAN
        BSR DMASET
        CLRA
        STA DMA_CTL+2       ; disk to memory
        LDA #HD_READ
        STA HD_CMD
        LDA BDRV
        ANDA #1             ; unit bit 0
        STA HD_DAT
        CLRA
        LDB #5              ; unused byte, cylinder (2), head, sector
.zero   STA HD_DAT
        DECB
        BNE .zero
        LDD BCNT
        STA HD_DAT
        STB HD_DAT
        LDA HD_DAT
        STA BSTAT
        LDB #7              ; the rest of the eight result bytes
.rest   LDA HD_DAT
        DECB
        BNE .rest
        LDA BSTAT
        CMPA #$10
        BEQ DMALEFT
        CMPA #$90
        BEQ .nodisk
        LDA #2
        RTS
.nodisk LDA #1
        RTS

* DMA channel BCHAN: bank 0, address LOADADR, count BCNT.
DMASET  LDX #DMA_BNK
        LDB BCHAN
        CLRA
        STA B,X
        LDX #DMA_ADR
        ASLB
        ASLB
        ABX
        LDD #LOADADR
        STD ,X
        LDD BCNT
        STD 2,X
        RTS

* A = 0 if channel BCHAN moved every byte, else 2.
DMALEFT LDX #DMA_ADR
        LDB BCHAN
        ASLB
        ASLB
        ABX
        LDD 2,X
        BNE .short
        CLRA
        RTS
.short  LDA #2
        RTS

SIGNAT  FCC "ORLO"
DEVNAME FDB S_HD,S_8IN,S_MINI
S_HD    FCC "Hard disk "
        FCB 0
S_8IN   FCC "8-inch floppy "
        FCB 0
S_MINI  FCC "Mini floppy "
        FCB 0
S_COLON FCC ": "
        FCB 0
S_BOOTING FCC "booting"
        FCB C_CR,C_LF,0
FAILMSG FDB S_NODISK,S_RDERR,S_NOSIG,S_BADREC
S_NODISK FCC "no disk"
        FCB 0
S_RDERR FCC "read error"
        FCB 0
S_NOSIG FCC "not bootable"
        FCB 0
S_BADREC FCC "boot record too long"
        FCB 0
S_NODEV FCC "No boot device is enabled."
        FCB C_CR,C_LF,0
S_NOBOOT FCC "Nothing to boot."
        FCB C_CR,C_LF,0
