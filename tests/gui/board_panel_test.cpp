// The simulated board's front panel on a real board behind its control: small
// programs in the F1's RAM light the LEDs, read the switches and the A/D
// knobs, and take the IRQ and XIRQ buttons' interrupts.
#include "realtime_board.h"
#include "sim/chip.h"
#include "sim/eeprom_image.h"
#include "sim/registers.h"
#include "sim_board_control.h"
#include "ui/board_panel.h"
#include "ui/board_widgets.h"

#include <QAbstractButton>
#include <QDial>
#include <QLabel>
#include <QLocale>
#include <QTest>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>

using namespace tessaline;
using namespace std::chrono_literals;

namespace {

// Port C's pins to port B, for ever.
constexpr uint16_t Recopie = 0x0100;
const std::initializer_list<uint8_t> RecopieCode = {
    0xB6, 0x10, 0x06, // LDAA PORTC ($1006 on the F1)
    0xB7, 0x10, 0x04, // STAA PORTB
    0x20, 0xF8,       // BRA Recopie
};
// One conversion of AN3 (ADCTL = $03, RM 12.4) to port B.
constexpr uint16_t Conversion = 0x0120;
const std::initializer_list<uint8_t> ConversionCode = {
    0x86, 0x80, 0xB7, 0x10, 0x39, // OPTION = ADPU
    0x86, 0x03, 0xB7, 0x10, 0x30, // ADCTL: AN3, four conversions
    0xB6, 0x10, 0x30, 0x2A, 0xFB, // wait for CCF
    0xB6, 0x10, 0x31,             // LDAA ADR1
    0xB7, 0x10, 0x04, 0x20, 0xFE, // STAA PORTB, BRA *
};
// X and I cleared, then a wait; IRQ adds one to port B, XIRQ takes one away.
constexpr uint16_t Attente = 0x0140;
const std::initializer_list<uint8_t> AttenteCode = {0x86, 0x00, 0x06, 0x20, 0xFE};
constexpr uint16_t Irq = 0x0150, Xirq = 0x0158;

struct Banc {
    Banc() {
        charger(Recopie, RecopieCode);
        charger(Conversion, ConversionCode);
        charger(Attente, AttenteCode);
        charger(Irq, {0x7C, 0x10, 0x04, 0x3B});  // INC PORTB, RTI
        charger(Xirq, {0x7A, 0x10, 0x04, 0x3B}); // DEC PORTB, RTI
        // The normal mode's vectors, in the F1's EEPROM ($FE00-$FFFF).
        for (const auto& [vecteur, adresse] : {std::pair{0xFFF2, Irq}, {0xFFF4, Xirq}, {0xFFFE, Attente}}) {
            carte.board().poke(uint16_t(vecteur), uint8_t(adresse >> 8));
            carte.board().poke(uint16_t(vecteur + 1), uint8_t(adresse));
        }
        panneau.show();
    }
    void charger(uint16_t adresse, std::initializer_list<uint8_t> octets) {
        for (const uint8_t o : octets)
            carte.board().poke(adresse++, o);
    }
    // Runs the board, and tells the panel as the real-time pacer does.
    void tourner(uint64_t cycles = 2000) {
        carte.board().runUntil(carte.board().cycleCount() + cycles);
        carte.signalerActivite();
    }
    uint8_t portB() { return carte.board().portPins(hc11::Port::B); }
    template <class T = QAbstractButton>
    T* controle(const QString& nom) {
        T* c = panneau.findChild<T*>(nom);
        EXPECT_NE(c, nullptr) << nom.toStdString();
        return c;
    }
    // The LEDs of port B once the panel's timer has read the pins.
    uint8_t ledsB() {
        const uint8_t attendu = portB();
        auto lu = [this] {
            uint8_t v = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (controle<LedCarte>(QStringLiteral("ledPB%1").arg(bit))->allume()) v |= uint8_t(1u << bit);
            return v;
        };
        return QTest::qWaitFor([&] { return lu() == attendu; }, 500) ? attendu : lu();
    }

    SimBoardControl carte{*hc11::findChip("68HC11F1"), 8'000'000};
    BoardPanel panneau{carte};
};

} // namespace

