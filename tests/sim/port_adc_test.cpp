// Ports B to E and the A/D converter on the board (M68HC11 RM sections 7 and 12). The
// CPU is parked in WAI, so time moves exactly to the cycles the tests look at.
#include "board_test_support.h"

namespace hc11::test {
namespace {

TEST(Ports, ReadingGivesInputPinsAndOutputLatchesByDirection) {
    struct Case {
        std::string_view chip;
        uint16_t portC;
    };
    for (const Case c : {Case{"68HC11E1", reg::PORTC}, Case{"68HC11F1", reg::PORTC_F1}}) {
        SCOPED_TRACE(c.chip);
        auto b = makeBoard(c.chip);
        park(*b);
        for (int pin = 0; pin < 8; ++pin)
            b->setPortInput(Port::C, pin, (0x3C >> pin) & 1);
        b->write(c.portC, 0xA5);
        EXPECT_EQ(b->read(c.portC), 0x3C) << "every pin an input after reset";
        b->write(reg::DDRC, 0xF0);
        EXPECT_EQ(b->read(c.portC), 0xAC) << "high nibble drives the latch, low nibble reads the pins";
        EXPECT_EQ(b->portPins(Port::C), 0xAC);
        b->setPortInput(Port::C, 7, false); // an output pin ignores the outside level
        b->setPortInput(Port::C, 0, true);
        EXPECT_EQ(b->read(c.portC), 0xAD);

        // Port D: six pins with their own DDR; port B output only; port E input only.
        b->setPortInput(Port::D, 2, true);
        b->write(reg::PORTD, 0xFF);
        b->write(reg::DDRD, 0x38);
        EXPECT_EQ(b->read(reg::PORTD), 0x3C);
        b->write(reg::PORTB, 0x5A);
        EXPECT_EQ(b->read(reg::PORTB), 0x5A);
        b->setPortInput(Port::E, 6, true);
        b->write(reg::PORTE, 0x01);
        EXPECT_EQ(b->read(reg::PORTE), 0x40);

        b->resetSingleChip(kParkAddress); // reset makes the pins inputs again
        EXPECT_EQ(b->read(reg::DDRC), 0);
        EXPECT_EQ(b->read(c.portC), 0x3D);
    }
    // PIOC on the E1: plain I/O after reset, STAF read only; on the F1 $1002 is port G.
    auto e1 = makeBoard("68HC11E1");
    park(*e1);
    EXPECT_EQ(e1->read(reg::PIOC), 0x03);
    e1->write(reg::PIOC, 0xFF);
    EXPECT_EQ(e1->read(reg::PIOC), 0x7F);
    // On the F1 $1003 is not port C.
    auto f1 = makeBoard("68HC11F1");
    park(*f1);
    f1->setPortInput(Port::C, 0, true);
    f1->write(reg::PORTC, 0x80);
    EXPECT_EQ(f1->read(reg::PORTC), 0x80);
}

// Port A's directions per chip: fixed PA3-PA6 outputs on the A series, PA3 by DDRA3 on
// the E series, every pin by DDRA on the F1; a compare's pin action drives its pin
// whatever the direction bit says.
TEST(Ports, PortADirectionsFollowEachChip) {
    auto a1 = makeBoard("68HC11A1");
    park(*a1);
    a1->setPortAInput(3, true);
    a1->write(reg::PORTA, 0x70);
    EXPECT_EQ(a1->portAPins(), 0x70) << "PA3 is an output: the outside level is ignored";

    auto e1 = makeBoard("68HC11E1");
    park(*e1);
    e1->setPortAInput(3, true);
    e1->write(reg::PORTA, 0x00);
    EXPECT_EQ(e1->portAPins(), 0x08) << "PA3 an input after reset";
    e1->write(reg::PACTL, pactl::DDRA3);
    EXPECT_EQ(e1->portAPins(), 0x00) << "PA3 an output driving its latch";
    e1->write(reg::PACTL, 0);
    e1->write(reg::TCTL1, 0x03); // OC5 sets PA3: it owns the pin
    e1->write(reg::CFORC, 0x08);
    e1->setPortAInput(3, false);
    EXPECT_EQ(e1->portAOutputs() & 0x08, 0x08);
    EXPECT_EQ(e1->portAPins() & 0x08, 0x08);

    auto f1 = makeBoard("68HC11F1");
    park(*f1);
    f1->setPortAInput(0, true);
    f1->setPortAInput(5, true);
    f1->write(reg::PORTA, 0x42);
    EXPECT_EQ(f1->read(reg::PORTA), 0x21) << "every pin an input after reset";
    f1->write(reg::DDRA, 0x0F);
    EXPECT_EQ(f1->read(reg::DDRA), 0x0F);
    EXPECT_EQ(f1->read(reg::PORTA), 0x22) << "PA0-PA3 drive the latch, PA4-PA7 read the pins";
}

// A/D inputs and port E are the same pins: a voltage reads as a logic level beyond
// VIH/VIL, and a switch on a pin drives its input to VRH or VRL.
TEST(Ports, PortEReadsTheVoltageOnItsPins) {
    auto b = makeBoard("68HC11E1");
    park(*b);
    b->setAnalogInput(2, 4.0);
    b->setAnalogInput(5, 0.5);
    EXPECT_EQ(b->read(reg::PORTE), 0x04);
    b->setAnalogInput(2, 2.0); // between VIL and VIH: the level stays
    EXPECT_EQ(b->read(reg::PORTE), 0x04);
    b->setAnalogInput(2, 0.9);
    EXPECT_EQ(b->read(reg::PORTE), 0x00);
    b->setPortInput(Port::E, 1, true);
    b->write(reg::OPTION, option::ADPU);
    b->write(reg::ADCTL, 0x01);
    runFor(*b, 128);
    EXPECT_EQ(b->read(reg::ADR1), 0xFF);
}

// A board with the converter powered, ready to start a conversion.
std::unique_ptr<Board> adcBoard() {
    auto b = makeBoard("68HC11E1");
    park(*b);
    b->write(reg::OPTION, option::ADPU);
    return b;
}

TEST(AdConverter, SingleChannelFillsTheFourResultsAtThirtyTwoCyclesEach) {
    auto b = adcBoard();
    b->setAnalogInput(3, 2.0); // 255 * 2 / 5 = 102
    b->setAnalogInput(2, 4.0);
    const uint64_t c0 = b->cycleCount();
    b->write(reg::ADCTL, 0x03);
    b->runUntil(c0 + 31);
    EXPECT_EQ(b->read(reg::ADR1), 0);
    b->runUntil(c0 + 32);
    EXPECT_EQ(b->read(reg::ADR1), 102);
    EXPECT_EQ(b->read(reg::ADR2), 0);
    b->runUntil(c0 + 127);
    EXPECT_EQ(b->read(reg::ADCTL), 0x03) << "CCF comes with the fourth result";
    EXPECT_EQ(b->read(reg::ADR4), 0);
    b->runUntil(c0 + 128);
    EXPECT_EQ(b->read(reg::ADCTL), adctl::CCF | 0x03);
    for (uint16_t a = reg::ADR1; a <= reg::ADR4; ++a)
        EXPECT_EQ(b->read(a), 102);

    // Not scanning: a later change on the pin leaves the results alone; a new ADCTL
    // write clears CCF and starts over.
    b->setAnalogInput(3, 5.0);
    runFor(*b, 1000);
    EXPECT_EQ(b->read(reg::ADR1), 102);
    b->write(reg::ADCTL, 0x03);
    EXPECT_EQ(b->read(reg::ADCTL) & adctl::CCF, 0);
    runFor(*b, 128);
    EXPECT_EQ(b->read(reg::ADR4), 0xFF);
}

TEST(AdConverter, MultipleChannelScanAndPowerDown) {
    auto b = adcBoard();
    const double volts[] = {0.0, 1.0, 3.3, 5.0}; // 0, 51, round(168.3), 255
    for (int i = 0; i < 4; ++i)
        b->setAnalogInput(4 + i, volts[i]);
    b->write(reg::ADCTL, adctl::SCAN | adctl::MULT | 0x05); // group PE4-PE7, CB:CA ignored
    runFor(*b, 128);
    EXPECT_EQ(b->read(reg::ADR1), 0);
    EXPECT_EQ(b->read(reg::ADR2), 51);
    EXPECT_EQ(b->read(reg::ADR3), 168);
    EXPECT_EQ(b->read(reg::ADR4), 255);
    // Scanning: the next conversion of PE4 picks up its new level.
    b->setAnalogInput(4, 2.5);
    runFor(*b, 32);
    EXPECT_EQ(b->read(reg::ADR1), 128);
    EXPECT_EQ(b->read(reg::ADCTL) & adctl::CCF, adctl::CCF);

    // The internal references: VRH, VRL and VRH/2 on channels 12-14.
    b->write(reg::ADCTL, adctl::MULT | 0x0C);
    runFor(*b, 128);
    EXPECT_EQ(b->read(reg::ADR1), 0xFF);
    EXPECT_EQ(b->read(reg::ADR2), 0x00);
    EXPECT_EQ(b->read(reg::ADR3), 128);

    // ADPU clear: no conversion happens and CCF never sets.
    b->write(reg::OPTION, 0);
    b->write(reg::ADCTL, 0x04);
    runFor(*b, 1000);
    EXPECT_EQ(b->read(reg::ADCTL) & adctl::CCF, 0);
    EXPECT_EQ(b->read(reg::ADR1), 0xFF);
}

} // namespace
} // namespace hc11::test
