#include "link/talker_image.h"

#include <QByteArray>

#include <gtest/gtest.h>

using namespace tessaline;

namespace {

QByteArray image() {
    // Bytes as the boot ROM stores them: without the sync byte.
    return QByteArray::fromHex(QByteArray(TalkerImageHex)).mid(1);
}

} // namespace

TEST(TalkerImage, Is514UpperCaseDigitsStartingWithTheSyncByte) {
    const QByteArray hex(TalkerImageHex);
    ASSERT_EQ(hex.size(), 2 * talker::WireBytes);
    EXPECT_TRUE(hex.startsWith("FF"));
    for (char c : hex)
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << c;
    EXPECT_EQ(image().size(), talker::ImageBytes);
}

TEST(TalkerImage, PseudoVectorsAndParametersAtTheirPlaces) {
    const QByteArray m = image();
    auto octet = [&](int adresse) { return static_cast<quint8>(m[adresse]); };
    auto mot = [&](int adresse) { return octet(adresse) << 8 | octet(adresse + 1); };
    constexpr quint8 Jmp = 0x7E, Rti = 0x3B;

    EXPECT_EQ(octet(talker::SciPseudoVector), Jmp);
    EXPECT_LT(mot(talker::SciPseudoVector + 1), talker::SciPseudoVector) << "into the Talker's code";
    EXPECT_EQ(octet(talker::RtiPseudoVector), Rti);
    EXPECT_EQ(octet(talker::IrqPseudoVector), Rti);
    EXPECT_EQ(octet(talker::SwiPseudoVector), Jmp);
    EXPECT_EQ(octet(talker::IllegalOpcodePseudoVector), Jmp);
    EXPECT_EQ(mot(talker::SwiPseudoVector + 1), mot(talker::IllegalOpcodePseudoVector + 1));
    EXPECT_LT(mot(talker::SwiPseudoVector + 1), talker::SciPseudoVector);

    // The idle loop's first two operand bytes read its own address: a code 3
    // with nothing stopped rewrites them with the same value.
    EXPECT_EQ(mot(talker::IdleLoop + 1), talker::IdleLoop);

    EXPECT_EQ(mot(talker::DelayCount), 0x0B27);
    EXPECT_EQ(octet(talker::BaudValue), 0x33);
    EXPECT_EQ(octet(talker::Sccr2Value), 0x2C);
}

TEST(TalkerImage, StackAreaHoldsOnlyTheHostsCopyOfTheParameters) {
    const QByteArray m = image();
    auto octet = [&](int a) { return static_cast<quint8>(m[a]); };
    auto mot = [&](int a) { return octet(a) << 8 | octet(a + 1); };
    // The unadapted image carries at $00D0-$00D5 what the host would write for
    // its own parameters: the same BAUD value as $00FE, the programming count
    // of $00FC, and the short count, one fifth of it.
    EXPECT_EQ(octet(talker::HostPatchFirst), octet(talker::BaudValue));
    EXPECT_EQ(mot(talker::HostPatchFirst + 4), mot(talker::DelayCount));
    EXPECT_EQ(mot(talker::HostPatchFirst + 2), mot(talker::DelayCount) / 5);
    for (int a = 0x00CC; a <= talker::StackTop; ++a) {
        const bool parametre = a >= talker::HostPatchFirst && a <= talker::HostPatchLast;
        if (!parametre || a == talker::HostPatchFirst + 1) {
            EXPECT_EQ(octet(a), 0) << "address " << a;
        }
    }
}

TEST(TalkerImage, StartsBySettingUpTheSci) {
    const QByteArray m = image();
    // LDX #$1000 then LDD $FE (direct): BAUD and SCCR2 from the parameters.
    EXPECT_EQ(m.left(5), QByteArray::fromHex("CE1000DCFE"));
}
