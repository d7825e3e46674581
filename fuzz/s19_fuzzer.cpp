// The host's S-record readers: the EEPROM download's parser (analyserS19) and the
// files window's S19 view (vueS19), on any file text.
#include "operations/s19_file.h"
#include "ui/s19_view.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray texte(reinterpret_cast<const char*>(data), qsizetype(size));

    const tessaline::FichierS19Lu lu = tessaline::analyserS19(texte);
    // Every record's data must have come from its own line: never more bytes than
    // the text has hexadecimal digit pairs.
    if (lu.lu && qsizetype(lu.octets()) * 2 > texte.size()) std::abort();
    for (const auto& e : lu.enregistrements)
        if (e.adresse < 0 || e.adresse > 0xFFFF || e.ligne < 1) std::abort();

    QString lignes = QString::fromLatin1(texte);
    lignes.remove(u'\r');
    const tessaline::VueS19 vue = tessaline::vueS19(lignes.split(u'\n'));
    if (vue.nbOctets < 0) std::abort();
    return 0;
}
