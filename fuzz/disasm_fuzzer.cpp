// The 68HC11 decoder on any machine code and any address and index texts: the
// input is "code|address|IX|IY" (missing fields are empty).
#include "disasm/desass_instr.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace tessaline;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QStringList champs =
        QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size)).split(u'|');
    while (champs.size() < 4)
        champs.append(QString());

    const Desassemblage d = DesassInstr(champs[0], champs[1], champs[2], champs[3]);
    if (d.LongInstr < 1 || d.LongInstr > 5) std::abort();
    const OpcodeEntry* op = opcodeAt(champs[0]);
    // A data byte is one byte long; an instruction is as long as its bytes.
    if (op == nullptr && d.LongInstr != 1) std::abort();
    if (op == nullptr && transfersControl(champs[0])) std::abort();
    return 0;
}
