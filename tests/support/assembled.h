// Small programs for the tests that run code on the simulated chip, written in the
// classic syntax and assembled by our own assembler.
#pragma once

#include "asm/assembler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tessaline::test {

// The bytes of `source` (one block: no ORG of its own) assembled from `origin`.
inline std::vector<uint8_t> assemble(const std::string& source, uint16_t origin = 0) {
    const asm11::Assemblage a =
        asm11::assembler(QStringLiteral(" ORG %1\n").arg(origin) + QString::fromStdString(source));
    for (const asm11::MessageAssemblage& m : a.erreurs)
        ADD_FAILURE() << "line " << m.ligne - 1 << " of the test's program: " << m.texte.toStdString();
    std::vector<uint8_t> bytes;
    for (const asm11::LigneAssemblee& l : a.lignes)
        bytes.insert(bytes.end(), l.octets.begin(), l.octets.end());
    return bytes;
}

} // namespace tessaline::test
