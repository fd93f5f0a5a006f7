* Runs at $1000 through the MMU: programs timer counter 0 for interrupts every 257
* accesses, enables them and waits for five; then stores the count at DONE.
TICKS   EQU $0200
DONE    EQU $0201

        ORG $1000
        LDA #$01
        STA $FD39               ; CR2: $FD38 writes CR1
        LDA #$42
        STA $FD38               ; CR1: internal clock, interrupt enabled, continuous
        LDA #$01
        STA $FD3A
        CLRA
        STA $FD3B               ; latch $0100
        LDA #$10
        STA $FD02               ; mask 1: timer
        ANDCC #$EF
.wait   LDA TICKS
        CMPA #5
        BLO .wait
        STA DONE
.halt   BRA .halt
