#include "link/registers.h"

#include "link/control_names.h"
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/trace.h"

namespace tessaline {

const std::array<DescriptionRegistre, 7>& descriptionsRegistres() {
    static const std::array<DescriptionRegistre, 7> d = {{
        {"PC=", controle::BoitePC, 4, &JeuRegistres::RegPC},
        {"A=", controle::BoiteA, 2, &JeuRegistres::RegA},
        {"B=", controle::BoiteB, 2, &JeuRegistres::RegB},
        {"IX=", controle::BoiteIX, 4, &JeuRegistres::RegIX},
        {"IY=", controle::BoiteIY, 4, &JeuRegistres::RegIY},
        {"CCR=", controle::BoiteCCR, 2, &JeuRegistres::RegCCR},
        {"SP=", controle::BoiteSP, 4, &JeuRegistres::RegSP},
    }};
    return d;
}

void changerRegistre(Session& session, QString JeuRegistres::*registre, const QString& valeur) {
    session.registres.*registre = valeur;
    for (const DescriptionRegistre& d : descriptionsRegistres())
        if (d.texte == registre) session.ecran().setText(d.boite, valeur);
}

void AfficheCCR(Session& session) {
    Screen& e = session.ecran();
    try {
        const int valeur = HexaDec(session.registres.RegCCR);
        for (int i = 0; i < 8; ++i)
            e.setText(nomIndexe(controle::BitCcr, i), QStringLiteral("0"));
        for (int i = 0; i < 8; ++i) {
            const bool un = (valeur >> i) & 1;
            e.setText(nomIndexe(controle::BitCcr, i), un ? QStringLiteral("1") : QStringLiteral("0"));
            e.setTextColour(nomIndexe(controle::BitCcr, i), un ? couleur::Rouge : couleur::Noir);
        }
    } catch (const std::exception& ex) {
        AfficheErreur(e, QStringLiteral("AfficheCCR"), erreurDepuis(ex));
    }
}

void AfficheRegistres(Session& session) {
    Screen& e = session.ecran();
    e.append(Zone::Trace, Tab + Tab + QStringLiteral("  <==  Registres : "), couleur::Noir);
    const auto& d = descriptionsRegistres();
    for (std::size_t i = 0; i < d.size(); ++i) {
        const bool dernier = i + 1 == d.size();
        e.append(Zone::Trace, QLatin1String(d[i].libelle), couleur::Noir);
        e.append(Zone::Trace, session.registres.*(d[i].texte) + (dernier ? FinLigne : QStringLiteral("  ")),
                 couleur::Magenta);
    }
}

} // namespace tessaline
