#include "config/talker_adaptation.h"

#include "config/crystal_table.h"

#include "link/conversions.h"
#include "link/talker_image.h"

namespace tessaline {

namespace {

// The parameter bytes the host writes into the Talker before the download
// (target addresses; the wire byte is one further, after the sync byte).
inline constexpr int AdresseBaudHote = talker::HostPatchFirst;           // BAUD value
inline constexpr int AdresseCompteCourt = talker::HostPatchFirst + 2;    // 16 bits, high byte first
inline constexpr int AdresseCompteProgHote = talker::HostPatchFirst + 4; // 16 bits, high byte first
inline constexpr int AdresseCompteProg = talker::DelayCount;             // read by the programming loop
inline constexpr int AdresseBaud = talker::BaudValue;                    // loaded into BAUD at start

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

void AdapteTalker(Configuration& config) {
    QString image = QString::fromLatin1(TalkerImageHex);
    const ReglageQuartz* reglage = reglageQuartz(config.Quartz);
    if (const VitesseTalker* vitesse = vitesseTalker(config.Quartz, config.Baud)) {
        if (vitesse->valeurBaud) {
            poserOctet(image, AdresseBaudHote, *vitesse->valeurBaud);
            poserOctet(image, AdresseBaud, *vitesse->valeurBaud);
        }
        if (reglage->comptes) {
            const auto [court, programmation] = *reglage->comptes;
            poserMot(image, AdresseCompteCourt, court);
            poserMot(image, AdresseCompteProgHote, programmation);
            poserMot(image, AdresseCompteProg, programmation);
        }
        config.BootBaud = reglage->bootBaud;
    }
    config.TalkerPrepare.clear();
    config.TalkerPrepare.reserve(talker::WireBytes);
    for (qsizetype position = 0; position + 1 < image.size(); position += 2)
        config.TalkerPrepare.append(static_cast<char>(HexaDec(image.mid(position, 2))));
    config.QuartzTalker = config.Quartz;
    config.BaudTalker = config.Baud;
}

void AdapteTalkerSiChange(Configuration& config) {
    if (config.TalkerPrepare.isEmpty() || config.QuartzTalker != config.Quartz ||
        config.BaudTalker != config.Baud)
        AdapteTalker(config);
}

} // namespace tessaline
