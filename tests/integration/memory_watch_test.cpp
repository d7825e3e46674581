// The live watch on the simulated board, through the Talker, while the
// example LED chaser (examples/chenillard.asm) runs from $FE00: its pattern
// byte MOTIF ($0100) moves one place every 200 ms, driven by the OC2
// interrupt, while the Talker serves the reads from its SCI interrupt.
#include "link/tempo.h"
#include "operations/breakpoints.h"
#include "operations/memory_watch.h"
#include "sim_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <utility>

using namespace tessaline;
using namespace tessaline::test;

namespace {

constexpr uint16_t Motif = 0x0100;
constexpr uint16_t Sens = 0x0101;

class Surveillance : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(s.demarrerAvecExemple("chenillard.s19")); }

    void lancer(const char* adresse) {
        s.session.console.CmdAdresse = QLatin1String(adresse);
        tessaline::Run(s.session);
        ASSERT_TRUE(s.session.liaison.cibleTourne);
    }
    EntreeSurveillee entree(const char* texte, const TableSymboles& symboles = {}) {
        RefusEntree refus = RefusEntree::Aucun;
        return lireEntreeSurveillee(QLatin1String(texte), symboles, refus).value_or(EntreeSurveillee{});
    }

    SimSession s{"68HC11F1", 8};
};

} // namespace

// Refreshed every 250 ms for three seconds, the pattern is always one lit LED
// and takes at least six places; a word read over MOTIF and SENS is the two
// bytes high first; the program keeps running and nothing below it changed
// but what it writes itself.
TEST_F(Surveillance, ChaserPatternChangesWhileTheProgramRuns) {
    ASSERT_NO_FATAL_FAILURE(lancer("FE00"));
    TableSymboles symboles;
    symboles.ajouter(QStringLiteral("MOTIF"), Motif);
    const QVector<EntreeSurveillee> entrees = {entree("MOTIF", symboles), entree("101"),
                                               entree("MOTIF:w", symboles)};
    ASSERT_EQ(entrees[0].adresse, Motif);
    ASSERT_EQ(entrees[1].adresse, Sens);
    ASSERT_TRUE(entrees[2].mot);
    QVector<int> vus;
    for (int i = 0; i < 12; ++i) {
        Tempo(s.horloge, 0.25f);
        const Releve r = releverMemoire(s.session, entrees);
        ASSERT_EQ(r.fin, FinReleve::Lu) << s.ecran.messageTexts().join(u'\n').toStdString();
        const int motif = r.valeurs[0];
        EXPECT_EQ(std::popcount(unsigned(motif)), 1) << motif;
        EXPECT_EQ(r.valeurs[1], 0) << "moving up";
        EXPECT_EQ(r.valeurs[2], motif << 8 | r.valeurs[1]);
        if (!vus.contains(motif)) vus << motif;
    }
    EXPECT_GE(vus.size(), 6);
    EXPECT_TRUE(s.session.liaison.cibleTourne);
    EXPECT_TRUE(s.ecran.messages.isEmpty()) << s.ecran.messageTexts().join(u'\n').toStdString();
    EXPECT_EQ(valeurHexa(entrees[2], 0x0800), "0800");
}

// A program that runs with the I bit set never lets the Talker in: the first
// refresh says so at once (the probe's bound, far under the 2-s answer wait),
// stops, and leaves the link as it is (the program runs, memory untouched).
TEST_F(Surveillance, ProgramWithInterruptsMaskedEndsTheWatchAtOnce) {
    // FE40 SEI, BRA *
    ASSERT_TRUE(s.board.loadBinary(0xFE40, std::array<uint8_t, 3>{0x0F, 0x20, 0xFE}));
    ASSERT_NO_FATAL_FAILURE(lancer("FE40"));
    Tempo(s.horloge, 0.1f);
    const Memoire avant = instantane(s.board);
    const double debut = s.horloge.boardSeconds();
    const Releve r = releverMemoire(s.session, {entree("0100")});
    const double duree = s.horloge.boardSeconds() - debut;
    EXPECT_EQ(r.fin, FinReleve::Masque);
    EXPECT_LT(duree, 0.25) << "under the probe's bound, not the answer wait";
    ASSERT_EQ(s.ecran.messageTexts().size(), 1);
    EXPECT_EQ(s.ecran.messageTexts()[0], texteSurveillanceImpossible());
    EXPECT_TRUE(s.ecran.messageTexts()[0].contains("CLI"));
    EXPECT_EQ(s.ecran.panel("Cible"), "Cible Tourne");
    const Memoire apres = instantane(s.board);
    // The F1's RAM and EEPROM (the registers' counters move on).
    for (auto [a, n] : {std::pair{0x0000, 0x400}, std::pair{0xFE00, 0x200}})
        EXPECT_TRUE(std::equal(avant.begin() + a, avant.begin() + a + n, apres.begin() + a))
            << "nothing written from " << std::hex << a;
}

// Nothing goes out while another exchange waits on the line, and the
// entries are refused for what they do not name.
TEST_F(Surveillance, NoReadInsideAnotherExchangeAndEntriesRefused) {
    ASSERT_NO_FATAL_FAILURE(lancer("FE00"));
    Releve dedans;
    dedans.fin = FinReleve::Lu;
    // A read asked for from inside a wait (a window event during a dump).
    s.horloge.after(0.01, [&] { dedans = releverMemoire(s.session, {entree("0100")}); });
    Tempo(s.horloge, 0.05f);
    EXPECT_EQ(dedans.fin, FinReleve::Rien);

    RefusEntree refus = RefusEntree::Aucun;
    EXPECT_FALSE(lireEntreeSurveillee(QStringLiteral("MOTIF"), {}, refus));
    EXPECT_EQ(refus, RefusEntree::SansSymboles);
    TableSymboles symboles;
    symboles.ajouter(QStringLiteral("MOTIF"), Motif);
    EXPECT_FALSE(lireEntreeSurveillee(QStringLiteral("TICS"), symboles, refus));
    EXPECT_EQ(refus, RefusEntree::SymboleInconnu);
    EXPECT_FALSE(lireEntreeSurveillee(QStringLiteral("FFFF:w"), symboles, refus));
    EXPECT_EQ(refus, RefusEntree::MotAuBout);
    EXPECT_FALSE(lireEntreeSurveillee(QStringLiteral("0100:x"), symboles, refus));
    EXPECT_EQ(refus, RefusEntree::Forme);
}
