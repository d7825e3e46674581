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
    // The compile script ran to its own end (it was not prevented, nor killed
    // on Cancel), with this exit status.
    bool termine = false;
    int statut = -1;
    bool reussi() const { return termine && statut == 0; }
};

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
// there (none: nothing to reload). Products and a report left by an earlier
// run are removed first, when they are regular files; a report name that
// leads to anything else (a device, a pipe, a folder) is refused with a
// message and the script is not started.
BilanCompilation compilerSource(Session& session, const std::function<void()>& chargerFichiers,
                                RapportPrecedent precedent = RapportPrecedent::Montre);

// The same for the windows: false when the compile command is to be disabled.
bool compiler(Session& session, const std::function<void()>& chargerFichiers);

} // namespace tessaline
