// CONFIG ($103F): the EEPROM cell that sets, at each reset, whether the COP
// watchdog runs, whether the EEPROM (and the ROM) appear in the memory map,
// the security mode, and on the F1 and the 811E2 where the EEPROM lies
// (M68HC11 RM 4.3.3, "CONFIG"; E-series TD for EE3-EE0). The register reads
// the working copy taken at reset: a value just programmed reads back only
// after the next RESET.
#pragma once

#include "link/session.h"
#include "operations/eeprom_registers.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace tessaline {

inline constexpr int AdresseConfig = hc11reg::Config;

struct BitConfig {
    int masque;
    QString nom;
    QString siUn;
    QString siZero;
};

// The bits `puce` has, highest first (EE3-EE0 as one field where it has them).
QVector<BitConfig> bitsConfig(const QString& puce);
int masqueConfig(const QString& puce);
// "$0D" then one line per bit: its name, its value and what it does.
QStringList decrireConfig(const QString& puce, int valeur);

// What writing `valeur` over `actuel` means: a refusal (the value cannot or
// must not be written), or warnings the user must accept first.
struct AvisConfig {
    QString refus;
    QStringList avertissements;
};
AvisConfig examinerConfig(const Configuration& c, int actuel, int valeur);

enum class FinConfig {
    Lu,        // read (lireConfig)
    Programme, // written; takes effect at the next RESET (said)
    DejaEnPlace,
    Refuse, // refused or not confirmed: nothing written (said)
    Echec,  // the exchange failed (said)
};
struct ResultatConfig {
    FinConfig fin = FinConfig::Echec;
    int valeur = -1; // what CONFIG reads
};

// Reads CONFIG. After a programming of this session, says whether the value
// programmed is the one now read (the RESET and the Talker's reload done).
ResultatConfig lireConfig(Session& session);
// Programs CONFIG with the Talker's write (erase, then program), after the
// refusals and the question of examinerConfig.
ResultatConfig programmerConfig(Session& session, int valeur);

} // namespace tessaline
