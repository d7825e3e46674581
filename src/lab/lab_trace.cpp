#include "lab_trace.h"

#include "disasm/desass_instr.h"
#include "lab_case_run.h"

#include <QStringList>

#include <algorithm>
#include <cstdio>

namespace tessaline::lab {

namespace {

QString hexa(unsigned v, int chiffres) {
    return QStringLiteral("%1").arg(v, chiffres, 16, QLatin1Char('0')).toUpper();
}

} // namespace

void TraceLab::instruction(uint64_t cycle, uint16_t pc, const uint8_t* octets, int longueur,
                           const hc11::Registers& avant) {
    if (garder_) {
        if (dernieres_.size() == InstructionsTrace) dernieres_.pop_front();
        dernieres_.push_back({cycle, pc, {}, avant});
        std::copy(octets, octets + std::min(longueur, 5), dernieres_.back().octets.begin());
    }
    if (guettees_.test(pc) && !atteinte_) {
        atteinte_ = pc;
        cycleAtteinte_ = cycle;
        carte_.requestStop();
    }
}

std::vector<std::string> TraceLab::lignes(uint64_t debut) const {
    std::vector<std::string> r;
    for (const Pas& p : dernieres_) {
        QString octets;
        for (uint8_t o : p.octets)
            octets += hexa(o, 2);
        const Desassemblage d = DesassInstr(octets, hexa(p.pc, 4), hexa(p.avant.x, 4), hexa(p.avant.y, 4));
        // The listing line without its bytes: the mnemonic and the operand.
        const QString texte =
            d.ligne.split(QLatin1Char('\t'), Qt::SkipEmptyParts).mid(1).join(QLatin1Char(' '));
        char b[160];
        std::snprintf(b, sizeof b, "%10llu  %04X  %-18s A=%02X B=%02X X=%04X Y=%04X SP=%04X CCR=%02X",
                      static_cast<unsigned long long>(p.cycle - debut), p.pc, texte.toStdString().c_str(),
                      p.avant.a, p.avant.b, p.avant.x, p.avant.y, p.avant.sp, p.avant.ccr);
        r.emplace_back(b);
    }
    return r;
}

} // namespace tessaline::lab
