// Saving a range of target memory into a file the user names: the bytes as
// they are (.BIN), or a disassembly listing (.DIS), one instruction a line.
// The file is written as every save is (link/regular_file.h): only over a
// regular file, checked before anything is read, and replacing the old one
// only once every byte of the range has been read, so a failed read leaves
// the old file as it was.
#pragma once

#include "link/session.h"

namespace tessaline {

enum class FinTeleversement {
    Sauvegarde, // the file holds the whole range
    Vide,       // a length of 0: nothing read, the old file kept
    Abandonne,  // the save dialog cancelled, or a stop asked
    Echec,      // a read failed or the file could not be written: the old file kept
};

// The range CmdAdresse, CmdLongueur (unlimited length) read in chunks of 64
// bytes into a binary file. A range past $FFFF is refused before anything is
// asked or read.
FinTeleversement UpLoadBIN(Session& session);
// The range listed from CmdAdresse, one six-byte read per instruction, until an
// instruction starts past the end or the listing reaches $FFFF.
FinTeleversement UpLoadDIS(Session& session);

// The console's commands on Execute.
void cmdUpLoadBIN(Session& session);
void cmdUpLoadDIS(Session& session);

} // namespace tessaline
