// Compile (File menu, toolbar, tessaline-cli assemble): runs the compile
// script on the current source, waits for its products, and copies its report
// RETOUR.NFO into the trace.
#pragma once

#include "link/session.h"

#include <functional>

namespace tessaline {

// The compile of session.fichiers.FichierASM with the configured assembler
// files. The script is started with an argument list (no shell sees a file
// name), in the source's folder, with the arguments: base name, source folder
// (with its trailing separator), assembler program, symbol program. The wait
// for it keeps the windows alive and ends on Cancel (the process is then
// killed). `chargerFichiers` reloads the four tabs once the products are
// there (none: nothing to reload). False when the compile command is to be
// disabled until the source is edited or another file is opened.
bool compiler(Session& session, const std::function<void()>& chargerFichiers);

} // namespace tessaline
