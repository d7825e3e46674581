// A whole check: every submission through every case, spread over worker threads, the
// results handed back in the submissions' order whatever order they finish in.
#pragma once

#include "lab_submission.h"

#include <functional>
#include <vector>

namespace tessaline::lab {

struct ResultatSoumission {
    QString nom;
    // When it did not assemble or could not be read: in a few words, and the messages
    // that say why (every case gets 0).
    std::string refus;
    std::vector<std::string> messages;
    std::vector<ResultatCas> cas;
    bool chargee() const { return refus.empty(); }
    bool reussie() const;
    int points() const;
};

// Checks `soumissions` against `verification` on `travailleurs` threads (at least one).
// With `tracer`, a case that fails is run a second time with a trace of its last
// instructions (the run is the same: nothing in it depends on time). `suivant` is
// called once for each result, in the submissions' order, as soon as it and all those
// before it are done, on the calling thread or a worker's (never two at once).
std::vector<ResultatSoumission>
verifierSoumissions(const VerificationLab& verification, const std::vector<Soumission>& soumissions,
                    unsigned travailleurs, bool tracer,
                    const std::function<void(const ResultatSoumission&)>& suivant = {});

// One submission, already loaded (or not), through every case.
ResultatSoumission verifierProgramme(const VerificationLab& verification, const QString& nom,
                                     const ChargementSoumission& chargement, bool tracer);

} // namespace tessaline::lab
