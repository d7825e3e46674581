// Rate mismatch on the line: characters are decoded by sampling the sender's bit stream
// at the receiver's bit centres; beyond 4 % the SCI also reports a framing error.
#include "board_test_support.h"

#include "sim/line_sampling.h"

namespace hc11::test {
namespace {

constexpr double kE = 2'000'000; // E at an 8 MHz crystal

// The rows within 4 % (intact) are the board test's below.
TEST(LineSampling, ReceiverSeesTheSampledBits) {
    struct Row {
        uint8_t sent;
        double senderBaud;
        double receiverBaud;
        uint8_t expected;
        bool framingError;
    };
    for (Row row : {
             // AN1060: $FF at 1200 baud into the boot ROM's 7812 baud reads $C0 or $E0.
             Row{0xFF, 1200, 7812.5, 0xC0, false},
             // $00 sent slowly: every sample is low, the stop bit too.
             Row{0x00, 1200, 7812.5, 0x00, true},
             // A slower receiver runs past the sender's frame into the idle line.
             Row{0x00, 9600, 7812.5, 0xC0, false},
             // Two thirds of the rate: receiver bits fall on sender bits 1, 2, 4, 5, 7, stop.
             Row{0x0F, 9600, 6400, 0xE3, false},
         }) {
        SCOPED_TRACE(::testing::Message() << "$" << std::hex << int(row.sent) << std::dec << " at "
                                          << row.senderBaud << " into " << row.receiverBaud);
        WireFrame f;
        f.data = row.sent;
        f.bitCycles = kE / row.senderBaud;
        const auto c = sampleFrame(f, kE / row.receiverBaud, 8);
        ASSERT_TRUE(c.has_value());
        EXPECT_EQ(c->data, row.expected);
        EXPECT_EQ(c->framingError, row.framingError);
    }
}

// A break is a $00 with a framing error; an idle frame, or a start bit shorter than
// half a receiver bit, is no character at all.
TEST(LineSampling, BreakIdleAndShortStartBit) {
    WireFrame f;
    f.kind = WireFrame::Kind::Break;
    f.bitCycles = 256;
    const auto c = sampleFrame(f, 256, 8);
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->data, 0);
    EXPECT_TRUE(c->framingError);
    f.kind = WireFrame::Kind::Idle;
    EXPECT_FALSE(sampleFrame(f, 256, 8).has_value());
    f.kind = WireFrame::Kind::Data;
    f.data = 0xFF;
    f.bitCycles = kE / 9600;
    EXPECT_FALSE(sampleFrame(f, kE / 1200, 8).has_value());
}

TEST(LineSampling, ToleranceIsFourPercentOfTheReceiverRate) {
    EXPECT_FALSE(ratesMismatched(kE / 1200, kE / 1202));
    EXPECT_FALSE(ratesMismatched(kE / (9615 * 1.039), kE / 9615));
    EXPECT_TRUE(ratesMismatched(kE / (9615 * 1.041), kE / 9615));
    EXPECT_TRUE(ratesMismatched(kE / (9615 * 0.959), kE / 9615));
}

// Through the board, both directions, the SCI at 9615 baud (BAUD $30, E = 2 MHz): a
// host within 4 % gets and gives intact characters; beyond, the SCI sets FE and a
// slow enough host corrupts the bytes both ways.
TEST(SciMismatch, HostRateDecidesWhetherCharactersSurvive) {
    struct Row {
        double hostBaud;
        bool intact;
    };
    for (Row row : {Row{9600, true}, Row{9615 * 1.03, true}, Row{9615 * 0.97, true}, Row{14400, false},
                    Row{7200, false}, Row{6400, false}}) {
        SCOPED_TRACE(row.hostBaud);
        auto b = sciBoard("68HC11E1");
        b->setHostBaud(row.hostBaud);
        for (uint8_t v : {0x55, 0xA3, 0x0F}) {
            b->hostSend(v);
            runFor(*b, charCycles(*b, row.hostBaud) + 2);
            const uint8_t st = b->read(reg::SCSR);
            const uint8_t got = b->read(reg::SCDR);
            EXPECT_EQ(st & (scsr::RDRF | scsr::FE), row.intact ? scsr::RDRF : scsr::RDRF | scsr::FE);
            if (row.intact) {
                EXPECT_EQ(got, v);
            }
            b->read(reg::SCSR);
            b->write(reg::SCDR, v);
            runFor(*b, 2080 + 2);
            const auto back = b->hostReadAll();
            if (row.intact) {
                EXPECT_EQ(back, std::vector<uint8_t>{v});
            }
            if (row.hostBaud == 6400 && v == 0x0F) {
                EXPECT_NE(got, v);
                ASSERT_EQ(back.size(), 1u);
                EXPECT_NE(back[0], v);
            }
        }
    }
}

} // namespace
} // namespace hc11::test
