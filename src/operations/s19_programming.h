// The S-record download into the target's EEPROM: each S1 record of the
// current S-record file written through the Talker's write command, which
// erases and programs every byte and sends back what the cell then reads.
#pragma once

#include "link/session.h"
#include "operations/s19_file.h"

namespace tessaline {

// How a download ended, and what it wrote.
struct BilanProgrammation {
    enum class Fin { Programme, Annule, Echec };
    Fin fin = Fin::Programme;
    int ecrits = 0;        // bytes sent to be programmed
    int dejaBons = 0;      // bytes left alone because the cell already held them
    int sommesFausses = 0; // S1 records of the file whose checksum is wrong (programmed all the same)
    bool reussi() const { return fin == Fin::Programme; }
};

// One record: `donnees` written from `adresse` (four hexadecimal digits). True
// when every byte read back as sent; otherwise "Erreur EnvoiS19" is shown with
// the address of the byte that failed (and, past the EEPROM's end, that it
// lies there), and the link is checked.
bool EnvoiS19(Session& session, const QByteArray& donnees, const QString& adresse);

// Downloads FichierS19 inside the progress window, record by record, until the
// end of the file, the first record that starts outside the EEPROM (or would
// run past $FFFF), a failed record or Cancel (the record being written is
// finished). With `seulementModifies`, each record's range is read first and
// only the bytes that differ are written. The progress bar counts the file's
// own data bytes. A missing file sends nothing. Before anything is sent, each
// S1 record whose checksum is wrong is named on one line of the trace; the
// records are programmed all the same.
BilanProgrammation ProgS19(Session& session, bool seulementModifies = false);

// The console's Load *.S19 on Execute: the echo into the trace, then ProgS19
// in the progress window.
void chargerS19(Session& session);
BilanProgrammation chargerS19(Session& session, bool seulementModifies);

} // namespace tessaline
