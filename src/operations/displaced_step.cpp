#include "operations/displaced_step.h"

#include "disasm/desass_instr.h"
#include "disasm/opcode_map.h"
#include "link/board_tools.h"
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/planted_bytes.h"
#include "link/registers.h"
#include "link/talker_image.h"
#include "link/talker_protocol.h"
#include "link/transfer.h"
#include "operations/memory_read.h"
#include "operations/program_run.h"

#include <algorithm>

namespace tessaline {

namespace {

// The I bit of the condition code register (M68HC11 Reference Manual 6.2.6):
// set, the program takes no maskable interrupt.
constexpr int BitI = 0x10;
// The X bit: RTI may clear it, never set it (Reference Manual 6.2.6).
constexpr int BitX = 0x40;
// The longest instruction (5 bytes, prebyte included) and two SWIs.
constexpr int TailleCopie = 8;
// Under the program's SP: its frame (9 bytes) and the Talker's own frames and
// calls when it stops (23 bytes down), kept clear of the copy.
constexpr int SousPile = 32;

int reg(const QString& t) {
    return HexaDec(t) & 0xFFFF;
}

bool est(QLatin1StringView m, const char* nom) {
    return m == QLatin1StringView(nom);
}

bool ecrire(Session& s, int adresse, const QByteArray& octets) {
    const Resultat<QByteArray> r = ecrireMemoire(s, adresse, octets, s.config.Timeout);
    return r.ok() && r.donnees == octets;
}

QByteArray lire(Session& s, int adresse, int n) {
    const Resultat<QByteArray> r = lireMemoire(s, adresse, n, s.config.Timeout);
    return r.ok() && r.donnees.size() == n ? r.donnees : QByteArray();
}

bool chevauche(int a, int n, int b, int m) {
    return a < b + m && b < a + n;
}

// The memory the instruction reads or writes, as far as it can be known: the
// operand address (two bytes for the 16-bit ones), or for BSET/BCLR the byte
// their direct or indexed operand names.
int operande(const QByteArray& o, const Desassemblage& d, const JeuRegistres& r) {
    const int op = static_cast<quint8>(o[0]);
    const int op2 = o.size() > 1 ? static_cast<quint8>(o[1]) : 0;
    if (op == 0x14 || op == 0x15) return op2;
    if (op == 0x1C || op == 0x1D) return (reg(r.RegIX) + op2) & 0xFFFF;
    if (op == 0x18 && (op2 == 0x1C || op2 == 0x1D) && o.size() > 2)
        return (reg(r.RegIY) + static_cast<quint8>(o[2])) & 0xFFFF;
    return reg(d.AdrDest);
}

// Where the copy can go: 8 bytes of RAM above the Talker that the instruction
// does not touch, clear of the stack and of the user's breakpoints. -1 when
// the chip has none (a 256-byte RAM is all the Talker's).
int zoneLibre(const Session& s, int operandeAdr) {
    const int debut = std::max(static_cast<int>(s.config.DepartRam), talker::ImageBytes);
    const int fin = static_cast<int>(s.config.FinRam());
    const int sp = reg(s.registres.RegSP);
    for (int t = debut; t + TailleCopie - 1 <= fin; t += TailleCopie) {
        if (chevauche(t, TailleCopie, sp - SousPile, SousPile + 3)) continue;
        if (chevauche(t, TailleCopie, operandeAdr - 2, 5)) continue;
        const bool surPoint =
            std::any_of(s.points.liste.begin(), s.points.liste.end(),
                        [t](const PointArret& p) { return chevauche(t, TailleCopie, p.adresse, 1); });
        if (!surPoint) return t;
    }
    return -1;
}

void poserPc(Session& s, int pc) {
    changerRegistre(s, &JeuRegistres::RegPC, DecHexa4(pc & 0xFFFF));
}

// BRA, BRN, JMP, RTS and RTI, done by the host: they move only the PC, and SP
// upwards (the host must not write below the program's SP while the Talker
// idles there: its own frames are there). False (said) when a
// stack access failed.
bool deplacerPc(Session& s, QLatin1StringView m, int pc, const Desassemblage& d) {
    const int suivante = (pc + d.LongInstr) & 0xFFFF;
    const int sp = reg(s.registres.RegSP);
    if (est(m, "BRN")) {
        poserPc(s, suivante);
    } else if (est(m, "BRA") || est(m, "JMP")) {
        poserPc(s, reg(d.AdrDest));
    } else if (est(m, "RTS")) {
        const QByteArray p = lire(s, (sp + 1) & 0xFFFF, 2);
        if (p.isEmpty()) return false;
        changerRegistre(s, &JeuRegistres::RegSP, DecHexa4((sp + 2) & 0xFFFF));
        poserPc(s, static_cast<quint8>(p[0]) << 8 | static_cast<quint8>(p[1]));
    } else { // RTI pulls CCR, B, A, IX, IY and PC (Reference Manual 5.7)
        const QByteArray p = lire(s, (sp + 1) & 0xFFFF, 9);
        if (p.isEmpty()) return false;
        auto o = [&p](int i) { return static_cast<quint8>(p[i]); };
        const int ccr = o(0) & (reg(s.registres.RegCCR) | ~BitX);
        changerRegistre(s, &JeuRegistres::RegCCR, DecHexa2(ccr & 0xFF));
        changerRegistre(s, &JeuRegistres::RegB, DecHexa2(o(1)));
        changerRegistre(s, &JeuRegistres::RegA, DecHexa2(o(2)));
        changerRegistre(s, &JeuRegistres::RegIX, DecHexa4(o(3) << 8 | o(4)));
        changerRegistre(s, &JeuRegistres::RegIY, DecHexa4(o(5) << 8 | o(6)));
        changerRegistre(s, &JeuRegistres::RegSP, DecHexa4((sp + 9) & 0xFFFF));
        poserPc(s, o(7) << 8 | o(8));
    }
    return true;
}

BoardTools::Registres registresCpu(Session& s) {
    const JeuRegistres& r = s.registres;
    BoardTools::Registres c;
    c.a = uint8_t(reg(r.RegA));
    c.b = uint8_t(reg(r.RegB));
    c.ccr = uint8_t(reg(r.RegCCR));
    c.x = uint16_t(reg(r.RegIX));
    c.y = uint16_t(reg(r.RegIY));
    c.sp = uint16_t(reg(r.RegSP));
    c.pc = uint16_t(reg(r.RegPC));
    return c;
}

} // namespace

FinHorsPlace executerHorsPlace(Session& s, int pc) {
    const QString hexa = LoadMem(s, DecHexa4(pc), 6);
    if (hexa.isEmpty()) return FinHorsPlace::Echec;
    // A simulated board's history must hold the instruction as the program ran it.
    const BoardTools::Registres avant = registresCpu(s);
    const Desassemblage d = DesassInstr(hexa, DecHexa4(pc), s.registres.RegIX, s.registres.RegIY);
    const OpcodeEntry* op = opcodeAt(hexa);
    const QLatin1StringView m = op ? QLatin1StringView(op->mnemonic) : QLatin1StringView();
    for (const char* saut : {"BRA", "BRN", "JMP", "RTS", "RTI"})
        if (est(m, saut)) {
            if (!deplacerPc(s, m, pc, d)) return FinHorsPlace::Echec;
            if (s.outilsCarte) s.outilsCarte->noterPasDeLHote(avant);
            return FinHorsPlace::Fait;
        }

    const QByteArray octets = QByteArray::fromHex(hexa.left(2 * d.LongInstr).toLatin1());
    const bool appel = est(m, "JSR") || est(m, "BSR");
    const int t = zoneLibre(s, appel ? -1 : operande(octets, d, s.registres));
    if (t < 0) return FinHorsPlace::Impossible;
    const bool conditionnel = !appel && transfersControl(hexa);
    QByteArray copie = octets;
    if (appel) {
        // A call to the SWI just after it: the CPU pushes a return address
        // (the copy's, put right after) and lowers SP as the call would.
        copie = QByteArray::fromHex("BD");
        copie.append(static_cast<char>(((t + 3) >> 8) & 0xFF));
        copie.append(static_cast<char>((t + 3) & 0xFF));
    }
    if (conditionnel) copie[copie.size() - 1] = 1;
    copie.append(static_cast<char>(OctetSwi));
    if (conditionnel) copie.append(static_cast<char>(OctetSwi));

    const QByteArray sauve = lire(s, t, int(copie.size()));
    if (sauve.isEmpty()) return FinHorsPlace::Echec;
    const RetraitEnCours retrait(s);
    if (!ecrire(s, t, copie)) {
        ecrire(s, t, sauve);
        return FinHorsPlace::Echec;
    }
    // Interrupts masked for this one instruction, unless it is the one that
    // changes the mask or waits for an interrupt.
    const int ccr = reg(s.registres.RegCCR);
    const bool masquer = !(est(m, "CLI") || est(m, "TAP") || est(m, "WAI"));
    if (masquer) changerRegistre(s, &JeuRegistres::RegCCR, DecHexa2((ccr | BitI) & 0xFF));
    poserPc(s, t);
    Arret arret = Arret::Perdu;
    if (RunProgPC(s, false)) arret = attraperArret(s);
    const bool remis = ecrire(s, t, sauve);
    if (!remis && s.liaison.talkerPresent)
        AfficheEchec(s.ecran(), QStringLiteral("RAM %1-%2 non r\u00e9tablie apr\u00e8s le pas (octets %3)")
                                    .arg(DecHexa4(t), DecHexa4(t + int(sauve.size()) - 1),
                                         QString::fromLatin1(sauve.toHex(' ').toUpper())));
    if (arret == Arret::Perdu) return FinHorsPlace::Echec;
    if (masquer) {
        const int apres = reg(s.registres.RegCCR);
        changerRegistre(s, &JeuRegistres::RegCCR, DecHexa2(((apres & ~BitI) | (ccr & BitI)) & 0xFF));
    }
    const int ici = reg(s.registres.RegPC);
    // An SWI reports the address after it; a watchpoint on the simulated board stops
    // the program right after the copied instruction, with no SWI run.
    const bool observation = s.outilsCarte && s.outilsCarte->declenchementEnAttente();
    const int arretA = observation ? ici : (ici - 1) & 0xFFFF;
    // The instruction ran; a watchpoint it set off stops the program there.
    const FinHorsPlace fait = observation ? FinHorsPlace::Ailleurs : FinHorsPlace::Fait;
    if (appel && arret == Arret::Arrete && arretA == t + 3) {
        // The return address the call pushed, at SP + 1, becomes the program's.
        const int retour = (pc + d.LongInstr) & 0xFFFF;
        QByteArray pile;
        pile.append(static_cast<char>((retour >> 8) & 0xFF));
        pile.append(static_cast<char>(retour & 0xFF));
        if (!ecrire(s, (reg(s.registres.RegSP) + 1) & 0xFFFF, pile)) {
            AfficheEchec(s.ecran(),
                         QStringLiteral("Erreur Pas : la pile SP=%1 n'a pas pu \u00eatre \u00e9crite")
                             .arg(s.registres.RegSP));
            return FinHorsPlace::Echec;
        }
        poserPc(s, reg(d.AdrDest));
        if (s.outilsCarte) s.outilsCarte->corrigerDernierPas(avant);
        return fait;
    }
    if (!appel && arret == Arret::Arrete && arretA == t + d.LongInstr) {
        poserPc(s, pc + d.LongInstr);
        if (s.outilsCarte) s.outilsCarte->corrigerDernierPas(avant);
        return fait;
    }
    if (arret == Arret::Arrete && conditionnel && arretA == t + d.LongInstr + 1) {
        poserPc(s, reg(d.AdrDest));
        if (s.outilsCarte) s.outilsCarte->corrigerDernierPas(avant);
        return fait;
    }
    // Stopped by the host inside the copy (a WAI, a STOP): the same place in
    // the program.
    if (!appel && ici >= t && ici <= t + d.LongInstr) {
        poserPc(s, pc + (ici - t));
        if (s.outilsCarte) s.outilsCarte->corrigerDernierPas(avant);
    }
    return FinHorsPlace::Ailleurs;
}

} // namespace tessaline
