// Writing target memory through the Talker's write-memory command. The Talker
// erases and programs each byte, then sends back what the location holds: the
// same exchange writes RAM and EEPROM, and every byte is checked.
#pragma once

#include "link/session.h"

namespace tessaline {

// `count` (1 to 255) copies of the byte `valeur` (hex text) from `adresse`.
// "Erreur Fill Adresse : " and the failing address on a failure. A count
// outside 1..255 sends nothing. True when every byte read back as written.
bool FillMem(Session& session, int count, const QString& adresse, const QString& valeur);

// The console's fill command: CmdAdresse, CmdLongueur (0 gives 64, above 255
// gives 255), CmdValeur.
void MemFill(Session& session);

// The bytes of `donnees` (1 to 255) from `adresse`. "Erreur MSET" on a failure.
void MSet(Session& session, const QString& adresse, const QByteArray& donnees);

// The console's set command: CmdValeur, two hex digits a byte, from CmdAdresse.
void MemSet(Session& session);

} // namespace tessaline
