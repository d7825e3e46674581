#include "lab_session.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

namespace tessaline::lab {

bool ResultatSoumission::reussie() const {
    return chargee() && std::all_of(cas.begin(), cas.end(), [](const ResultatCas& c) { return c.reussi; });
}

int ResultatSoumission::points() const {
    int n = 0;
    for (const ResultatCas& c : cas)
        n += c.points;
    return n;
}

ResultatSoumission verifierProgramme(const VerificationLab& verification, const QString& nom,
                                     const ChargementSoumission& chargement, bool tracer) {
    ResultatSoumission r;
    r.nom = nom;
    r.messages = chargement.messages;
    if (!chargement.programme) r.refus = chargement.refus;
    for (const CasLab& cas : verification.cas) {
        if (!chargement.programme) {
            ResultatCas c;
            c.nom = cas.nom;
            c.pointsMax = cas.pointsMax();
            r.cas.push_back(std::move(c));
            continue;
        }
        ResultatCas c = executerCas(verification, cas, *chargement.programme);
        if (!c.reussi && tracer) c = executerCas(verification, cas, *chargement.programme, true);
        r.cas.push_back(std::move(c));
    }
    return r;
}

std::vector<ResultatSoumission>
verifierSoumissions(const VerificationLab& verification, const std::vector<Soumission>& soumissions,
                    unsigned travailleurs, bool tracer,
                    const std::function<void(const ResultatSoumission&)>& suivant) {
    std::vector<ResultatSoumission> resultats(soumissions.size());
    std::vector<bool> finis(soumissions.size(), false);
    std::atomic<std::size_t> prochaine{0};
    std::mutex verrou;
    std::size_t annoncees = 0;
    const auto travailler = [&] {
        for (;;) {
            const std::size_t i = prochaine++;
            if (i >= soumissions.size()) return;
            ResultatSoumission r = verifierProgramme(verification, soumissions[i].nom,
                                                     chargerSoumission(soumissions[i]), tracer);
            const std::lock_guard<std::mutex> garde(verrou);
            resultats[i] = std::move(r);
            finis[i] = true;
            // Every result now complete from the first not yet told, in order.
            while (annoncees < finis.size() && finis[annoncees]) {
                if (suivant) suivant(resultats[annoncees]);
                ++annoncees;
            }
        }
    };
    const unsigned n = std::max(1u, std::min<unsigned>(travailleurs, unsigned(soumissions.size())));
    std::vector<std::thread> fils;
    for (unsigned k = 1; k < n; ++k)
        fils.emplace_back(travailler);
    travailler();
    for (std::thread& f : fils)
        f.join();
    return resultats;
}

} // namespace tessaline::lab
