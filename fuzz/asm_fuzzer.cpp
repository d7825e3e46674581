// The assembler on any source text, with its three products: the listing, the
// symbol table and the S-record image.
#include "asm/assembler.h"
#include "asm/listing_output.h"
#include "asm/srecord_output.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace tessaline::asm11;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString source = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    const Assemblage a = assembler(source);
    for (const LigneAssemblee& l : a.lignes)
        if (l.adresse < -1 || l.adresse > 0xFFFF) std::abort();
    const QByteArray listing = texteListing(a);
    texteSymboles(a);
    texteS19(a, QStringLiteral("fuzz"));
    for (const LigneAssemblee& l : a.lignes)
        if (l.adresse >= 0 && !l.octets.isEmpty())
            ligneListingDeAdresse(QString::fromLatin1(listing), l.adresse);
    return 0;
}
