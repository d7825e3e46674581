#include "disasm/desass_instr.h"

#include "disasm/binary_conversions.h"
#include "link/conversions.h"

#include <QLatin1String>
#include <QStringView>

#include <algorithm>
#include <initializer_list>

namespace tessaline {
namespace {

// Byte number `index` (0 for the first) of `hexa` read as two upper-case hexadecimal
// digits; -1 when the text does not hold two such digits there. Opcodes are matched on
// the text as it stands, so lower case never forms one.
int upperHexByte(const QString& hexa, qsizetype index) {
    const qsizetype pos = 2 * index;
    if (hexa.size() < pos + 2) return -1;
    int valeur = 0;
    for (qsizetype i = pos; i < pos + 2; ++i) {
        const char16_t u = hexa[i].unicode();
        int chiffre = 0;
        if (u >= u'0' && u <= u'9')
            chiffre = u - u'0';
        else if (u >= u'A' && u <= u'F')
            chiffre = u - u'A' + 10;
        else
            return -1;
        valeur = valeur * 16 + chiffre;
    }
    return valeur;
}

// A 16-bit address or register text. Four digits hold any 16-bit value; reading only
// the last four takes a longer text modulo $10000 and keeps HexaDec from overflowing.
uint16_t valeur16(const QString& texte) {
    return uint16_t(HexaDec(texte.right(4)));
}

QString adresse4(int valeur) {
    return DecHexa4(int64_t(uint16_t(valeur)));
}

void ajoute(QString& ligne, std::initializer_list<QStringView> morceaux) {
    for (QStringView m : morceaux)
        ligne += m;
}

// Tabs between the bytes and the mnemonic. The four-byte immediates (CPY, LDY, CPD #)
// take one tab fewer, their eight digits reaching the next tab stop on their own.
QStringView tabsAvantMnemonique(InstrClass c, bool prefixe) {
    return (c == InstrClass::Immediate16 && prefixe) ? QStringView(u"\t\t") : QStringView(u"\t\t\t");
}

} // namespace

const OpcodeEntry* opcodeAt(const QString& hexa) {
    const int premier = upperHexByte(hexa, 0);
    if (premier < 0) return nullptr;
    const OpcodePage page = pageOfPrebyte(uint8_t(premier));
    const OpcodeEntry* entry = nullptr;
    if (page == OpcodePage::Page1) {
        entry = opcodeEntry(page, uint8_t(premier));
    } else {
        // A prebyte with no known second byte is no page-1 opcode either: a data byte.
        const int second = upperHexByte(hexa, 1);
        if (second >= 0) entry = opcodeEntry(page, uint8_t(second));
    }
    if (entry != nullptr && hexa.size() < 2 * entry->length) return nullptr;
    return entry;
}

bool transfersControl(const QString& hexa) {
    const OpcodeEntry* entry = opcodeAt(hexa);
    return entry != nullptr && transfersControl(*entry);
}

Desassemblage DesassInstr(const QString& hexa, const QString& adresse, const QString& RegIX,
                          const QString& RegIY) {
    const int a = valeur16(adresse);
    const QStringView octets(hexa);
    Desassemblage d;
    QString& ligne = d.ligne;
    ligne.reserve(48);

    const OpcodeEntry* entry = opcodeAt(hexa);
    if (entry == nullptr) {
        const QStringView b1 = octets.first(std::min<qsizetype>(2, octets.size()));
        ajoute(ligne, {u"\t", b1, u"\t\t\tFCB\t$", b1});
        d.LongInstr = 1;
        d.AdrDest = adresse4(a + 1);
        return d;
    }

    const int longueur = entry->length;
    const InstrClass classe = entry->instrClass;
    const bool prefixe = longueur > 1 + operandBytes(classe);
    // Operand byte n (1 for the first after the opcode) as it stands in the text.
    const auto op = [&](int n) { return octets.mid(2 * ((prefixe ? 1 : 0) + n), 2); };
    const int suivante = a + longueur;
    const auto cible = [&](QStringView deplacement) {
        return adresse4(suivante + HexSigne8(deplacement.toString()));
    };
    const auto indexe = [&](const QString& registre) {
        return adresse4(valeur16(registre) + HexaDec(op(1).toString()));
    };

    d.LongInstr = longueur;
    d.AdrDest = adresse4(suivante);
    ajoute(ligne, {u"\t", octets.first(2 * longueur), tabsAvantMnemonique(classe, prefixe)});
    ligne += QLatin1String(entry->mnemonic);

    switch (classe) {
    case InstrClass::Inherent: break;
    case InstrClass::Immediate8: ajoute(ligne, {u"\t#$", op(1)}); break;
    case InstrClass::Immediate16: ajoute(ligne, {u"\t#$", op(1), op(2)}); break;
    case InstrClass::Direct:
        ajoute(ligne, {u"\t$", op(1)});
        d.AdrDest = op(1).toString();
        break;
    case InstrClass::Extended:
        ajoute(ligne, {u"\t$", op(1), op(2)});
        d.AdrDest = op(1).toString();
        d.AdrDest += op(2);
        break;
    case InstrClass::IndexedX:
        ajoute(ligne, {u"\t$", op(1), u" , X"});
        d.AdrDest = indexe(RegIX);
        break;
    case InstrClass::IndexedY:
        ajoute(ligne, {u"\t$", op(1), u" , Y"});
        d.AdrDest = indexe(RegIY);
        break;
    case InstrClass::Relative:
        d.AdrDest = cible(op(1));
        ajoute(ligne, {u"\t$", d.AdrDest});
        break;
    case InstrClass::BitDirect: ajoute(ligne, {u"\t$", op(1), u"\t%", HexBin(op(2).toString())}); break;
    case InstrClass::BitIndexedX: ajoute(ligne, {u"\t$", op(1), u" , X %", HexBin(op(2).toString())}); break;
    case InstrClass::BitIndexedY: ajoute(ligne, {u"\t$", op(1), u" , Y %", HexBin(op(2).toString())}); break;
    case InstrClass::BitBranchDirect:
        d.AdrDest = cible(op(3));
        ajoute(ligne, {u"\t$", op(1), u"\t$", op(2), u"\t$", d.AdrDest});
        break;
    case InstrClass::BitBranchIndexedX:
        d.AdrDest = cible(op(3));
        ajoute(ligne, {u"\t$", op(1), u" , X $", op(2), u"\t$", d.AdrDest});
        break;
    case InstrClass::BitBranchIndexedY:
        d.AdrDest = cible(op(3));
        ajoute(ligne, {u"\t$", op(1), u" , Y $", op(2), u"\t$", d.AdrDest});
        break;
    }
    return d;
}

} // namespace tessaline
