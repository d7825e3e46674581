#include "asm/opcode_index.h"

#include <QHash>

namespace tessaline::asm11 {
namespace {

using Index = QHash<QString, QVector<FormeInstruction>>;

Index construireIndex() {
    Index index;
    for (int p = 0; p < kOpcodePageCount; ++p) {
        const auto page = OpcodePage(p);
        for (int code = 0; code < 256; ++code) {
            const OpcodeEntry* e = opcodeEntry(page, uint8_t(code));
            if (e == nullptr) continue;
            index[QLatin1String(e->mnemonic)].append(
                {prebyteOf(page), uint8_t(code), e->instrClass, e->length});
        }
    }
    // The second names the reference manual gives to the same opcodes.
    const std::pair<const char*, const char*> alias[] = {{"LSL", "ASL"},   {"LSLA", "ASLA"}, {"LSLB", "ASLB"},
                                                         {"LSLD", "ASLD"}, {"BHS", "BCC"},   {"BLO", "BCS"}};
    for (const auto& [autre, nom] : alias)
        index.insert(QLatin1String(autre), index.value(QLatin1String(nom)));
    return index;
}

} // namespace

const QVector<FormeInstruction>* formesDe(const QString& mnemonique) {
    static const Index index = construireIndex();
    const auto it = index.constFind(mnemonique.toUpper());
    return it == index.constEnd() ? nullptr : &it.value();
}

const FormeInstruction* formeDeClasse(const QVector<FormeInstruction>& formes, InstrClass classe) {
    for (const FormeInstruction& f : formes)
        if (f.classe == classe) return &f;
    return nullptr;
}

} // namespace tessaline::asm11
