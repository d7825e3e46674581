// The front panel's text commands against a running board (F1, code in RAM, vectors in
// its EEPROM): each command reaches the right pin, and a bad line changes nothing.
#include "board_test_support.h"
#include "sim/panel_commands.h"

namespace hc11::test {
namespace {

constexpr uint16_t kMain = 0x0040;
constexpr uint16_t kIrqHandler = 0x0060;
constexpr uint16_t kXirqHandler = 0x0070;
constexpr uint16_t kIrqCount = 0x0050;
constexpr uint16_t kXirqCount = 0x0051;

// Clears X and I, then spins; each handler counts its entries.
std::unique_ptr<Board> panelBoard() {
    auto b = makeBoard("68HC11F1");
    loadCode(*b, kMain, {0x86, 0x00, 0x06, 0x20, 0xFE});                 // LDAA #0; TAP; BRA *
    loadCode(*b, kIrqHandler, {0x7C, 0x00, uint8_t(kIrqCount), 0x3B});   // INC; RTI
    loadCode(*b, kXirqHandler, {0x7C, 0x00, uint8_t(kXirqCount), 0x3B}); // INC; RTI
    startProgram(*b, kMain, {{vec::Irq, kIrqHandler}, {vec::Xirq, kXirqHandler}});
    b->write(reg::OPTION, option::ADPU);
    runFor(*b, 100);
    return b;
}

TEST(PanelCommands, EachCommandDrivesItsPinAndBadLinesChangeNothing) {
    auto b = panelBoard();
    auto run = [&](std::string_view line) { return runPanelCommand(line, *b); };

    // IRQ and XIRQ: 1 holds the pin low, the handler runs until 0 releases it.
    EXPECT_EQ(run("irq 1"), "ok");
    runFor(*b, 300);
    EXPECT_EQ(run("irq 0"), "ok");
    const uint8_t irqs = b->peek(kIrqCount);
    EXPECT_GT(irqs, 0);
    EXPECT_EQ(b->peek(kXirqCount), 0);
    EXPECT_EQ(run("xirq 1"), "ok");
    runFor(*b, 300);
    EXPECT_EQ(run("xirq 0"), "ok");
    runFor(*b, 300);
    EXPECT_GT(b->peek(kXirqCount), 0);
    EXPECT_EQ(b->peek(kIrqCount), irqs);

    // Input pins, read back through the board and through "port".
    const uint8_t portA = b->portAPins();
    EXPECT_EQ(run("pin A 7 1"), "ok");
    EXPECT_EQ(b->portAPins(), portA | 0x80);
    EXPECT_EQ(run("pin C 5 1"), "ok");
    EXPECT_EQ(run("pin d 4 1"), "ok");
    EXPECT_EQ(run("pin E 0 1"), "ok");
    EXPECT_EQ(b->portPins(Port::C), 0x20);
    EXPECT_EQ(b->portPins(Port::D), 0x10);
    EXPECT_EQ(b->portPins(Port::E), 0x01);
    EXPECT_EQ(run("port C"), "port C 20");
    EXPECT_EQ(run("pin C 5 0"), "ok");
    EXPECT_EQ(run("port C"), "port C 00");
    b->write(reg::PORTB, 0x5A);
    EXPECT_EQ(run("leds"), "leds 5A");
    EXPECT_EQ(run("port B"), "port B 5A");

    // A/D: 2 V on channel 3 converts to 255 * 2 / 5 = 102.
    EXPECT_EQ(run("adc 3 2.0"), "ok");
    b->write(reg::ADCTL, 0x03);
    runFor(*b, 128);
    EXPECT_EQ(b->read(reg::ADR1), 102);

    // Bad lines: an error, and every pin and the converter's input as they were.
    for (std::string_view bad : {"pin A 8 1", "pin B 0 1", "pin D 6 1", "pin C 2 x", "pin C 2", "irq 2",
                                 "adc 8 1", "adc 3 5.5", "adc 3 1V", "leds now", "port F", "blink", ""}) {
        SCOPED_TRACE(bad);
        const uint8_t a = b->portAPins();
        EXPECT_EQ(run(bad).rfind("error: ", 0), 0u);
        EXPECT_EQ(b->portAPins(), a);
        EXPECT_EQ(b->portPins(Port::C), 0x00);
        EXPECT_EQ(b->portPins(Port::D), 0x10);
    }
    b->write(reg::ADCTL, 0x03);
    runFor(*b, 128);
    EXPECT_EQ(b->read(reg::ADR1), 102);

    // reset: bootstrap mode, through the caller's RESET when it gives one.
    EXPECT_EQ(run("reset"), "ok");
    EXPECT_EQ(b->phase(), Board::Phase::BootRom);
    int pressed = 0, single = 0;
    const auto press = [&](bool s) { ++pressed, single += s; };
    EXPECT_EQ(runPanelCommand("reset", *b, press), "ok");
    EXPECT_EQ(runPanelCommand("reset single", *b, press), "ok");
    EXPECT_EQ(pressed, 2);
    EXPECT_EQ(single, 1);
    // reset single: the program at the reset vector runs, here one in the EEPROM.
    ASSERT_TRUE(b->poke(0xFFFE, 0xFE) && b->poke(0xFFFF, 0x20));
    EXPECT_EQ(run("reset single"), "ok");
    EXPECT_EQ(b->phase(), Board::Phase::Running);
    EXPECT_EQ(b->cpu().r.pc, 0xFE20);
    EXPECT_EQ(run("reset twice").rfind("error: ", 0), 0u);
}

} // namespace
} // namespace hc11::test
