* TP chenillard (une erreur : la période de OC2 est de 12,5 ms, pas 25 ms)
* (OC2 toutes les 25 ms, un pas toutes les 8 interruptions) ; un appui sur
* IRQ change le sens. 68HC11F1, quartz 8 MHz, programme en EEPROM ($FE00).
PORTB   EQU     $1004
TOC2    EQU     $1018
TMSK1   EQU     $1022
TFLG1   EQU     $1023
OPTION  EQU     $1039
COPRST  EQU     $103A
TCNT    EQU     $100E

MOTIF   EQU     $0100           la LED allumée
SENS    EQU     $0101           0 : vers PB7, $FF : vers PB0
TICS    EQU     $0102           interruptions avant le prochain pas

        ORG     $FE00
debut   LDAA    OPTION          IRQ sur front (dans les 64 premiers cycles)
        ORAA    #$20
        STAA    OPTION
        LDS     #$03FF
        CLR     SENS
        LDAA    #1
        STAA    MOTIF
        STAA    PORTB
        LDAA    #8
        STAA    TICS
        LDD     TCNT
        ADDD    #25000
        STD     TOC2
        LDAA    #$40
        STAA    TFLG1
        STAA    TMSK1
        CLI
boucle  LDAA    #$55            le COP est servi à chaque tour
        STAA    COPRST
        LDAA    #$AA
        STAA    COPRST
        BRA     boucle

oc2     LDD     TOC2
        ADDD    #25000
        STD     TOC2
        LDAA    #$40
        STAA    TFLG1
        DEC     TICS
        BNE     fin
        LDAA    #8
        STAA    TICS
        LDAA    MOTIF
        TST     SENS
        BNE     bas
        LSLA
        BNE     montre
        LDAA    #1
        BRA     montre
bas     LSRA
        BNE     montre
        LDAA    #$80
montre  STAA    MOTIF
        STAA    PORTB
fin     RTI

irq     COM     SENS
        RTI

autre   RTI

        ORG     $FFD6
        FDB     autre,autre,autre,autre,autre,autre,autre,autre
        FDB     oc2,autre,autre,autre,autre,autre
        FDB     irq,autre,autre
        FDB     debut,debut,debut,debut
        END     debut
