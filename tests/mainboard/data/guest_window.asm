* Runs at $1000 with the MMU off: reads through the window with an offset that wraps
* inside bank 7, stores the byte at COPIED, then idles with FIRQ enabled.
COPIED  EQU $0400

        ORG $1000
        LDS #$8000
        LDA #7
        STA $FD91               ; window bank 7
        LDA #$FF
        STA $FD92               ; offset $FF00
        LDA #$40
        STA $FD93               ; window on
        LDA $7D00               ; ($FF00 + $7D00) & $FFFF = $7C00 of bank 7
        STA COPIED
        ANDCC #$BF
.idle   BRA .idle
