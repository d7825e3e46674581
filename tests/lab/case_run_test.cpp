// Cases on the simulated board: how a program that goes wrong ends, and every kind of
// stimulus and expectation against a small program.
#include "lab_fixture.h"

#include <QFile>

using namespace tessaline::lab;
using namespace tessaline::lab::test;

namespace {

// A check on the F1 starting at $FE00, 100 000 cycles, with one expectation at the end.
const std::string kFinDe100000 = "depart = 0xFE00\nlimite = 100_000\n[[cas]]\nnom = \"c\"\n"
                                 "[[cas.attendu]]\nmemoire = 0x0100\nvaleur = 0\n";

} // namespace

TEST(CasLab, AProgramThatGoesWrongEndsWithinTheLimitWithItsReason) {
    struct Cas {
        const char* source;
        const char* fin;
        bool anormale;
    };
    const Cas cas[] = {
        {" ORG $FE00\n SEI\nici BRA ici\n",
         "limite de 100 000 cycles atteinte, le programme tournait en $FE01 (boucle sur elle-même)", false},
        {" ORG $FE00\n LDAA #$50\n TAP\n STOP\n",
         "arrêté par STOP en $FE03 au cycle 6, interruptions masquées", false},
        {" ORG $FE00\n LDAA #$D0\n TAP\n WAI\n", "en attente par WAI en $FE03", false},
        {" ORG $FE00\n NOP\n JMP $5000\n",
         "le programme est parti en $5000, où il n'y a pas de mémoire, au cycle 5", true},
        {" ORG $FE00\n NOP\n FCB $41\n", "opcode illégal $41 en $FE01", true},
        {" ORG $8000\n NOP\n", "le programme place des octets en $8000, où le 68HC11F1 n'a ni RAM ni EEPROM",
         true},
    };
    for (const Cas& c : cas) {
        const ResultatCas r = lancer(c.source, kFinDe100000);
        EXPECT_NE(r.fin.find(c.fin), std::string::npos) << c.source << "\n" << r.fin;
        EXPECT_EQ(r.finAnormale, c.anormale) << c.source;
        EXPECT_LE(r.cycles, 100'010u) << c.source;
        // A program that ran away is not checked on what it left.
        EXPECT_EQ(r.attentes[0].reussi, !c.anormale) << c.source << r.attentes[0].texte;
        if (c.anormale) {
            EXPECT_EQ(r.attentes[0].texte, "pas vérifié : " + r.fin);
        }
    }
}

TEST(CasLab, AProgramStartedByResetMustGiveItsResetVector) {
    const std::string check =
        "limite = 1000\n[[cas]]\nnom = \"c\"\n[[cas.attendu]]\nmemoire = 0\nvaleur = 0\n";
    const ResultatCas sans = lancer(" ORG $FE00\n NOP\n", check);
    EXPECT_TRUE(sans.finAnormale);
    EXPECT_EQ(sans.fin,
              "le programme ne donne pas le vecteur de RESET ($FFFE) : ajoutez ORG $FFFE et FDB suivi de son "
              "adresse de départ");
    EXPECT_TRUE(lancer(" ORG $FE00\ndebut BRA debut\n ORG $FFFE\n FDB debut\n", check).reussi);
}

// The program sets the SCI to 9600 baud, waits for a character and sends the next one,
// copies PA0 into $0100, then writes $0200 (outside the zones allowed below).
TEST(CasLab, StimuliReachTheProgramAndExpectationsWeighWhatItDid) {
    const std::string source = R"( ORG $FE00
debut LDS #$03FF
 LDAA #$30
 STAA $102B
 LDAA #$0C
 STAA $102D
attend LDAA $102E
 ANDA #$20
 BEQ attend
 LDAA $102F
 INCA
envoi LDAB $102E
 BPL envoi
 STAA $102F
 LDAA $1000
 ANDA #1
 STAA $0100
fin STAA $0200
 BRA attend
)";
    const std::string check = "depart = \"debut\"\nlimite = 50_000\n[[cas]]\nnom = \"c\"\n"
                              "[[cas.stimulus]]\ncycle = 500\nbroche = \"PA0\"\nniveau = 1\n"
                              "[[cas.stimulus]]\ncycle = 1000\nsci = \"A\"\n"
                              "[[cas.stimulus]]\nadresse = \"fin\"\nsci = \"x\"\n"
                              "[[cas.attendu]]\nsci_contient = \"Byy\"\n"
                              "[[cas.attendu]]\nmemoire = 0x0100\nvaleur = 1\ncycle = 40_000\n"
                              "[[cas.attendu]]\natteint = \"fin\"\navant = 5000\n"
                              "[[cas.attendu]]\natteint = \"fin\"\navant = 3000\nmessage = \"trop lent\"\n"
                              "[[cas.attendu]]\necritures = [[0x100, 0x1FF], [0x3F0, 0x3FF]]\n"
                              "[[cas.attendu]]\nregistre = \"SP\"\nvaleur = 0x3FF\npoints = 2\n";
    const ResultatCas r = lancer(source, check);
    ASSERT_EQ(r.attentes.size(), 6u);
    // "A" + 1, then "x" + 1 each time "fin" is reached.
    EXPECT_TRUE(r.attentes[0].reussi) << r.attentes[0].texte;
    EXPECT_TRUE(r.attentes[1].reussi) << r.attentes[1].texte;
    EXPECT_TRUE(r.attentes[2].reussi) << r.attentes[2].texte;
    // A character at 9600 baud takes 2 083 E cycles: "fin" comes after cycle 3 000.
    EXPECT_FALSE(r.attentes[3].reussi);
    EXPECT_NE(r.attentes[3].texte.find("fin ($FE28) atteinte au cycle 3 "), std::string::npos)
        << r.attentes[3].texte;
    EXPECT_NE(r.attentes[3].texte.find("seulement, attendue avant le cycle 3 000 — trop lent"),
              std::string::npos);
    EXPECT_FALSE(r.attentes[4].reussi);
    EXPECT_NE(r.attentes[4].texte.find("écrit $01 en $0200 au cycle "), std::string::npos)
        << r.attentes[4].texte;
    EXPECT_NE(r.attentes[4].texte.find("(instruction en $FE28), hors des zones permises"), std::string::npos);
    EXPECT_TRUE(r.attentes[5].reussi) << r.attentes[5].texte;
    EXPECT_EQ(r.points, 5);
    EXPECT_EQ(r.pointsMax, 7);
    EXPECT_FALSE(r.reussi);
    EXPECT_EQ(r.premierEchec(), r.attentes[3].texte);

    // Expectations that fail say what was seen against what was expected.
    const ResultatCas faux =
        lancer(source, "depart = \"debut\"\nlimite = 50_000\n[[cas]]\nnom = \"c\"\n"
                       "[[cas.stimulus]]\ncycle = 1000\nsci = \"A\\r\"\n"
                       "[[cas.attendu]]\nsci = \"b\"\n"
                       "[[cas.attendu]]\nport = \"A\"\nvaleur = 1\nmasque = 1\ncycle = 400\n"
                       "[[cas.attendu]]\nmot = \"debut\"\nvaleur = 0x8E03\n"
                       "[[cas.attendu]]\natteint = \"FE00\"\n");
    EXPECT_EQ(
        faux.fin,
        "l'étiquette « FE00 » (ligne 18 de la vérification) n'est pas dans le programme (pour une adresse, "
        "écrivez \"$FE00\" ou 0xFE00)");
    const ResultatCas sansEtiquette =
        lancer(source, "depart = \"debut\"\nlimite = 50_000\n[[cas]]\nnom = \"c\"\n"
                       "[[cas.stimulus]]\ncycle = 1000\nsci = \"A\\r\"\n"
                       "[[cas.attendu]]\nsci = \"b\"\n"
                       "[[cas.attendu]]\nport = \"A\"\nvaleur = 1\nmasque = 1\ncycle = 400\n"
                       "[[cas.attendu]]\nmot = \"debut\"\nvaleur = 0x8E03\n");
    EXPECT_EQ(sansEtiquette.attentes[0].texte,
              "le SCI a envoyé « B<$0E> » à la fin (cycle 50 000), attendu « b »");
    EXPECT_EQ(sansEtiquette.attentes[1].texte, "PORTA vaut $00 au cycle 400, attendu $01 (bits $01)");
    EXPECT_TRUE(sansEtiquette.attentes[2].reussi) << sansEtiquette.attentes[2].texte;
}

