 ORG $100
 INCLUDE "inc.asm"
 INCBIN b.bin
L LDA [L,PCR]
 OIM #1,<2
 TFM X+,Y+
 IF V
 BAND <$40:3,CC:5
 ELSE
 FCC "x"
 ENDIF
