#include "operations/eeprom_fast_programming.h"

#include "link/talker_protocol.h"
#include "link/transfer.h"
#include "operations/eeprom_registers.h"
#include "operations/ram_routine.h"

#include <algorithm>

namespace tessaline {

namespace {

// PPROG values (MC68HC11A8 TD 3.5.1): BYTE|ERASE|EELAT = $16 byte erase,
// EELAT = $02 program, plus EEPGM = 1 for the pulse.
using hc11reg::Pprog;
using hc11reg::Rdrf;
using hc11reg::Scdr;
using hc11reg::Scsr;
constexpr int PprogEffaceOctet = 0x16;
constexpr int PprogProgramme = 0x02;

// One record in a buffer: count, address, bytes, checksum.
constexpr int Enregistrement = OctetsRoutineMax + 4;
// The routine's variables after its code, with their first values: the turns
// of a 10-ms pulse, the turns of a quiet line, the buffer that receives, the
// next byte's place in it, the bytes left to program.
constexpr int Variables = 2 + 2 + 2 + 2 + 1;
// E cycles of one turn of the receive wait (RXW below): BSR 6, PSHX 4,
// LDX ext 5, LDAB ext 4, BITB imm 2, BEQ 3, PULX 5, RTS 5, DEY 4, BNE 3
// (M68HC11 RM, instruction timing tables). A byte received lengthens the
// turn, never shortens it.
constexpr int CyclesTour = 41;

// Pulses left in a record when the host sends the next one: 40 ms, time for
// its 20 characters at 9600 baud and an adapter's latency.
constexpr int OctetsAvantSuivant = 4;

struct Valeurs {
    int tours10ms = 0;
    int toursSilence = 0;
};

// The routine at `debut`. Two buffers after its variables: while the bytes of
// one record are programmed, the waits of the pulses look at the SCI and put
// what comes (the next record) into the other.
QByteArray routineProgrammation(int debut, int taille, const SortieRoutine& sortie, const Valeurs& v) {
    const int cnt = debut + taille - Variables, qt = cnt + 2, rb = qt + 2, rp = rb + 2, k = rp + 2;
    const int bufA = debut + taille, bufB = bufA + Enregistrement, lim = bufB + Enregistrement;
    const int bascule = bufA ^ bufB;
    CodeRoutine c(debut);
    commencerRoutine(c, sortie, debut, taille);
    // Waits for a whole record in the buffer that receives (X = RB).
    c.ici("NEXT").vers(0xBD, "POLL"); //   JSR  POLL
    c.o({0xFE}).mot(rb);              //   LDX  RB
    c.o({0xF6}).mot(rp + 1);          //   LDAB RP+1      received: RP - RB (< 256)
    c.o({0xF0}).mot(rb + 1);          //   SUBB RB+1
    c.saut(0x27, "NEXT");
    c.o({0xA6, 0x00});   //   LDAA 0,X       count
    c.saut(0x27, "FIN"); //   BEQ  FIN       0: the host is done
    c.o({0x81, OctetsRoutineMax});
    c.saut(0x22, "BAD");                      //   BHI  BAD       more than a buffer: damaged
    c.o({0x8B, 4});                           //   ADDA #4        count, address, checksum
    c.o({0x11});                              //   CBA
    c.saut(0x22, "NEXT");                     //   BHI  NEXT      not all of it yet
    c.o({0x16, 0x4F});                        //   TAB, CLRA
    c.ici("SUM").o({0xAB, 0x00, 0x08, 0x5A}); // ADDA 0,X, INX, DECB
    c.saut(0x26, "SUM");
    c.o({0x4D}); //   TSTA           the sum is 0
    c.saut(0x26, "BAD");
    c.o({0x18, 0xFE}).mot(rb);                       //   LDY  RB        this record is programmed,
    c.o({0xFC}).mot(rb);                             //   LDD  RB        the other buffer receives
    c.o({0x88, bascule >> 8, 0xC8, bascule & 0xFF}); // EORA, EORB
    c.o({0xFD}).mot(rb);
    c.o({0xFD}).mot(rp);
    c.o({0x86, AccuseBon}); //   LDAA #ACK
    c.saut(0x8D, "SEND");
    c.o({0x18, 0xE6, 0x00}); //   LDAB 0,Y       count
    c.o({0xF7}).mot(k);
    c.o({0xCD, 0xEE, 0x01});              //   LDX  1,Y       address
    c.ici("PLOOP").o({0x18, 0xA6, 0x03}); // LDAA 3,Y     wanted
    c.o({0xE6, 0x00});                    //   LDAB 0,X       held
    c.o({0x11});                          //   CBA
    c.saut(0x27, "DONE");                 //                  already there: no pulse
    c.o({0x53});                          //   COMB
    c.o({0x18, 0xE4, 0x03});              //   ANDB 3,Y       a 1 wanted over a 0?
    c.saut(0x27, "PROG");
    c.o({0xC6, PprogEffaceOctet}); //   LDAB #$16      then erase first
    c.saut(0x8D, "PULSE");
    c.o({0x18, 0xA6, 0x03}); //   LDAA 3,Y
    c.o({0x81, 0xFF});       //   CMPA #$FF      erased is what was wanted
    c.saut(0x27, "DONE");
    c.ici("PROG").o({0xC6, PprogProgramme}); // LDAB #$02
    c.saut(0x8D, "PULSE");
    c.ici("DONE").o({0xA6, 0x00}); //   LDAA 0,X       what the cell reads, sent
    c.saut(0x8D, "SEND");
    c.o({0x08, 0x18, 0x08}); //   INX, INY
    c.o({0x7A}).mot(k);      //   DEC  K
    c.saut(0x26, "PLOOP");
    c.ici("AGAIN").saut(0x20, "NEXT");
    c.ici("FIN");
    terminerRoutine(c, sortie);
    // A damaged record: what still comes is dropped until the line has been
    // quiet for a while, then AccuseFaux, and the host sends it again.
    c.ici("BAD").o({0xFE}).mot(rb); //   LDX  RB
    c.o({0xFF}).mot(rp);            //   STX  RP
    c.o({0x18, 0xFE}).mot(qt);      //   LDY  QT
    c.saut(0x8D, "RXW");
    c.o({0xFE}).mot(rp); //   LDX  RP
    c.o({0xBC}).mot(rb); //   CPX  RB
    c.saut(0x26, "BAD"); //                  something came: again
    c.o({0x86, AccuseFaux});
    c.saut(0x8D, "SEND");
    c.saut(0x20, "AGAIN");
    // Sends A, still looking at the SCI while the transmitter is busy.
    c.ici("SEND").saut(0x8D, "POLL");
    c.o({0x7D}).mot(Scsr); //   TST  SCSR      N = TDRE
    c.saut(0x2A, "SEND");
    c.o({0xB7}).mot(Scdr); //   STAA SCDR
    c.o({0x39});
    // One look at the SCI: a byte received goes to RP, up to the buffers' end.
    c.ici("POLL").o({0x3C}); //   PSHX
    c.o({0xFE}).mot(rp);     //   LDX  RP
    c.o({0xF6}).mot(Scsr);   //   LDAB SCSR
    c.o({0xC5, Rdrf});       //   BITB #RDRF
    c.saut(0x27, "PQ");
    c.o({0xF6}).mot(Scdr);       //   LDAB SCDR      SCSR then SCDR read: RDRF cleared
    c.o({0x8C}).mot(lim);        //   CPX  #LIM
    c.saut(0x24, "PQ");          //   BHS  PQ        past the buffers: dropped
    c.o({0xE7, 0x00, 0x08});     //   STAB 0,X, INX
    c.o({0xFF}).mot(rp);         //   STX  RP
    c.ici("PQ").o({0x38, 0x39}); //   PULX, RTS
    // One pulse of mode B with A at X: latch, pump on, 10 ms, all off.
    c.ici("PULSE").o({0xF7}).mot(Pprog); // STAB PPROG
    c.o({0xA7, 0x00, 0x5C});             //   STAA 0,X, INCB  EEPGM
    c.o({0xF7}).mot(Pprog);
    c.o({0x18, 0x3C});          //   PSHY
    c.o({0x18, 0xFE}).mot(cnt); //   LDY  CNT
    c.saut(0x8D, "RXW");
    c.o({0x18, 0x38});      //   PULY
    c.o({0x7F}).mot(Pprog); //   CLR  PPROG
    c.o({0x39});
    // Y turns of looking at the SCI.
    c.ici("RXW").saut(0x8D, "POLL");
    c.o({0x18, 0x09}); //   DEY
    c.saut(0x26, "RXW");
    c.o({0x39});
    // The variables' first values.
    c.mot(v.tours10ms).mot(v.toursSilence).mot(bufA).mot(bufA).o({0});
    return c.code();
}

// Its size when the Talker writes it, or when the loader brings it: it does
// not depend on where it lies (every operand is 16 bits wide).
int tailleRoutine(bool chargee) {
    const SortieRoutine sortie = chargee ? SortieRoutine{0x0100, 0x0100, 1} : SortieRoutine{};
    return static_cast<int>(routineProgrammation(0x0100, 0, sortie, Valeurs{}).size());
}

} // namespace

BilanRoutineProgrammation programmerParRoutineRam(Session& s, const QVector<MorceauProgrammation>& morceaux,
                                                  const std::function<void(int faits)>& progression) {
    BilanRoutineProgrammation bilan;
    const int taille = tailleRoutine(false), chargee = tailleRoutine(true);
    Routine r;
    r.taille = taille;
    r.tailleChargee = chargee;
    r.tampon = 2 * Enregistrement;
    bool faux = false;
    r.code = [&s, taille, chargee](int debut, const SortieRoutine& sortie, int compte) {
        // The Talker's count makes 10 ms at 7 E cycles a turn; the line is
        // quiet once four characters' time has passed without one.
        const double cyclesSeconde = compte * 7 * 100.0;
        const int baud = std::max(300, s.config.Baud);
        Valeurs v;
        v.tours10ms = (compte * 7 + CyclesTour - 1) / CyclesTour;
        v.toursSilence = static_cast<int>(cyclesSeconde * 40.0 / baud / CyclesTour) + 1;
        const int n = sortie.recevoir < 0 ? taille : chargee;
        return compte > 0 ? routineProgrammation(debut, n, sortie, v) : QByteArray();
    };
    r.pendant = [&](int, QByteArray& suite) {
        const int n = static_cast<int>(morceaux.size());
        int envoyes = 0;
        // The next record while the routine programs one, or the end.
        const auto envoyerSuivant = [&]() {
            if (envoyes < n && !arretDemande(s) && !faux &&
                envoyerEnregistrement(s, morceaux[envoyes].adresse, morceaux[envoyes].octets)) {
                ++envoyes;
                return true;
            }
            finirRoutine(s);
            return false;
        };
        // A record damaged on the line: the routine programmed nothing, once more.
        const auto accuse = [&](int i) {
            Issue a = lireAccuse(s, suite, s.config.Timeout);
            if (a == Issue::Incoherent && envoyerEnregistrement(s, morceaux[i].adresse, morceaux[i].octets))
                a = lireAccuse(s, suite, s.config.Timeout);
            return a == Issue::Ok;
        };
        if (!envoyerSuivant()) return true;
        if (!accuse(0)) return false;
        for (int i = 0; i < envoyes; ++i) {
            const MorceauProgrammation& m = morceaux[i];
            // The next record goes when this one has a few bytes left: it
            // is in the routine's other buffer when this one is done, and
            // Cancel meanwhile still stops before it.
            const int avant = std::max(0, static_cast<int>(m.octets.size()) - OctetsAvantSuivant);
            bool encore = false;
            const auto envoyerA = [&](int lus) {
                if (lus == avant) encore = envoyerSuivant();
            };
            if (avant == 0) envoyerA(0);
            const Resultat<QByteArray> relus =
                lireRelectures(s, suite, m.adresse, m.octets, s.config.Timeout, envoyerA);
            if (!relus.ok()) return false;
            if (faux) {
                // The record sent before the wrong byte was seen.
            } else if (relus.donnees != m.octets) {
                int j = 0;
                while (relus.donnees[j] == m.octets[j])
                    ++j;
                bilan.adresse = m.adresse + j;
                faux = true;
            } else {
                ++bilan.morceauxFaits;
                if (progression) progression(m.faitsApres);
            }
            if (encore && !accuse(i + 1)) return false;
        }
        if (!faux && envoyes < n) bilan.fin = BilanRoutineProgrammation::Fin::Annule;
        return true;
    };
    const ResultatRoutine fin = executerRoutine(s, r);
    bilan.raison = fin.raison;
    if (fin.fin == FinRoutine::Impossible)
        bilan.fin = BilanRoutineProgrammation::Fin::Impossible;
    else if (fin.fin == FinRoutine::Echec)
        bilan.fin = BilanRoutineProgrammation::Fin::Echec;
    else if (faux)
        bilan.fin = BilanRoutineProgrammation::Fin::Faux;
    else if (bilan.fin != BilanRoutineProgrammation::Fin::Annule)
        bilan.fin = BilanRoutineProgrammation::Fin::Programme;
    return bilan;
}

} // namespace tessaline
