// The register set as the user sees it: seven hexadecimal texts, each kept
// equal to its box of the registers window, the bit display of the condition
// codes, and the register line of the trace.
#pragma once

#include "link/session.h"

#include <QLatin1StringView>

#include <array>

namespace tessaline {

// One register of the set: its name in the trace, its box and its width in
// digits. Where each register lies in the Talker's frame is the protocol's
// business (TrameRegistres in talker_protocol.h).
struct DescriptionRegistre {
    const char* libelle;     // "PC=" in the trace
    QLatin1StringView boite; // objectName of its box
    int chiffres;            // 2 or 4
    QString JeuRegistres::*texte;
};

// In the order the trace and the registers window list them: PC, A, B, IX, IY, CCR, SP.
const std::array<DescriptionRegistre, 7>& descriptionsRegistres();

// Sets a register text and its box together.
void changerRegistre(Session& session, QString JeuRegistres::*registre, const QString& valeur);

// Shows RegCCR bit by bit in the labels lblCCR(0) (C) to lblCCR(7) (S): "1" in
// red, "0" in black.
void AfficheCCR(Session& session);

// Appends the register line to the trace: PC, A, B, IX, IY, CCR and SP with
// their values in magenta.
void AfficheRegistres(Session& session);

} // namespace tessaline
