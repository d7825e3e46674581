// Saving a range of target memory into a file the user names: the bytes as
// they are (.BIN), or a disassembly listing (.DIS), one instruction a line.
// The file is written as every save is (link/regular_file.h): only over a
// regular file, checked before anything is read, and replacing the old one
// only once every byte of the range has been read, so a failed read leaves
// the old file as it was.
#pragma once

#include "link/session.h"

#include <functional>

namespace tessaline {

enum class FinTeleversement {
    Sauvegarde, // the file holds the whole range
    Vide,       // a length of 0: nothing read, the old file kept
    Abandonne,  // the save dialog cancelled, or a stop asked
    Echec,      // a read failed or the file could not be written: the old file kept
};

// Called with the file's full name and the range (first and last address)
// once both are known, before anything is read.
using AvantTeleversement = std::function<void(const QString& fichier, int debut, int fin)>;

// The range CmdAdresse, CmdLongueur (unlimited length) read in chunks of 64
// bytes into a binary file. A range past $FFFF is refused before anything is
// asked or read. A name typed without an extension gets .BIN, as the dialog's
// filter says (and an existing file of that name is replaced only if the
// user says so).
FinTeleversement UpLoadBIN(Session& session, const AvantTeleversement& avant = {});
// The range listed from CmdAdresse, one six-byte read per instruction, until an
// instruction starts past the end or the listing reaches $FFFF. A name
// without an extension gets .DIS.
FinTeleversement UpLoadDIS(Session& session, const AvantTeleversement& avant = {});

// The console's commands on Execute: each writes its trace entry, with the
// range and the file, once the file is chosen.
void cmdUpLoadBIN(Session& session);
void cmdUpLoadDIS(Session& session);

} // namespace tessaline
