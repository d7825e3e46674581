// Erasing the EEPROM of the current hardware profile: in one bulk-erase pulse
// by a routine in RAM (eeprom_bulk_erase.h) where the chip allows it, else $FF
// written into it in blocks of 64 bytes through the Talker's write command,
// which erases and programs each byte and sends back what the cell then reads.
#pragma once

#include "link/session.h"

namespace tessaline {

enum class FinEffacement { Efface, Annule, Echec };

// The erase itself, inside the progress window: the bulk erase, or (why said
// in the trace) one block after the other from DepartEEprom while the block
// starts in the EEPROM; Cancel is honoured before each block (a block begun is
// finished). A byte that does not read back as $FF stops it with "Erreur
// FillERASE Adresse : " and that byte's address.
FinEffacement EraseEEPROM(Session& session);

// The console's Erase EEPROM: the echo, the beep and the question; on Yes the
// erase in the progress window. Nothing is sent on No (NonConfirme).
enum class FinCommandeEffacement { Efface, Annule, Echec, NonConfirme };
FinCommandeEffacement effacerEeprom(Session& session);
void cmdErasEEPROM(Session& session);

} // namespace tessaline
