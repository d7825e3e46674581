#include "operations/eeprom_fast_programming.h"

#include "link/talker_protocol.h"
#include "link/transfer.h"
#include "operations/eeprom_registers.h"
#include "operations/ram_routine.h"

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

// The routine's variables after its code: the 10-ms count, the record's
// count, a loop counter, its address, then its bytes.
constexpr int Variables = 2 + 1 + 1 + 2;

// The routine for `debut`; `taille` its code's size (the same wherever it lies).
QByteArray routineProgrammation(int debut, int taille) {
    const int cnt = debut + taille, n = cnt + 2, k = n + 1, adr = k + 1, buf = adr + 2;
    CodeRoutine c(debut);
    c.o({0xFD}).mot(cnt);    //                STD  CNT      D = the 10-ms count at entry
    c.ici("NEXT").o({0x4F}); //             CLRA          A = the record's sum
    c.saut(0x8D, "RECV");    //                BSR  RECV     count
    c.o({0xF7}).mot(n);      //                  STAB N
    c.saut(0x27, "FIN");     //                 BEQ  FIN      0: the host is done
    c.saut(0x8D, "RECV");    //                BSR  RECV     address
    c.o({0xF7}).mot(adr);
    c.saut(0x8D, "RECV");
    c.o({0xF7}).mot(adr + 1);
    c.o({0x18, 0xCE}).mot(buf);        //          LDY  #BUF
    c.o({0xF6}).mot(n);                //                  LDAB N
    c.o({0xF7}).mot(k);                //                  STAB K
    c.ici("RDATA").saut(0x8D, "RECV"); //   BSR  RECV     the bytes into the buffer
    c.o({0x18, 0xE7, 0x00});           //             STAB 0,Y
    c.o({0x18, 0x08});                 //                   INY
    c.o({0x7A}).mot(k);                //                  DEC  K
    c.saut(0x26, "RDATA");
    c.saut(0x8D, "RECV"); //                BSR  RECV     checksum: the sum is 0
    c.o({0x4D});          //                         TSTA
    c.saut(0x27, "BON");
    c.o({0xC6, AccuseFaux}); //             LDAB #NAK     nothing programmed
    c.saut(0x8D, "SEND");
    c.saut(0x20, "NEXT");
    c.ici("BON").o({0xC6, AccuseBon}); //   LDAB #ACK
    c.saut(0x8D, "SEND");
    c.o({0xFE}).mot(adr);       //                LDX  ADR
    c.o({0x18, 0xCE}).mot(buf); //          LDY  #BUF
    c.o({0xF6}).mot(n);
    c.o({0xF7}).mot(k);
    c.ici("PLOOP").o({0x18, 0xA6, 0x00}); // LDAA 0,Y     wanted
    c.o({0xE6, 0x00});                    //                   LDAB 0,X      held
    c.o({0x11});                          //                         CBA
    c.saut(0x27, "DONE");                 //                              already there: no pulse
    c.o({0x53});                          //                         COMB
    c.o({0x18, 0xE4, 0x00});              //             ANDB 0,Y      a 1 wanted over a 0?
    c.saut(0x27, "PROG");
    c.o({0xC6, PprogEffaceOctet}); //       LDAB #$16     then erase first
    c.saut(0x8D, "PULSE");
    c.o({0x18, 0xA6, 0x00}); //             LDAA 0,Y
    c.o({0x81, 0xFF});       //                   CMPA #$FF     erased is what was wanted
    c.saut(0x27, "DONE");
    c.ici("PROG").o({0xC6, PprogProgramme}); // LDAB #$02
    c.saut(0x8D, "PULSE");
    c.ici("DONE").o({0xE6, 0x00}); //       LDAB 0,X      what the cell reads, sent
    c.saut(0x8D, "SEND");
    c.o({0x08});        //                         INX
    c.o({0x18, 0x08});  //                   INY
    c.o({0x7A}).mot(k); //                  DEC  K
    c.saut(0x26, "PLOOP");
    c.saut(0x20, "NEXT");
    c.ici("FIN").o({0x3F}); //              SWI           the Talker takes the stop
    // B = the next byte received, added to A.
    c.ici("RECV").o({0xF6}).mot(Scsr); //   LDAB SCSR
    c.o({0xC5, Rdrf});                 //                   BITB #RDRF
    c.saut(0x27, "RECV");
    c.o({0xF6}).mot(Scdr); //               LDAB SCDR     SCSR then SCDR read: RDRF cleared
    c.o({0x1B, 0x39});     //                   ABA, RTS
    // Sends B.
    c.ici("SEND").o({0x7D}).mot(Scsr); //   TST  SCSR     N = TDRE
    c.saut(0x2A, "SEND");
    c.o({0xF7}).mot(Scdr); //               STAB SCDR
    c.o({0x39});           //                         RTS
    // One pulse of mode B with A at X: latch, pump on, 10 ms, all off.
    c.ici("PULSE").o({0xF7}).mot(Pprog); // STAB PPROG
    c.o({0xA7, 0x00});                   //                   STAA 0,X
    c.o({0x5C});                         //                         INCB          EEPGM
    c.o({0xF7}).mot(Pprog);              //              STAB PPROG
    c.o({0x18, 0x3C});                   //                   PSHY
    c.o({0x18, 0xFE}).mot(cnt);          //          LDY  CNT      7 cycles a turn, as the Talker's
    c.ici("WAIT").o({0x18, 0x09});       //       DEY
    c.saut(0x26, "WAIT");
    c.o({0x18, 0x38});      //                   PULY
    c.o({0x7F}).mot(Pprog); //              CLR  PPROG
    c.o({0x39});            //                         RTS
    return c.code();
}

int tailleRoutine() {
    // The size does not depend on where it lies; measured once at $0000
    // with itself as the size of its code (every operand is 16 bits wide).
    return static_cast<int>(routineProgrammation(0x0100, 0).size());
}

} // namespace

BilanRoutineProgrammation programmerParRoutineRam(Session& s, const QVector<MorceauProgrammation>& morceaux,
                                                  const std::function<void(int faits)>& progression) {
    BilanRoutineProgrammation bilan;
    const int taille = tailleRoutine();
    Routine r;
    r.taille = taille;
    r.tampon = Variables + OctetsRoutineMax;
    r.code = [taille](int debut) { return routineProgrammation(debut, taille); };
    r.entree = [](TrameRegistres& t, int, int compteDelai) {
        t.a = (compteDelai >> 8) & 0xFF;
        t.b = compteDelai & 0xFF;
    };
    bool faux = false;
    r.pendant = [&](int) {
        for (const MorceauProgrammation& m : morceaux) {
            if (arretDemande(s)) {
                bilan.fin = BilanRoutineProgrammation::Fin::Annule;
                break;
            }
            Resultat<QByteArray> fait = programmerParRoutine(s, m.adresse, m.octets, s.config.Timeout);
            // A byte damaged on the line: the routine programmed nothing, once more.
            if (fait.issue == Issue::Incoherent)
                fait = programmerParRoutine(s, m.adresse, m.octets, s.config.Timeout);
            if (!fait.ok()) return false;
            if (fait.donnees != m.octets) {
                int i = 0;
                while (fait.donnees[i] == m.octets[i])
                    ++i;
                bilan.adresse = m.adresse + i;
                faux = true;
                break;
            }
            ++bilan.morceauxFaits;
            if (progression) progression(m.faitsApres);
        }
        finirRoutine(s);
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
