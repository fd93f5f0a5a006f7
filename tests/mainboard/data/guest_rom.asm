* Test boot ROM for the main board: maps segment 0 page by page onto the same physical
* pages, moves page 1 to physical $23000 where the test placed a program, turns the MMU
* on and jumps there. The IRQ handler serves the timer, the FIRQ handler acknowledges
* the display board's attention.
TICKS   EQU $0200               ; timer interrupts taken
FIRQS   EQU $0300               ; FIRQs taken

        ORG $5000
RESET   LDS #$8000
        LDX #$FD80
        CLRA
.map    STA ,X+                 ; segment 0: page n -> physical page n
        INCA
        CMPA #16
        BNE .map
        LDA #$23
        STA $FD81               ; page 1 -> physical $23000
        LDA #$80
        STA $FD93               ; MMU on, the ROM stays in
        JMP $1000

IRQ     LDA $FD39               ; status: drops the request
        LDA $FD3A               ; counter: clears its flag
        INC TICKS
        RTI

FIRQ    STA $FD04               ; acknowledge the attention
        INC FIRQS
        RTI

        ORG $5FF0               ; trap, SWI3, SWI2, FIRQ, IRQ, SWI, NMI, reset
        FDB RESET, RESET, RESET, FIRQ, IRQ, RESET, RESET, RESET
