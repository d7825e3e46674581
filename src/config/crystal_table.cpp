#include "config/crystal_table.h"

namespace tessaline {

namespace {

// BAUD register values: SCP1:0 = 11 (divide by 13), SCR2:0 = 0..5.
constexpr VitesseTalker Vitesses2[] = {{600, 0x32}, {1200, 0x31}, {2400, 0x30}};
constexpr VitesseTalker Vitesses4[] = {{600, std::nullopt}, {1200, 0x32}, {2400, 0x31}, {4800, 0x30}};
constexpr VitesseTalker Vitesses8[] = {
    {600, 0x34}, {1200, std::nullopt}, {2400, 0x32}, {4800, 0x31}, {9600, 0x30}};
constexpr VitesseTalker Vitesses16[] = {{600, 0x35},  {1200, 0x34}, {2400, std::nullopt},
                                        {4800, 0x32}, {9600, 0x31}, {19200, 0x30}};

const std::array<ReglageQuartz, 4> Table = {{
    {"2", 2, std::array{0x008E, 0x02C6}, 300, Vitesses2},
    {"4", 4, std::array{0x011D, 0x0591}, 600, Vitesses4},
    {"8", 8, std::nullopt, 1200, Vitesses8},
    {"16", 16, std::array{0x0476, 0x164E}, 2400, Vitesses16},
}};

} // namespace

std::span<const ReglageQuartz> tableQuartz() {
    return Table;
}

const ReglageQuartz* reglageQuartz(const QString& quartz) {
    for (const ReglageQuartz& reglage : Table) {
        if (quartz == QLatin1String(reglage.quartz)) return &reglage;
    }
    return nullptr;
}

QStringList quartzConnus() {
    QStringList noms;
    for (const ReglageQuartz& reglage : Table)
        noms << QLatin1String(reglage.quartz);
    return noms;
}

QVector<int> ratesPourQuartz(const QString& quartz) {
    QVector<int> rates;
    if (const ReglageQuartz* reglage = reglageQuartz(quartz)) {
        for (const VitesseTalker& vitesse : reglage->vitesses)
            rates.append(vitesse.baud);
    }
    return rates;
}

const VitesseTalker* vitesseTalker(const QString& quartz, int baud) {
    const ReglageQuartz* reglage = reglageQuartz(quartz);
    if (!reglage) return nullptr;
    for (const VitesseTalker& vitesse : reglage->vitesses) {
        if (vitesse.baud == baud) return &vitesse;
    }
    return nullptr;
}

QuartzEtBaud quartzEtBaudOfferts(const QString& quartz, int baud) {
    // The rate is matched first, against the rates of the crystal as given.
    const int offert = ratesPourQuartz(quartz).contains(baud) ? baud : BaudRepli;
    return {reglageQuartz(quartz) ? quartz : QString::fromLatin1(QuartzRepli), offert};
}

} // namespace tessaline
