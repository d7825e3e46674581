// Verify: the target's memory compared, byte for byte, with what an S-record
// file would put there. Each S1 record's range is read back through the
// Talker's read command; nothing is written.
#pragma once

#include "link/session.h"
#include "operations/s19_file.h"

#include <cstdint>

namespace tessaline {

// One byte that differs: where, what the file holds, what the target read.
struct EcartVerification {
    int adresse = 0;
    std::uint8_t attendu = 0;
    std::uint8_t lu = 0;
    bool operator==(const EcartVerification&) const = default;
};

struct BilanVerification {
    enum class Fin { Verifie, Annule, Echec };
    Fin fin = Fin::Verifie;
    int octetsLus = 0; // bytes read and compared
    QVector<EcartVerification> ecarts;
    bool conforme() const { return fin == Fin::Verifie && ecarts.isEmpty(); }
};

// What the file's S1 records put in memory, address by address: a later
// record that covers an earlier one's bytes wins, as it would when programmed.
// Empty with `erreur` set when a record runs past $FFFF (it would wrap to
// $0000, where no program of the file can be meant).
struct ImageS19 {
    QVector<std::pair<int, QByteArray>> plages; // contiguous runs, ascending
    QString erreur;
};
ImageS19 imageS19(const FichierS19Lu& fichier);

// Reads every run of `image` back from the target, at most 256 bytes an
// exchange, and lists each byte that differs. Cancel is looked at between
// two exchanges. A failed read says so (with the address), checks the Talker
// and ends with Fin::Echec: what was compared until then stays in the report.
BilanVerification verifierImage(Session& session, const ImageS19& image);

// "Vérifier *.S19": the current S-record file (FichierS19) read, then verified
// inside the progress window. The trace gets the echo, a line per difference
// (the first TraceEcartsMax of them) and the count.
inline constexpr int TraceEcartsMax = 64;
BilanVerification VerifS19(Session& session);

// The console's Vérifier *.S19 on Execute: VerifS19, then its outcome in a
// message box (a failed read has said so already).
void verifierS19(Session& session);

} // namespace tessaline
