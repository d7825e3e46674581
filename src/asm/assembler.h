// The two-pass assembler for 68HC11 sources in the classic Motorola style.
//
// Pass 1 gives every label its address and fixes each instruction's length
// (direct or extended is chosen there); pass 2 encodes with every symbol known
// and reports the faults. Directives: ORG (any number), EQU, FCB, FDB, FCC
// (a string between two equal delimiters, no terminating byte), RMB (reserves,
// emits nothing), END (an optional start address; lines after it are not
// assembled); also BSZ and ZMB (that many zero bytes), FILL value,count, and
// OPT and PAGE, which are ignored. Mnemonics and directives take any case;
// symbols are case sensitive. Expressions: see expression.h.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <optional>

namespace tessaline::asm11 {

struct LigneAssemblee {
    int numero = 0;   // from 1
    QString texte;    // as written, without its line end
    int adresse = -1; // the location counter at the line when it holds code or RMB; -1 otherwise
    QByteArray octets;
    std::optional<int32_t> valeurEqu; // the value an EQU line gave its label
    QStringList erreurs;
};

struct MessageAssemblage {
    int ligne = 0;
    QString texte;
};

struct Assemblage {
    QVector<LigneAssemblee> lignes;
    QMap<QString, int32_t> symboles; // labels and EQU names, sorted by name
    QVector<MessageAssemblage> erreurs;
    std::optional<int32_t> depart; // END's operand

    int nombreOctets() const;
};

// The largest source file the assembler reads: far more than the source of
// any program for a 64 KB address space.
inline constexpr qint64 TailleMaxSource = qint64(4) << 20;

Assemblage assembler(const QString& source);

} // namespace tessaline::asm11