TEST(BoardPanel, SwitchesKnobsAndButtonsDriveTheProgramAndTheLedsShowPortB) {
    Banc b;
    int resets = 0;
    b.carte.setEcouteur(
        [&](BoardControl::Evenement e) { resets += e != BoardControl::Evenement::Reconstruite; });

    // PC3's switch, read by the program and shown on PB3's LED.
    b.carte.board().resetSingleChip(Recopie);
    b.controle(QStringLiteral("swPC3"))->click();
    b.tourner();
    EXPECT_EQ(b.carte.board().portPins(hc11::Port::C), 0x08);
    EXPECT_EQ(b.portB(), 0x08);
    EXPECT_EQ(b.ledsB(), 0x08);
    EXPECT_TRUE(b.controle(QStringLiteral("swPC3"))->isEnabled());
    // The program makes PC3 an output driving low: the switch no longer counts.
    b.carte.board().write(hc11::reg::DDRC, 0x08);
    b.tourner();
    EXPECT_EQ(b.ledsB(), 0x00);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !b.controle(QStringLiteral("swPC3"))->isEnabled(); }, 500));
    // On the F1 every port A pin has a direction bit: PA0 made an output shows its LED.
    EXPECT_TRUE(b.controle(QStringLiteral("swPA0"))->isVisible());
    b.carte.board().write(hc11::reg::DDRA, 0x01);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return b.controle<LedCarte>(QStringLiteral("ledPA0"))->isVisible(); }, 500));
    EXPECT_FALSE(b.controle(QStringLiteral("swPA0"))->isVisible());

    // 2,50 V on AN3: half of VRH, $80 (round(255 / 2)).
    b.controle<QDial>(QStringLiteral("potAN3"))->setValue(250);
    b.carte.board().resetSingleChip(Conversion);
    b.tourner();
    EXPECT_EQ(b.portB(), 0x80);
    EXPECT_EQ(b.ledsB(), 0x80) << "PB7's LED";

    // Monopuce: RESET starts the program at the reset vector; Bootstrap: the boot loader.
    b.controle(QStringLiteral("optMonopuce"))->click();
    b.controle(QStringLiteral("cmdRESET"))->click();
    b.tourner();
    EXPECT_EQ(b.carte.board().phase(), hc11::Board::Phase::Running);
    EXPECT_EQ(b.carte.board().cpu().r.pc, Attente + 3);
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(b.carte.board().portPins(hc11::Port::C) & 0x08, 0x08)
        << "the switch still holds PC3 after RESET";

    // IRQ is level-sensitive: held down, the handler runs again after each RTI;
    // let go, port B stays where it got.
    auto appuyer = [&](const char* nom, uint8_t (Banc::*lire)()) {
        auto* bouton = b.controle(QLatin1String(nom));
        const uint8_t avant = (b.*lire)();
        QTest::mousePress(bouton, Qt::LeftButton);
        b.tourner();
        const uint8_t pendant = (b.*lire)();
        QTest::mouseRelease(bouton, Qt::LeftButton);
        b.tourner();
        const uint8_t apres = (b.*lire)();
        b.tourner();
        EXPECT_NE(pendant, avant) << nom << " taken while held";
        EXPECT_EQ((b.*lire)(), apres) << nom << " let go";
        return int(apres) - int(avant);
    };
    EXPECT_GT(int8_t(appuyer("cmdIRQ", &Banc::portB)), 0) << "IRQ counts up";
    EXPECT_LT(int8_t(appuyer("cmdXIRQ", &Banc::portB)), 0) << "XIRQ counts down";

    b.controle(QStringLiteral("optBootstrap"))->click();
    b.controle(QStringLiteral("cmdRESET"))->click();
    EXPECT_EQ(b.carte.board().phase(), hc11::Board::Phase::BootRom);
    EXPECT_EQ(resets, 2);
}

TEST(BoardPanel, AnotherCrystalKeepsWhatTheSwitchesAndKnobsHold) {
    Banc b;
    b.controle(QStringLiteral("swPC3"))->click();
    b.controle(QStringLiteral("swPA1"))->click();
    b.controle<QDial>(QStringLiteral("potAN3"))->setValue(250);
    QTest::mousePress(b.controle(QStringLiteral("cmdIRQ")), Qt::LeftButton);
    b.carte.suivreOptions(QStringLiteral("68HC11F1"), 16e6);
    ASSERT_EQ(b.carte.generation(), 1);
    EXPECT_TRUE(b.controle(QStringLiteral("swPC3"))->isChecked());
    EXPECT_EQ(b.carte.board().portPins(hc11::Port::C), 0x08);
    EXPECT_EQ(b.carte.board().portAPins() & 0x07, 0x02);
    // The new board's RAM is empty; its EEPROM kept the vectors.
    b.charger(Conversion, ConversionCode);
    b.carte.board().resetSingleChip(Conversion);
    b.tourner();
    EXPECT_EQ(b.portB(), 0x80);
    // IRQ still held: the interrupt program counts at once.
    b.charger(Attente, AttenteCode);
    b.charger(Irq, {0x7C, 0x10, 0x04, 0x3B});
    b.carte.board().resetSingleChip(Attente);
    b.tourner();
    EXPECT_NE(b.portB(), 0x00);
    QTest::mouseRelease(b.controle(QStringLiteral("cmdIRQ")), Qt::LeftButton);
}

