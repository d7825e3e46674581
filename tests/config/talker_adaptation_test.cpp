#include "config/talker_adaptation.h"
#include "link/talker_image.h"

#include <gtest/gtest.h>

#include <optional>

namespace tessaline {
namespace {

// Wire bytes (sync byte = 0) the adaptation may write.
constexpr int BaudHote = 0xD1, CompteCourt = 0xD3, CompteProg = 0xFD, Baud = 0xFF;

QByteArray imageStockee() {
    return QByteArray::fromHex(TalkerImageHex);
}

struct Comptes {
    int court, programmation;
};

struct Cas {
    const char* quartz;
    int baud;
    std::optional<int> valeurBaud;  // none: the stored byte stays
    std::optional<Comptes> comptes; // none: the stored bytes stay
    int bootBaud;
};

constexpr Comptes Q2{0x008E, 0x02C6}, Q4{0x011D, 0x0591}, Q16{0x0476, 0x164E};

const Cas Combinaisons[] = {
    {"2", 600, 0x32, Q2, 300},
    {"2", 1200, 0x31, Q2, 300},
    {"2", 2400, 0x30, Q2, 300},
    {"4", 600, std::nullopt, Q4, 600},
    {"4", 1200, 0x32, Q4, 600},
    {"4", 2400, 0x31, Q4, 600},
    {"4", 4800, 0x30, Q4, 600},
    {"8", 600, 0x34, std::nullopt, 1200},
    {"8", 1200, std::nullopt, std::nullopt, 1200},
    {"8", 2400, 0x32, std::nullopt, 1200},
    {"8", 4800, 0x31, std::nullopt, 1200},
    {"8", 9600, 0x30, std::nullopt, 1200},
    {"16", 600, 0x35, Q16, 2400},
    {"16", 1200, 0x34, Q16, 2400},
    {"16", 2400, std::nullopt, Q16, 2400},
    {"16", 4800, 0x32, Q16, 2400},
    {"16", 9600, 0x31, Q16, 2400},
    {"16", 19200, 0x30, Q16, 2400},
};

TEST(AdapteTalker, EveryCombinationPatchesExactlyItsBytes) {
    const QByteArray stockee = imageStockee();
    ASSERT_EQ(stockee.size(), 257);
    for (const Cas& c : Combinaisons) {
        SCOPED_TRACE(std::string(c.quartz) + " MHz " + std::to_string(c.baud));
        QByteArray attendue = stockee;
        if (c.valeurBaud) attendue[BaudHote] = attendue[Baud] = static_cast<char>(*c.valeurBaud);
        if (c.comptes) {
            const int octets[] = {c.comptes->court >> 8, c.comptes->court & 0xFF,
                                  c.comptes->programmation >> 8, c.comptes->programmation & 0xFF};
            for (int i = 0; i < 4; ++i)
                attendue[CompteCourt + i] = static_cast<char>(octets[i]);
            attendue[CompteProg] = static_cast<char>(octets[2]);
            attendue[CompteProg + 1] = static_cast<char>(octets[3]);
        }

        Configuration config;
        config.Quartz = c.quartz;
        config.Baud = c.baud;
        config.BootBaud = 4321;
        AdapteTalker(config);
        EXPECT_EQ(config.BootBaud, c.bootBaud);
        ASSERT_EQ(config.TalkerPrepare.size(), 257);
        EXPECT_EQ(static_cast<quint8>(config.TalkerPrepare[0]), 0xFF);
        for (int k = 0; k < 257; ++k)
            EXPECT_EQ(static_cast<quint8>(config.TalkerPrepare[k]), static_cast<quint8>(attendue[k]))
                << "wire byte $" << std::hex << k;
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
