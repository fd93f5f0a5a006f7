* Orlo open firmware: the main processor's boot ROM at $5000-$5FFF.
*
* At reset it sets up the board, waits for the display firmware, shows the banner
* and tries the boot devices the DIP switches enable (hard disk, 8-inch floppy,
* mini floppy). A boot record carrying our signature is loaded at $1000 and called;
* otherwise, or when the program returns, the machine-language monitor takes over.
*
* Work area: $FE00-$FEFF variables, $FF00-$FFEF stack, $FFF0-$FFFF vectors. Keys
* come in by the keyboard interrupt; BREAK (FIRQ) stops whatever runs and enters the
* monitor.

        INCLUDE "orlo.inc"

MVARS   EQU $FE00
MSTACK  EQU $FFF0
LOADADR EQU $1000           ; where boot records are loaded
BOOTMAX EQU 64              ; most 256-byte blocks of a boot record
OBMAX   EQU 64              ; output collected before it goes to the display
LMAX    EQU 62              ; longest input line
KEYS    EQU 32              ; size of the key ring
KMASK   EQU KEYS-1

*---------------------------------------------------------------------------------------
* Work RAM
*---------------------------------------------------------------------------------------
        ORG MVARS
KBUF    RMB 2*KEYS          ; key codes from the keyboard interrupt
KRD     RMB 1
KWR     RMB 1
KDUMMY  RMB 1               ; set until the display's start-up key has been dropped
HOLDING RMB 1               ; set while we hold the display processor
OCMD    RMB 1               ; a PUT command being collected: code, count, text
OLEN    RMB 1
OBUF    RMB OBMAX
LBUF    RMB LMAX+1          ; input line, ends with 0
LLEN    RMB 1
ARG1    RMB 2               ; parsed arguments
ARG2    RMB 2
ARG3    RMB 2
DADDR   RMB 2               ; where D goes on
MADDR   RMB 2
* registers of the program last stopped, in the order of an interrupt frame
RIMG    EQU *
RCC     RMB 1
RA      RMB 1
RB      RMB 1
RE      RMB 1
RF      RMB 1
RDP     RMB 1
RX      RMB 2
RY      RMB 2
RU      RMB 2
RPC     RMB 2
RS      RMB 2
BDIP    RMB 1               ; boot: DIP switches, device, drive, byte count
BDEV    RMB 1
BDRV    RMB 1
BCNT    RMB 2
BCHAN   RMB 1
BSTAT   RMB 1
MVEND   EQU *

*---------------------------------------------------------------------------------------
* Reset
*---------------------------------------------------------------------------------------
        ORG $5000
RESET   ORCC #$50
        LDS #MSTACK
        LDMD #$01           ; native mode: interrupts save W as well
        CLRA
        TFR A,DP
        LDX #ZERO
        LDY #MVARS
        LDW #MVEND-MVARS
        TFM X,Y+
        LDA #1
        STA KDUMMY
        JSR HWINIT
        LDX #PALTAB
        LDY #PALETTE
        LDW #8
        TFM X+,Y+
        LDA #$0F            ; draw text and graphics
        STA LAYERS
.wait   LDA SUBCTL          ; until the display firmware is up
        BMI .wait
        ANDCC #$AF
        LDX #S_BANNER
        JSR PUTS
        JSR BOOT
        JMP MONITOR

* Interrupt sources to a known state: keys to us, everything else quiet.
HWINIT  CLRA
        STA IRQMSK2
        STA DMA_IRQ
        STA DMA_CTL
        STA DMA_CTL+1
        STA DMA_CTL+2
        STA DMA_CTL+3
        LDA #$08            ; hard disk: abandon any command, interrupt off
        STA HD_CTL
        CLRA
        STA HD_CTL
        LDA #$80
        STA IRQMSK1
        RTS

* Colour code 0 black, 1-7 the bright colours.
PALTAB  FCB 0,9,10,11,12,13,14,15

S_BANNER FCB C_CLS,C_ESC,'C',$25
        FCC "Orlo open firmware 1.0"
        FCB C_ESC,'C',$07,C_CR,C_LF,C_LF,0

ZERO    FCB 0

*---------------------------------------------------------------------------------------
* Interrupts
*---------------------------------------------------------------------------------------
* IRQ: a key. Anything else that interrupts was enabled by a program that has
* stopped; it is switched off. With the key ring full the key is left in the key
* register and we return with IRQ masked, so the keyboard waits; GETCH unmasks.
MIRQ    LDA IRQST1
        BITA #$40
        BEQ .other
        LDB KWR
        INCB
        ANDB #KMASK
        CMPB KRD
        BEQ .full
        LDA KEYHI
        LDB KEYLO           ; takes the key
        TST KDUMMY
        BEQ .keep
        CMPD #$0050
        BNE .keep
        CLR KDUMMY          ; the display board's start-up key
        RTI
.keep   TFR D,Y
        LDB KWR
        LDX #KBUF
        ASLB
        ABX
        STY ,X
        LDB KWR
        INCB
        ANDB #KMASK
        STB KWR
        RTI
.full   LDA ,S
        ORA #$10
        STA ,S
        RTI
.other  JSR HWINIT
        RTI
MIRQEND EQU *

* FIRQ: BREAK stops the program and enters the monitor; attention is acknowledged.
MFIRQ   PSHS A
        LDA FIRQST          ; reading clears the BREAK bit
        BITA #$02
        BNE .break
        BITA #$01
        BEQ .out
        STA FIRQST          ; acknowledge attention
.out    PULS A
        RTI
.break  PULS A
        PSHS X
        LDX 3,S             ; where it stopped
        CMPX #MIRQ
        BLO .plain
        CMPX #MIRQEND
        BHS .plain
        LEAS 5,S            ; in the key handler: the program is in the IRQ frame
        LDU #S_BREAK
        BRA FRAME
.plain  PULS X
        STA RA
        STB RB
        STW RE
        STX RX
        STY RY
        STU RU
        TFR DP,A
        STA RDP
        LDA ,S              ; the FIRQ frame: CC, PC
        STA RCC
        LDD 1,S
        STD RPC
        LEAX 3,S
        STX RS
        LDU #S_BREAK
        JMP STOPPED

* SWI, SWI2, SWI3, the trap and NMI: the frame holds every register.
MSWI    LDU #S_SWI
        BRA FRAME
MTRAP   LDU #S_TRAP
        BRA FRAME
MNMI    LDU #S_NMI
FRAME   TFR S,X
        LDY #RIMG
        LDW #14
        TFM X+,Y+
        STX RS
        JMP STOPPED

S_BREAK FCC "Break"
        FCB 0
S_SWI   FCC "SWI"
        FCB 0
S_TRAP  FCC "Trap"
        FCB 0
S_NMI   FCC "NMI"
        FCB 0

        INCLUDE "console.asm"
        INCLUDE "disk.asm"
        INCLUDE "monitor.asm"

*---------------------------------------------------------------------------------------
* Vectors, copied to $FFF0-$FFFF at every reset
*---------------------------------------------------------------------------------------
        ORG $5FF0
        FDB MTRAP           ; trap
        FDB MSWI            ; SWI3
        FDB MSWI            ; SWI2
        FDB MFIRQ           ; FIRQ
        FDB MIRQ            ; IRQ
        FDB MSWI            ; SWI
        FDB MNMI            ; NMI
        FDB RESET           ; reset
