// Runs one case of a lab check on a fresh simulated board and weighs the program
// against the case's expectations. Nothing here reads a clock: a case's result depends
// on the program, the check and nothing else.
#pragma once

#include "lab_check.h"

#include "sim/srecord.h"

#include <map>
#include <string>
#include <vector>

namespace tessaline::lab {

// A program ready to load: its bytes, and the labels its source defined (none for an
// S-record file).
struct ProgrammeLab {
    std::vector<hc11::SRecordBlock> blocs;
    std::map<std::string, uint16_t> etiquettes;
};

struct ResultatAttente {
    int ligne = 0; // in the check file
    bool reussi = false;
    int points = 0;    // earned
    std::string texte; // when it failed: what was seen, against what was expected
};

struct ResultatCas {
    std::string nom;
    bool reussi = false;
    int points = 0, pointsMax = 0;
    // How the case ended when not at its time limit, or why the program was still at
    // the limit where it was: "opcode illégal $41 en $FE12 au cycle 35".
    std::string fin;
    // Nothing a program may do: an illegal opcode, a runaway, a file the chip cannot
    // hold. The expectations not yet looked at are then failed.
    bool finAnormale = false;
    uint64_t cycles = 0;                   // board time the case ran
    double secondes = 0;                   // the same in seconds of the simulated chip
    std::vector<ResultatAttente> attentes; // in the check file's order
    // When asked, the last instructions before the first expectation missed (the
    // instruction that wrote outside its ranges is the last), or before the end.
    std::vector<std::string> trace;
    // The first failed expectation in words, with the teacher's message and, when the
    // program ended abnormally, how.
    std::string premierEchec() const;
};

// How many instructions a trace keeps.
inline constexpr std::size_t InstructionsTrace = 50;

// Runs `cas` of `verification` on `programme`. With `tracer`, the result carries the
// last InstructionsTrace instructions.
ResultatCas executerCas(const VerificationLab& verification, const CasLab& cas, const ProgrammeLab& programme,
                        bool tracer = false);

// "400 000": E cycles as a student reads them.
std::string milliers(uint64_t n);

} // namespace tessaline::lab
