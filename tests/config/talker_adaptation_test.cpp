#include "config/crystal_table.h"
#include "config/talker_adaptation.h"
#include "link/talker_image.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessaline {
namespace {

// Wire bytes (sync byte = 0) the adaptation may write.
constexpr int BaudHote = 0xD1, CompteCourt = 0xD3, CompteProgHote = 0xD5, CompteProg = 0xFD, Baud = 0xFF;

QByteArray imageStockee() {
    return QByteArray::fromHex(TalkerImageHex);
}

int mot(const QByteArray& b, int k) {
    return static_cast<quint8>(b[k]) << 8 | static_cast<quint8>(b[k + 1]);
}

// TalkerDownload (integration) proves every combination loads and answers on
// the simulated board; what it cannot see is the EEPROM programming delay and
// any byte written outside the parameters.
TEST(AdapteTalker, EveryCombinationPatchesOnlyItsParametersAndScalesTheDelay) {
    const QByteArray stockee = imageStockee();
    ASSERT_EQ(stockee.size(), talker::WireBytes);
    const double compteParMhz = mot(stockee, CompteProg) / 8.0; // the image is built for 8 MHz
    for (const ReglageQuartz& q : tableQuartz())
        for (const VitesseTalker& v : q.vitesses) {
            SCOPED_TRACE(std::string(q.quartz) + " MHz " + std::to_string(v.baud));
            Configuration config;
            config.Quartz = q.quartz;
            config.Baud = v.baud;
            AdapteTalker(config);
            const QByteArray& p = config.TalkerPrepare;
            ASSERT_EQ(p.size(), talker::WireBytes);
            EXPECT_EQ(static_cast<quint8>(p[0]), 0xFF);
            for (int k = 0; k < talker::WireBytes; ++k) {
                const bool parametre = k == BaudHote || k == Baud ||
                                       (k >= CompteCourt && k <= CompteProgHote + 1) || k == CompteProg ||
                                       k == CompteProg + 1;
                if (!parametre) {
                    EXPECT_EQ(p[k], stockee[k]) << "wire byte $" << std::hex << k;
                }
            }
            EXPECT_EQ(p[BaudHote], p[Baud]) << "the host's copy of BAUD is the one loaded";
            EXPECT_EQ(mot(p, CompteProgHote), mot(p, CompteProg));
            // The 10 ms delay is counted in E cycles (E = crystal / 4), the
            // short count a fifth of it (MC68HC11 reference manual 4.4).
            const int prog = mot(p, CompteProg);
            EXPECT_EQ(mot(p, CompteCourt), prog / 5);
            EXPECT_NEAR(prog / compteParMhz, q.mhz, q.mhz * 0.02);
        }
}
TEST(AdapteTalker, ACombinationWithoutEntryLeavesTheImageAndBootRate) {
    const std::pair<const char*, int> sansEntree[] = {{"2", 4800}, {"2", 9600},  {"4", 9600}, {"8", 19200},
                                                      {"8", 300},  {"12", 1200}, {"", 1200},  {"16", 38400}};
    for (const auto& [quartz, baud] : sansEntree) {
        SCOPED_TRACE(std::string(quartz) + " MHz " + std::to_string(baud));
        Configuration config;
        config.Quartz = "2";
        config.Baud = 600;
        AdapteTalker(config); // a previous adaptation must not linger
        config.Quartz = quartz;
        config.Baud = baud;
        AdapteTalker(config);
        EXPECT_EQ(config.BootBaud, 300);
        EXPECT_EQ(config.TalkerPrepare, imageStockee());
    }
}

} // namespace
} // namespace tessaline
