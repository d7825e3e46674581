// The S19 view of the files window: each S1 and S9 record of an S-record file
// shown field by field in colour (type, count, address, data bytes, checksum),
// and the number of data bytes the S1 records hold. Other record types (the S0
// header, S2/S3 with wider addresses, S5 counts, S7/S8 ends) and lower-case
// types are left out; checksums are shown, not verified.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace tessaline {

namespace couleurS19 {
// Windows values 0x00BBGGRR.
inline constexpr uint32_t Type = 0x00FFFF00;     // cyan
inline constexpr uint32_t Compte = 0x00FF00FF;   // magenta
inline constexpr uint32_t Adresse = 0x0000FFFF;  // yellow
inline constexpr uint32_t Donnee = 0x000000FF;   // red
inline constexpr uint32_t Controle = 0x0000FF00; // green
} // namespace couleurS19

struct RunS19 {
    QString texte;
    uint32_t couleur;
    bool operator==(const RunS19&) const = default;
};

struct VueS19 {
    QList<RunS19> runs;
    // Data bytes of the S1 records: a full 64 KiB image and more still counts.
    qint64 nbOctets = 0;
};

// The view of the records in `lignes` (one record a line, line ends dropped).
VueS19 vueS19(const QStringList& lignes);

} // namespace tessaline
