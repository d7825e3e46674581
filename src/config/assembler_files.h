// The three external assembler files the compile command can use: the
// assembler (.ASM sources), the symbol-producing assembler (.SYM) and a batch
// file (.BAT). Their names and full paths are kept in section "Config".
#pragma once

#include "link/session_state.h"

#include <QString>

namespace tessaline {

class SettingsStore;

// Selectors of TailleFichier, as the options dialog's choice numbers them.
enum SelecteurCompilateur : int { CompilateurASM = 0, CompilateurSYM = 1, CompilateurBAT = 2 };

// Whether the compile command's availability follows the file of this
// selector: the assembler's and the batch file's do (either can compile on its
// own), the symbol assembler's does not.
bool rendCompilateurDisponible(int selecteur);

// The three names (an absent or empty stored name takes its default) and the
// three paths: an empty path becomes the file of that name in
// `dossierProgramme` when there is one (its name matched without regard to
// case, as on the system the names come from), or else in the helper folder
// the compile script is installed in (../lib/tessaline from the programs). The compile command is
// available as the options dialog leaves it after showing the three files in
// order: when the batch file exists.
void chargerFichiersCompilateur(Configuration& config, const SettingsStore& store,
                                const QString& dossierProgramme);
void sauverFichiersCompilateur(const Configuration& config, SettingsStore& store);

} // namespace tessaline
