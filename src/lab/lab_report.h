// The results of a check, for the three readers: the terminal (one line per submission
// and case), the teacher's spreadsheet (CSV) and continuous-integration services and
// classroom platforms (JUnit XML). The times in them are the simulated chip's, never
// the wall clock's, so that two runs give the same files.
#pragma once

#include "lab_session.h"

#include <QByteArray>

#include <string>
#include <vector>

namespace tessaline::lab {

// The lines of one submission: one per case, "RÉUSSI" or "ÉCHEC", the points and the
// first failed expectation; then its total. With `detail`, every failed expectation of a
// failing case and the trace the result carries.
std::string texteTerminal(const ResultatSoumission& r, bool detail);

// The last line: how many submissions passed.
std::string texteBilan(const std::vector<ResultatSoumission>& resultats, const VerificationLab& v);

// soumission,cas,resultat,points,points_max,message (RFC 4180, UTF-8): one row per
// submission and case.
QByteArray texteCsv(const std::vector<ResultatSoumission>& resultats);

// <testsuites> with one <testsuite> per submission and one <testcase> per case; a
// failed case holds a <failure>, a submission that does not assemble an <error>.
QByteArray texteJUnit(const std::vector<ResultatSoumission>& resultats, const VerificationLab& v);

} // namespace tessaline::lab
