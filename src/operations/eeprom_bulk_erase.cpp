#include "operations/eeprom_bulk_erase.h"

#include "link/conversions.h"
#include "link/talker_protocol.h"
#include "operations/eeprom_registers.h"
#include "operations/ram_routine.h"

namespace tessaline {

namespace {

// PPROG values (MC68HC11A8 TD 3.5.1): ERASE with EELAT, BYTE and ROW clear,
// is a bulk erase; EEPGM then turns the charge pump on.
constexpr int PprogBulk = 0x06;
constexpr int PprogBulkPompe = 0x07;

// A = PPROG bulk, B = PPROG bulk with the pump, X = an array address (its
// start), Y = the 10-ms count of the Talker's own delay loop (7 cycles a
// turn). After the pulse the routine reads the array from X on and stops at
// the first byte that is not $FF, or past the end: the SWI leaves X there.
QByteArray routineEffacement(int finPlusUn) {
    QByteArray c = QByteArray::fromHex("B7103B" // STAA PPROG     latch, bulk erase
                                       "A700"   // STAA 0,X       any array address
                                       "F7103B" // STAB PPROG     pump on
                                       "1809"   // DEY            10 ms
                                       "26FC"   // BNE *-2
                                       "7F103B" // CLR PPROG      pump off, array readable
                                       "A600"   // LDAA 0,X       every byte $FF?
                                       "4C"     // INCA
                                       "2606"   // BNE to the SWI
                                       "08"     // INX
                                       "8C0000" // CPX #end+1
                                       "26F5"); // BNE to LDAA
    c[c.size() - 4] = static_cast<char>((finPlusUn >> 8) & 0xFF);
    c[c.size() - 3] = static_cast<char>(finPlusUn & 0xFF);
    c.append(static_cast<char>(0x3F)); // SWI
    return c;
}

// The bulk erase takes the whole array: only where the map is a built-in
// chip's own, so that the range the user sees is exactly what is erased.
QString carteNonIntegree(const Configuration& c) {
    for (const ProfilMateriel& p : profilsIntegres())
        if (p.nom == c.HardWare) {
            if (p.DepartEEprom == c.DepartEEprom && p.TailleEeprom == c.TailleEeprom) return {};
            return QStringLiteral("l'EEPROM configurée n'est pas celle du %1").arg(p.nom);
        }
    return QStringLiteral("le processeur %1 n'est pas un modèle connu").arg(c.HardWare);
}

} // namespace

ResultatEffacementRapide effacerEepromEnBloc(Session& s) {
    ResultatEffacementRapide res;
    const int depart = static_cast<int>(s.config.DepartEEprom);
    const int finPlusUn = static_cast<int>(s.config.FinEeprom() + 1) & 0xFFFF;
    const QByteArray code = routineEffacement(finPlusUn);
    res.raison = carteNonIntegree(s.config);
    if (res.raison.isEmpty()) res.raison = routineImpossible(s, static_cast<int>(code.size()));
    if (res.raison.isEmpty() && hc11reg::aBprot(s.config.HardWare)) {
        const Resultat<QByteArray> b = lireMemoireBrute(s, hc11reg::Bprot, 1, s.config.Timeout);
        if (!b.ok() || b.donnees.size() != 1)
            res.raison = QStringLiteral("BPROT n'a pas pu être lu");
        else if (const int v = static_cast<quint8>(b.donnees[0]); v & hc11reg::BlocsProteges)
            res.raison = QStringLiteral("BPROT protège des blocs de l'EEPROM ($%1)").arg(DecHexa2(v));
    }
    if (!res.raison.isEmpty()) return res;

    Routine r;
    r.code = [&code](int, const SortieRoutine&, int) { return code; };
    r.taille = static_cast<int>(code.size());
    r.entree = [&](TrameRegistres& t, int, int compteDelai) {
        t.a = PprogBulk;
        t.b = PprogBulkPompe;
        t.x = depart;
        t.y = compteDelai;
    };
    const ResultatRoutine fait = executerRoutine(s, r);
    if (fait.fin == FinRoutine::Impossible) {
        res.raison = fait.raison;
        return res;
    }
    if (fait.fin == FinRoutine::Echec) {
        res.fin = FinEffacementRapide::Echec;
        return res;
    }
    res.raison.clear();
    res.adresse = fait.sortie.x;
    res.fin = fait.sortie.x == finPlusUn ? FinEffacementRapide::Efface : FinEffacementRapide::NonEfface;
    return res;
}

} // namespace tessaline
