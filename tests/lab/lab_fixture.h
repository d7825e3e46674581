// What the lab tests share: a check read from its text, a program assembled from its
// source, one case run.
#pragma once

#include "lab/lab_case_run.h"
#include "lab/lab_check_reader.h"
#include "lab/lab_submission.h"

#include <gtest/gtest.h>

namespace tessaline::lab::test {

inline VerificationLab verification(const std::string& toml) {
    LectureVerification l = lireVerification(toml);
    EXPECT_TRUE(l.verification) << l.ligne << ": " << l.erreur;
    return l.verification ? *l.verification : VerificationLab{};
}

inline ProgrammeLab programme(const std::string& source) {
    ChargementSoumission c = assemblerSource(QString::fromStdString(source), QStringLiteral("t.asm"));
    EXPECT_TRUE(c.programme) << (c.messages.empty() ? "" : c.messages.front());
    return c.programme ? *c.programme : ProgrammeLab{};
}

// The first case of `toml` on `source`.
inline ResultatCas lancer(const std::string& source, const std::string& toml, bool tracer = false) {
    const VerificationLab v = verification(toml);
    if (v.cas.empty()) return {};
    return executerCas(v, v.cas[0], programme(source), tracer);
}

} // namespace tessaline::lab::test
