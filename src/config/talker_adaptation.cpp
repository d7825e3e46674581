#include "config/talker_adaptation.h"

#include "link/conversions.h"
#include "link/talker_image.h"

#include <array>
#include <optional>

namespace tessaline {

namespace {

// The parameter bytes the host writes into the Talker before the download
// (target addresses; the wire byte is one further, after the sync byte).
inline constexpr int AdresseBaudHote = talker::HostPatchFirst;           // BAUD value
inline constexpr int AdresseCompteCourt = talker::HostPatchFirst + 2;    // 16 bits, high byte first
inline constexpr int AdresseCompteProgHote = talker::HostPatchFirst + 4; // 16 bits, high byte first
inline constexpr int AdresseCompteProg = talker::DelayCount;             // read by the programming loop
inline constexpr int AdresseBaud = talker::BaudValue;                    // loaded into BAUD at start

struct ReglageQuartz {
    const char* quartz;
    // The short count (a fifth of the programming count) and the 10 ms
    // programming count; absent at 8 MHz, the crystal the image is built for.
    std::optional<std::array<int, 2>> comptes;
    int bootBaud; // the boot ROM's rate at this crystal
};

// The table columns, in search order.
const std::array<ReglageQuartz, 4> Quartz = {{
    {"2", std::array{0x008E, 0x02C6}, 300},
    {"4", std::array{0x011D, 0x0591}, 600},
    {"8", std::nullopt, 1200},
    {"16", std::array{0x0476, 0x164E}, 2400},
}};

inline constexpr int Inchange = -1; // the rate runs with the stored BAUD value
inline constexpr int Aucune = -2;   // the rate cannot be made with this crystal

struct LigneBaud {
    int baud;
    std::array<int, 4> valeurBaud; // per crystal, in the column order above
};

// BAUD register values: SCP1:0 = 11 (divide by 13), SCR2:0 = 0..5.
const std::array<LigneBaud, 6> TableBaud = {{
    {600, {0x32, Inchange, 0x34, 0x35}},
    {1200, {0x31, 0x32, Inchange, 0x34}},
    {2400, {0x30, 0x31, 0x32, Inchange}},
    {4800, {Aucune, 0x30, 0x31, 0x32}},
    {9600, {Aucune, Aucune, 0x30, 0x31}},
    {19200, {Aucune, Aucune, Aucune, 0x30}},
}};

std::optional<size_t> colonneQuartz(const QString& quartz) {
    for (size_t colonne = 0; colonne < Quartz.size(); ++colonne) {
        if (quartz == QLatin1String(Quartz[colonne].quartz)) return colonne;
    }
    return std::nullopt;
}

// Wire byte k is the digit pair at text position 2k + 1 counting from 1.
void poserOctet(QString& image, int adresse, int valeur) {
    const int octetFil = adresse + 1;
    image.replace(2 * octetFil, 2, DecHexa2(valeur).right(2));
}

void poserMot(QString& image, int adresse, int valeur) {
    poserOctet(image, adresse, valeur >> 8 & 0xFF);
    poserOctet(image, adresse + 1, valeur & 0xFF);
}

} // namespace

QVector<int> ratesPourQuartz(const QString& quartz) {
    QVector<int> rates;
    const auto colonne = colonneQuartz(quartz);
    if (!colonne) return rates;
    for (const LigneBaud& ligne : TableBaud) {
        if (ligne.valeurBaud[*colonne] != Aucune) rates.append(ligne.baud);
    }
    return rates;
}

void AdapteTalker(Configuration& config) {
    QString image = QString::fromLatin1(TalkerImageHex);
    const auto colonne = colonneQuartz(config.Quartz);
    const LigneBaud* ligne = nullptr;
    for (const LigneBaud& candidate : TableBaud) {
        if (candidate.baud == config.Baud) ligne = &candidate;
    }
    if (colonne && ligne && ligne->valeurBaud[*colonne] != Aucune) {
        const ReglageQuartz& reglage = Quartz[*colonne];
        const int valeurBaud = ligne->valeurBaud[*colonne];
        if (valeurBaud != Inchange) {
            poserOctet(image, AdresseBaudHote, valeurBaud);
            poserOctet(image, AdresseBaud, valeurBaud);
        }
        if (reglage.comptes) {
            const auto [court, programmation] = *reglage.comptes;
            poserMot(image, AdresseCompteCourt, court);
            poserMot(image, AdresseCompteProgHote, programmation);
            poserMot(image, AdresseCompteProg, programmation);
        }
        config.BootBaud = reglage.bootBaud;
    }

    config.TalkerPrepare.clear();
    config.TalkerPrepare.reserve(talker::WireBytes);
    for (qsizetype position = 0; position + 1 < image.size(); position += 2)
        config.TalkerPrepare.append(static_cast<char>(HexaDec(image.mid(position, 2))));
}

} // namespace tessaline
