// The check file reader: what a teacher's mistakes give.
#include "lab/lab_check_reader.h"

#include <gtest/gtest.h>

using namespace tessaline::lab;

namespace {

// A one-case lab around `cas`, the case's own lines (from line 3 of the file).
std::string lab(const std::string& cas) {
    return "limite = 1000\n[[cas]]\nnom = \"un\"\n" + cas;
}

const std::string kAttente = "[[cas.attendu]]\nport = \"B\"\nvaleur = 1\n";

} // namespace

TEST(LectureVerification, ReadsEveryKindOfStimulusAndExpectation) {
    const LectureVerification l = lireVerification(
        "titre = \"t\"\npuce = \"68HC11E1\"\nquartz = 4\ndepart = \"$B600\"\nlimite = 5e3\n"
        "[[cas]]\nnom = \"a\"\ndepart = \"debut\"\n"
        "[[cas.stimulus]]\ncycle = 10\nbroche = \"PA0\"\nniveau = 1\n"
        "[[cas.stimulus]]\nadresse = \"boucle\"\nirq = \"appui\"\nduree = 50\n"
        "[[cas.stimulus]]\ncycle = 20\ncanal = 3\ntension = 2.5\n"
        "[[cas.stimulus]]\ncycle = 30\nsci = \"ab\\r\"\n"
        "[[cas.attendu]]\nmot = 0x0100\nvaleur = \"$1234\"\nmasque = \"$FF00\"\npoints = 3\ncycle = 400\n"
        "[[cas.attendu]]\natteint = \"fin\"\navant = 4000\n"
        "[[cas.attendu]]\necritures = [[0x100, \"$1FF\"]]\n"
        "[[cas.attendu]]\nregistre = \"sp\"\nvaleur = 0x1FF\nmessage = \"la pile\"\n"
        "[[cas.attendu]]\nsci_contient = \"ok\"\n"
        "[[cas.attendu]]\ncop = \"servi\"\n");
    ASSERT_TRUE(l.verification) << l.ligne << ": " << l.erreur;
    const VerificationLab& v = *l.verification;
    EXPECT_EQ(v.puce, "68HC11E1");
    EXPECT_EQ(v.quartzMHz, 4u);
    ASSERT_EQ(v.cas.size(), 1u);
    const CasLab& c = v.cas[0];
    EXPECT_EQ(c.depart.adresse->etiquette, "debut");
    EXPECT_EQ(c.limite, 5000u);
    ASSERT_EQ(c.stimuli.size(), 4u);
    EXPECT_EQ(c.stimuli[1].quand.adresse->etiquette, "boucle");
    EXPECT_EQ(std::get<LigneInterruption>(c.stimuli[1].action).duree, 50u);
    EXPECT_DOUBLE_EQ(std::get<TensionAnalogique>(c.stimuli[2].action).volts, 2.5);
    EXPECT_EQ(std::get<OctetsSci>(c.stimuli[3].action).texte, "ab\r");
    const auto& mot = std::get<ValeurMemoire>(c.attentes[0].quoi);
    EXPECT_TRUE(mot.mot);
    EXPECT_EQ(mot.valeur, 0x1234);
    EXPECT_EQ(mot.masque, 0xFF00);
    EXPECT_EQ(c.pointsMax(), 8);
    EXPECT_EQ(std::get<EcrituresPermises>(c.attentes[2].quoi).zones[0],
              std::make_pair(uint16_t(0x100), uint16_t(0x1FF)));
    EXPECT_TRUE(c.copEnMarche());
}

// Each fault is refused with the line it stands on and words that name it.
TEST(LectureVerification, RefusesFaultsNamingTheirLine) {
    struct Cas {
        std::string texte;
        int ligne;
        std::string mots;
    };
    const Cas cas[] = {
        {lab("[[cas.attendu]\nport = \"B\"\n"), 4, "erreur de syntaxe TOML"},
        {lab(kAttente + "couleur = \"rouge\"\n"), 7, "clé inconnue « couleur »"},
        {"limite = 1000\npuces = \"F1\"\n[[cas]]\nnom = \"a\"\n" + kAttente, 2, "clé inconnue « puces »"},
        {lab("[[cas.stimulus]]\ncycle = 1000\nirq = \"appui\"\n" + kAttente), 5,
         "au-delà de la limite du cas (1000 cycles)"},
        {lab("[[cas.stimulus]]\ncycle = 5\nbroche = \"PB2\"\nniveau = 1\n" + kAttente), 6,
         "le port B n'a que des sorties"},
        {lab("[[cas.stimulus]]\ncycle = 5\nirq = \"appui\"\nsci = \"x\"\n" + kAttente), 7,
         "irq et sci ensemble"},
        {lab("[[cas.attendu]]\nport = \"B\"\nvaleur = 256\n"), 6, "valeur vaut 256 : attendu de 0 à 255"},
        {lab("[[cas.attendu]]\nport = \"B\"\nvaleur = 1.5\n"), 6, "valeur doit être un nombre entier"},
        {lab("[[cas.attendu]]\ncycle = 1001\nport = \"B\"\nvaleur = 1\n"), 5, "attente au cycle 1001"},
        {lab("[[cas.attendu]]\ncop = \"servi\"\ncycle = 10\n"), 6, "cop vaut pour tout le cas"},
        {lab("[[cas.attendu]]\nmemoire = \"$1x\"\nvaleur = 1\n"), 5,
         "« $1x » n'est ni une adresse ni une étiquette"},
        {lab("[[cas.attendu]]\nregistre = \"Z\"\nvaleur = 1\n"), 5, "registre « Z »"},
        {"puce = \"68HC11F1\"\n[[cas]]\nnom = \"a\"\n" + kAttente, 2, "n'a pas de limite"},
        {"limite = 10\n", 0, "aucun cas"},
        {lab("[[cas.stimulus]]\ncycle = 5\ntouche = \"5\"\n" + kAttente), 6, "afficheur = true en tête"},
        {"puce = \"68HC11E1\"\nlimite = 10\n[[cas]]\nnom = \"a\"\n" + kAttente, 3,
         "le 68HC11E1 n'a pas son vecteur de RESET ($FFFE) en EEPROM"},
        {lab(""), 2, "n'attend rien"},
    };
    for (const Cas& c : cas) {
        const LectureVerification l = lireVerification(c.texte);
        EXPECT_FALSE(l.verification) << c.texte;
        EXPECT_EQ(l.ligne, c.ligne) << c.texte << "\n" << l.erreur;
        EXPECT_NE(l.erreur.find(c.mots), std::string::npos) << l.erreur;
    }
}
