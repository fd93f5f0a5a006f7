* A boot record of two 256-byte blocks. The program in the first block prints a line,
* kept in the second block, through the display protocol and returns to the monitor.
        INCLUDE "orlo.inc"

        ORG $1000
        FCC "ORLO"
        FCB 2,0,0,0
START   ADDA #'0'           ; A = device, B = drive
        STA DEVICE
        ADDB #'0'
        STB DRIVE
        LDX #MESSAGE
        LDB #MSGEND-MESSAGE
        BSR DCALL
        RTS

        INCLUDE "dcall.inc"

        ORG $1100
MESSAGE FCB DC_PUT,MSGEND-MESSAGE-2
        FCC "Booted from device "
DEVICE  FCB '?'
        FCC ", drive "
DRIVE   FCB '?'
        FCB C_CR,C_LF
MSGEND  EQU *
        FILL 0,$1200-*
