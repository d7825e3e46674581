// The three external assembler files the compile command can use: the
// assembler (.ASM sources), the symbol-producing assembler (.SYM) and a batch
// file (.BAT). Their names and full paths are kept in section "Config".
#pragma once

#include "link/session.h"

#include <QString>

namespace tessaline {

class SettingsStore;

// Selectors of TailleFichier, as the options dialog's choice numbers them.
enum SelecteurCompilateur : int { CompilateurASM = 0, CompilateurSYM = 1, CompilateurBAT = 2 };

// Shows one assembler file in the options dialog. When `chemin` names an
// existing file, the label of the selected file shows the path and
// lblTailleCompilateur its size ("1234 Octets"); otherwise they show "Aucun"
// and "0 Octets". For the assembler and the batch file (selectors 0 and 2) the
// compile command's availability follows. Any other selector does nothing.
void TailleFichier(Session& session, int selecteur, const QString& chemin);

// The three names (an absent or empty stored name takes its default) and the
// three paths: an empty path becomes the file of that name in
// `dossierProgramme` when there is one (its name matched without regard to
// case, as on the system the names come from). Each path is then shown with
// TailleFichier.
void chargerFichiersCompilateur(Session& session, const SettingsStore& store,
                                const QString& dossierProgramme);
void sauverFichiersCompilateur(const Configuration& config, SettingsStore& store);

} // namespace tessaline
