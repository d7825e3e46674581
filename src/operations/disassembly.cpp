#include "operations/disassembly.h"

#include "disasm/desass_instr.h"
#include "link/control_names.h"
#include "link/conversions.h"
#include "link/trace.h"
#include "link/transfer.h"
#include "operations/memory_read.h"

namespace tessaline {

namespace {
constexpr int OctetsListes = 16;
constexpr int OctetsLus = 6; // the longest instruction is 5 bytes

void echo(Session& s) {
    Screen& e = s.ecran();
    e.clear(Zone::Echo);
    e.append(Zone::Echo, QStringLiteral("Disassemble "), couleur::Rouge);
    e.append(Zone::Echo, s.console.CmdAdresse, couleur::Bleu);
}
} // namespace

QString nomOperande(const TableSymboles& symboles, const QString& hexa, const Desassemblage& d) {
    const OpcodeEntry* op = opcodeAt(hexa);
    if (!op || symboles.vide()) return {};
    switch (op->instrClass) {
    case InstrClass::Direct:
    case InstrClass::Extended:
    case InstrClass::Relative:
    case InstrClass::BitBranchDirect:
    case InstrClass::BitBranchIndexedX:
    case InstrClass::BitBranchIndexedY: return marqueSymbole(symboles, d.AdrDest.toInt(nullptr, 16));
    default: return {};
    }
}

void Disassemble(Session& session) {
    Screen& e = session.ecran();
    EtatConsole& c = session.console;
    e.setEnabled(controle::Disassemble, false);
    if (c.CmdAdresse.isEmpty()) c.CmdAdresse = DecHexa4(session.config.DepartEEprom);
    echo(session);
    TraceEcho(session);

    // A stop asked ends the listing between two reads.
    for (int couverts = 0; couverts < OctetsListes && !arretDemande(session);) {
        const QString hexa = LoadMem(session, c.CmdAdresse, OctetsLus);
        // A failed read has been reported and the link state updated: going on
        // would only repeat the report (and its time-out) for every byte.
        if (hexa.isEmpty()) break;
        const Desassemblage d =
            DesassInstr(hexa, c.CmdAdresse, session.registres.RegIX, session.registres.RegIY);
        // A label names the line it starts; the operand is named in full.
        e.appendListing(c.CmdAdresse + marqueSymbole(session.symboles, HexaDec(c.CmdAdresse), true) +
                        QStringLiteral("  ") + d.ligne + nomOperande(session.symboles, hexa, d));
        couverts += d.LongInstr;
        c.CmdAdresse = DecHexa4((HexaDec(c.CmdAdresse) + d.LongInstr) & 0xFFFF);
    }

    e.setText(controle::Adresse, c.CmdAdresse);
    echo(session);
    e.setEnabled(controle::Disassemble, true);
}

} // namespace tessaline
