// Rate mismatch on the line: characters are decoded by sampling the sender's bit stream
// at the receiver's bit centres; beyond 4 % the SCI also reports a framing error.
#include "board_test_support.h"

#include <ostream>

#include "sim/line_sampling.h"

#include <cmath>

namespace hc11::test {
namespace {

constexpr double kE = 2'000'000; // E at an 8 MHz crystal

struct SampleRow {
    uint8_t sent;
    double senderBaud;
    double receiverBaud;
    uint8_t expected;
    bool framingError;
};

std::ostream& operator<<(std::ostream& os, const SampleRow& r) {
    return os << "$" << std::hex << int(r.sent) << std::dec << " at " << r.senderBaud << " into "
              << r.receiverBaud;
}

class LineSampling : public ::testing::TestWithParam<SampleRow> {};

TEST_P(LineSampling, ReceiverSeesTheSampledBits) {
    const SampleRow row = GetParam();
    WireFrame f;
    f.data = row.sent;
    f.bitCycles = kE / row.senderBaud;
    const auto c = sampleFrame(f, kE / row.receiverBaud, 8);
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->data, row.expected);
    EXPECT_EQ(c->framingError, row.framingError);
}

INSTANTIATE_TEST_SUITE_P(Rates, LineSampling,
                         ::testing::Values(
                             // AN1060: $FF at 1200 baud into the boot ROM's 7812 baud reads $C0 or $E0.
                             SampleRow{0xFF, 1200, 7812.5, 0xC0, false},
                             // Same rate, or within 4 %: intact.
                             SampleRow{0xFF, 7812.5, 7812.5, 0xFF, false},
                             SampleRow{0x55, 9615, 9615 * 1.035, 0x55, false},
                             SampleRow{0x55, 9615, 9615 / 1.035, 0x55, false},
                             SampleRow{0x3C, 1200, 1202, 0x3C, false},
                             // $00 sent slowly: every sample is low, the stop bit too.
                             SampleRow{0x00, 1200, 7812.5, 0x00, true},
                             // A slower receiver runs past the sender's frame into the idle line.
                             SampleRow{0x00, 9600, 7812.5, 0xC0, false},
                             // Two thirds of the rate: receiver bits fall on sender bits 1, 2, 4, 5, 7, stop.
                             SampleRow{0x0F, 9600, 6400, 0xE3, false}));

TEST(LineSampling, BreakAndIdleFrames) {
    WireFrame brk;
    brk.kind = WireFrame::Kind::Break;
    brk.bitCycles = 256;
    const auto c = sampleFrame(brk, 256, 8);
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->data, 0);
    EXPECT_TRUE(c->framingError);

    WireFrame idle;
    idle.kind = WireFrame::Kind::Idle;
    idle.bitCycles = 256;
    EXPECT_FALSE(sampleFrame(idle, 256, 8).has_value());
}

TEST(LineSampling, StartBitShorterThanHalfAReceiverBitIsNoCharacter) {
    WireFrame f;
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

// Through the board, both directions: the SCI at 9615 baud (BAUD $30, E = 2 MHz).
class SciMismatch : public ::testing::TestWithParam<double> {
protected:
    void SetUp() override {
        b = makeBoard("68HC11E1", 8);
        park(*b);
        b->write(reg::BAUD, 0x30);
        b->write(reg::SCCR2, sccr2::TE | sccr2::RE);
        runFor(*b, 3000);
    }
    std::unique_ptr<Board> b;
};

TEST_P(SciMismatch, HostRateDecidesWhetherCharactersSurvive) {
    const double hostBaud = GetParam();
    const bool mismatched = std::abs(hostBaud - 9615) > 0.04 * 9615;
    b->setHostBaud(hostBaud);
    const uint8_t sent[] = {0x55, 0xA3, 0x0F};
    for (uint8_t v : sent) {
        // host → SCI
        b->hostSend(v);
        runFor(*b, charCycles(*b, hostBaud) + 2);
        const uint8_t st = b->read(reg::SCSR);
        const uint8_t got = b->read(reg::SCDR);
        if (mismatched) {
            EXPECT_TRUE(st & scsr::FE) << hostBaud;
        } else {
            EXPECT_EQ(st & (scsr::RDRF | scsr::FE), scsr::RDRF);
            EXPECT_EQ(got, v);
        }
        // SCI → host
        b->read(reg::SCSR);
        b->write(reg::SCDR, v);
        runFor(*b, 2080 + 2);
        const auto back = b->hostReadAll();
        if (!mismatched) {
            EXPECT_EQ(back, std::vector<uint8_t>{v});
        }
    }
}

INSTANTIATE_TEST_SUITE_P(HostRates, SciMismatch,
                         ::testing::Values(9600, 9615 * 1.03, 9615 * 0.97, 14400, 7200));

TEST(SciMismatchValues, SlowHostCorruptsBothWays) {
    auto b = makeBoard("68HC11E1", 8);
    park(*b);
    b->write(reg::BAUD, 0x30); // 9615
    b->write(reg::SCCR2, sccr2::TE | sccr2::RE);
    runFor(*b, 3000);
    b->setHostBaud(6400);
    b->hostSend(0x0F);
    runFor(*b, charCycles(*b, 6400) + 2);
    EXPECT_EQ(b->read(reg::SCSR) & (scsr::RDRF | scsr::FE), scsr::RDRF | scsr::FE);
    EXPECT_NE(b->read(reg::SCDR), 0x0F);
    b->read(reg::SCSR);
    b->write(reg::SCDR, 0x0F);
    runFor(*b, 2082);
    const auto back = b->hostReadAll();
    ASSERT_EQ(back.size(), 1u);
    EXPECT_NE(back[0], 0x0F);
}

} // namespace
} // namespace hc11::test
