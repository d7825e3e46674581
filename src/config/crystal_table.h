// The crystals a board may carry, and what each allows: the working rates the
// Talker can run at, the rate of the boot ROM, and the values the Talker's
// image takes for them. Every front end offers and checks crystals and rates
// through this one table.
//
// The SCI rate is E/(16 x prescaler x 2^SCR) with E = crystal / 4 (M68HC11 RM
// 9-8, MC68HC11A8 TD tables 5-1/5-2): with the prescaler at 13 (SCP1:0 = 11)
// each crystal reaches six rates, of which the Talker uses those from 600 baud
// up. The boot ROM listens at E/(16 x 13 x 8). The EEPROM programming delay is
// a loop count that must last 10 ms at any E clock (MC68HC11A8 TD 3-6).
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <array>
#include <optional>
#include <span>

namespace tessaline {

struct VitesseTalker {
    int baud;
    // The SCI BAUD register value for this rate; none where the stored image's
    // value ($33, made for 8 MHz at 1200 baud) already gives it.
    std::optional<int> valeurBaud;
};

struct ReglageQuartz {
    const char* quartz; // as the user chooses it, in MHz
    int mhz;
    // The short count (a fifth of the programming count) and the 10 ms
    // programming count; none at 8 MHz, the crystal the image is built for.
    std::optional<std::array<int, 2>> comptes;
    int bootBaud;                            // the boot ROM's rate at this crystal
    std::span<const VitesseTalker> vitesses; // ascending
};

// "2", "4", "8", "16", in this order.
std::span<const ReglageQuartz> tableQuartz();
// The entry of `quartz` (matched exactly); null for a crystal not in the table.
const ReglageQuartz* reglageQuartz(const QString& quartz);
QStringList quartzConnus();
// The working rates the Talker can run at with `quartz`, ascending; empty for
// a crystal not in the table.
QVector<int> ratesPourQuartz(const QString& quartz);
// The entry of the rate at that crystal; null when the Talker cannot run at it.
const VitesseTalker* vitesseTalker(const QString& quartz, int baud);

// What the options dialog does with a crystal or rate its lists do not offer:
// a rate not offered for the crystal becomes 600 baud (which every crystal
// gives), an unknown crystal becomes "2". The result is always in the table.
inline constexpr int BaudRepli = 600;
inline constexpr auto QuartzRepli = "2";
struct QuartzEtBaud {
    QString quartz;
    int baud;
};
QuartzEtBaud quartzEtBaudOfferts(const QString& quartz, int baud);

} // namespace tessaline