TEST(CasLab, TheTraceHoldsTheLastFiftyInstructionsBeforeTheFirstMiss) {
    const ResultatCas r = lancer(" ORG $FE00\n LDAA #1\nici INCA\n BRA ici\n", kFinDe100000, true);
    ASSERT_EQ(r.trace.size(), InstructionsTrace);
    EXPECT_NE(r.trace.back().find("FE03  BRA"), std::string::npos) << r.trace.back();
    EXPECT_NE(r.trace[r.trace.size() - 2].find("FE02  INCA"), std::string::npos)
        << r.trace[r.trace.size() - 2];

    // The store outside the ranges is the last line, not the loop that ran on after it.
    const ResultatCas hors = lancer(" ORG $FE00\n LDAA #1\nici INCA\n STAA $0200\n BRA ici\n",
                                    "depart = 0xFE00\nlimite = 100_000\n[[cas]]\nnom = \"c\"\n"
                                    "[[cas.attendu]]\necritures = [[0x100, 0x1FF]]\n",
                                    true);
    ASSERT_EQ(hors.trace.size(), 3u);
    EXPECT_NE(hors.trace.back().find("FE03  STAA $0200"), std::string::npos) << hors.trace.back();
}

// With the LCD and the keypad fitted, the examples that use them meet their cases.
TEST(CasLab, TheLcdAndTheKeypadAreThereWhenTheCheckAsks) {
    const auto source = [](const char* nom) {
        QFile f(QStringLiteral(TESSALINE_EXAMPLES "/") + QLatin1String(nom));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll().toStdString();
    };
    const ResultatCas lcd =
        lancer(source("lcd.asm"), "afficheur = true\nlimite = 100_000\n[[cas]]\nnom = \"c\"\n"
                                  "[[cas.attendu]]\nlcd = [\"Tessaline 68HC11\", \"Afficheur 2x16\"]\n"
                                  "[[cas.attendu]]\ncycle = 20_000\nlcd = [\"Tessaline\"]\n");
    EXPECT_TRUE(lcd.attentes[0].reussi) << lcd.attentes[0].texte;
    EXPECT_EQ(lcd.attentes[1].texte, "l'afficheur montre «  » au cycle 20 000, attendu « Tessaline »");

    const ResultatCas clavier = lancer(
        source("clavier.asm"), "afficheur = true\nlimite = 200_000\n[[cas]]\nnom = \"c\"\n"
                               "[[cas.stimulus]]\ncycle = 10_000\ntouche = \"9\"\n"
                               "[[cas.stimulus]]\ncycle = 60_000\ntouche = \"aucune\"\n"
                               "[[cas.stimulus]]\ncycle = 100_000\ntouche = \"C\"\n"
                               "[[cas.attendu]]\ncycle = 90_000\nport = \"B\"\nvaleur = 0x90\nmasque = 0xF0\n"
                               "[[cas.attendu]]\nport = \"B\"\nvaleur = 0xC0\nmasque = 0xF0\n");
    EXPECT_TRUE(clavier.reussi) << clavier.premierEchec();
}
