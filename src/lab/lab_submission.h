// The programs handed in: which files they are, and each one made ready to run. A
// source (.asm, .a11) is assembled by the program's own assembler, so that a student
// gets the same messages as in the windows; an S-record file (.s19) is loaded as it is.
#pragma once

#include "lab_case_run.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

namespace tessaline::lab {

struct Soumission {
    QString chemin; // the file
    QString nom;    // as the reports show it: the path under the folder given, or as given
};

// The submissions the command line names, in the order of the arguments and, inside a
// folder, sorted by path (every level below it). A NAME.s19 beside a NAME.asm or
// NAME.a11 is that source's product and is left out. A name that is neither a folder
// nor a file of those kinds is added to `erreurs`.
std::vector<Soumission> trouverSoumissions(const QStringList& sources, QStringList& erreurs);

struct ChargementSoumission {
    std::optional<ProgrammeLab> programme;
    // Without a program, in a few words: "ne s'assemble pas", "illisible" (the file),
    // "pas un fichier S19 valable".
    std::string refus;
    // Why it cannot run: the assembler's messages, "prog.asm(12): error: ...", one a
    // line, or the file's fault.
    std::vector<std::string> messages;
};

ChargementSoumission chargerSoumission(const Soumission& s);

// The same for a source already in memory (the windows' open file).
ChargementSoumission assemblerSource(const QString& texte, const QString& nom);

} // namespace tessaline::lab