// The LCD and keypad examples run standalone from the F1's EEPROM: the panel shows
// the LCD's two rows and its keys reach the program, which shows the key on PB4-PB7.
// The stopwatch counts the program's E cycles from a click on Zéro, with their time
// at the 8 MHz crystal's 2 MHz E clock.
TEST(BoardPanel, StopwatchCountsTheProgramsCyclesFromZero) {
    Banc b;
    b.carte.resetMonopuce(); // LDAA #0, TAP, BRA *
    b.tourner(10'000);
    b.controle(QStringLiteral("cmdCyclesZero"))->click();
    const uint64_t zero = b.carte.board().programCycles();
    b.tourner(4'000);
    // BRA * ends past the slice by a turn at most.
    const uint64_t n = b.carte.board().programCycles() - zero;
    ASSERT_GE(n, 4000u);
    ASSERT_LT(n, 4003u);
    const QLocale fr(QLocale::French);
    const QString attendu = QStringLiteral("Chronom\u00e8tre : %1 E  \u2014  %2 \u00b5s")
                                .arg(fr.toString(qulonglong(n)), fr.toString(double(n) / 2.0, 'f', 1));
    auto* cycles = b.controle<QLabel>(QStringLiteral("lblCycles"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return cycles->text() == attendu; }, 500))
        << cycles->text().toStdString();
}

TEST(BoardPanel, ShowsTheLcdAndItsKeysReachTheProgram) {
    Banc b;
    const auto lancer = [&](const char* exemple) {
        std::string erreur;
        ASSERT_EQ(
            hc11::loadEepromImage(b.carte.board(), std::string(TESSALINE_EXAMPLES "/") + exemple, erreur),
            hc11::EepromImageLoad::Loaded)
            << erreur;
        b.carte.resetMonopuce();
    };
    lancer("lcd.s19");
    b.tourner(40'000); // 20 ms: the LCD's power-on delay and 35 writes
    auto* ecran = b.controle<QLabel>(QStringLiteral("lblAfficheur"));
    const auto texte = [&] { return QTextDocumentFragment::fromHtml(ecran->text()).toPlainText(); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return texte().startsWith(QStringLiteral("Tessaline 68HC11")); }, 500))
        << texte().toStdString();
    EXPECT_TRUE(texte().contains(QStringLiteral("Afficheur 2x16"))) << texte().toStdString();
    EXPECT_FALSE(b.controle<QDial>(QStringLiteral("potAN5"))->isEnabled()) << "PE5 is a keypad column";

    lancer("clavier.s19");
    b.tourner();
    auto* touche = b.controle(QStringLiteral("cmdToucheB"));
    QTest::mousePress(touche, Qt::LeftButton);
    b.tourner();
    QTest::mouseRelease(touche, Qt::LeftButton);
    b.tourner();
    EXPECT_EQ(b.ledsB() >> 4, 0xB) << "key B (row 2, column 3) on PB4-PB7";
}

// The board run in real time on a clock of the test's: busy, it is run every
// millisecond and the panel follows it; at rest (BRA * with nothing to wake
// it) nothing runs it and the panel stops looking; the IRQ button brings it up
// to the present, as far as running it all along would have, and wakes it.
TEST(BoardPanel, RealTimeBoardSleepsAtRestAndTheIrqButtonWakesIt) {
    Banc b;
    std::chrono::nanoseconds maintenant{0};
    const uint64_t depart = b.carte.board().cycleCount();
    RealTimeBoard tempsReel(b.carte, [&] { return maintenant; });
    constexpr uint64_t CyclesParMs = 2'000;   // E = 2 MHz with the 8 MHz crystal
    b.carte.board().resetSingleChip(Recopie); // writes port B at every turn
    maintenant += 5ms;
    tempsReel.avancer();
    EXPECT_EQ(tempsReel.prochainReveil(), 1ms);
    EXPECT_TRUE(b.panneau.suitLaCarte());

    b.carte.board().resetSingleChip(Attente);
    maintenant += 5ms;
    tempsReel.avancer();
    EXPECT_EQ(tempsReel.prochainReveil(), std::nullopt) << "no event to come";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !b.panneau.suitLaCarte(); }, 500));

    maintenant += 10s;
    QTest::mousePress(b.controle(QStringLiteral("cmdIRQ")), Qt::LeftButton);
    const uint64_t attendu = depart + 10'010 * CyclesParMs;
    EXPECT_GE(b.carte.board().cycleCount(), attendu);
    EXPECT_LT(b.carte.board().cycleCount(), attendu + 8) << "within the BRA's turn";
    EXPECT_EQ(tempsReel.prochainReveil(), 1ms);
    EXPECT_TRUE(b.panneau.suitLaCarte());
    maintenant += 1ms;
    tempsReel.avancer();
    EXPECT_NE(b.portB(), 0x00) << "the IRQ handler ran";
    QTest::mouseRelease(b.controle(QStringLiteral("cmdIRQ")), Qt::LeftButton);
}
