// Compile (File menu, toolbar, tessaline-cli assemble): runs the compile
// script on the current source, waits for its products, and copies its report
// RETOUR.NFO into the trace.
#pragma once

#include "link/session.h"

#include <functional>

namespace tessaline {

// How one compile ended: from this compile's own run, never from files an
// earlier one left.
struct BilanCompilation {
    // False when the compile command is to be disabled until the source is
    // edited or another file is opened.
    bool actif = true;
    // The compile script was started.
    bool lance = false;
    // The compile script ran to its own end (it was not prevented, nor killed
    // on Cancel), with this exit status.
    bool termine = false;
    int statut = -1;
    // Lines of this compile's report that tell of an error.
    int lignesErreur = 0;
    bool reussi() const { return termine && statut == 0; }
};

// A line of the assembler's report that tells of an error: the word "error"
// or "erreur" (any case) at its start, after a colon or after a count other
// than 0, as in "PROG.ASM(3): error: ...", "prog.s:3: Error: ..." and
// "PROG.ASM: 1 error(s), ..." (not "assembled without error").
bool ligneDErreur(const QString& ligne);

// When no compile runs (no assembler, no source), the windows still copy the
// report of the last one into the trace; the command line shows only what
// this compile said.
enum class RapportPrecedent { Montre, Tu };

// The compile of session.fichiers.FichierASM with the configured assembler
// files. The script is started with an argument list (no shell sees a file
// name), in the source's folder, with the arguments: base name, source folder
// (with its trailing separator), assembler program, symbol program. The wait
// for it keeps the windows alive and ends on Cancel (the process is then
// killed). `chargerFichiers` reloads the four tabs once the products are
// there (none: nothing to reload). The products of an earlier compile are
// left for the assembler to replace (it does so only when it succeeds); a
// report left by an earlier run is removed first, when it is a regular file;
// a report name that leads to anything else (a device, a pipe, a folder) is
// refused with a message and the script is not started. The report joins the
// trace in green, its error lines in red.
BilanCompilation compilerSource(Session& session, const std::function<void()>& chargerFichiers,
                                RapportPrecedent precedent = RapportPrecedent::Montre);

} // namespace tessaline
