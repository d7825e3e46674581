#include "operations/ram_routine.h"

#include "link/conversions.h"
#include "link/error_report.h"
#include "link/talker_image.h"
#include "link/transfer.h"
#include "operations/eeprom_registers.h"
#include "operations/talker_link.h"

#include <algorithm>

namespace tessaline {

namespace {

// Below a stopped program's SP: its frame and the Talker's own frames and
// calls while it idles there, kept clear of the routine.
constexpr int SousPile = 32;
// The routine's frame: CCR with S, X and I set (STOP disabled, XIRQ and the
// maskable interrupts masked: M68HC11 RM 6.2.6), so that nothing but the
// routine runs until its SWI, which no mask holds back.
constexpr int CcrRoutine = 0xD0;
// One turn of the Talker's delay loop: a write then takes no longer than its
// characters. Zero would be 65,536 turns.
const QByteArray DelaiMinimal("\x00\x01", 2);

bool chevauche(int a, int n, int b, int m) {
    return a < b + m && b < a + n;
}

// In exchanges of at most 256 bytes, the most the Talker takes.
bool ecrire(Session& s, int adresse, const QByteArray& octets) {
    for (int i = 0; i < octets.size(); i += MaxOctetsEchange) {
        const QByteArray morceau = octets.mid(i, MaxOctetsEchange);
        const Resultat<QByteArray> r = ecrireMemoire(s, adresse + i, morceau, s.config.Timeout);
        if (!r.ok() || r.donnees != morceau) return false;
    }
    return !octets.isEmpty();
}

QByteArray lire(Session& s, int adresse, int n) {
    QByteArray lus;
    for (int i = 0; i < n; i += MaxOctetsEchange) {
        const int m = std::min(MaxOctetsEchange, n - i);
        const Resultat<QByteArray> r = lireMemoireBrute(s, adresse + i, m, s.config.Timeout);
        if (!r.ok() || r.donnees.size() != m) return {};
        lus += r.donnees;
    }
    return lus;
}

QString plage(int debut, int n) {
    return DecHexa4(debut) + QStringLiteral("-") + DecHexa4(debut + n - 1);
}

// The Talker's delay count lowered while RAM is written, and put back by
// whoever leaves.
class DelaiAbaisse {
public:
    explicit DelaiAbaisse(Session& s)
        : s_(s) {
        const Resultat<QByteArray> r = lireMemoireBrute(s, talker::DelayCount, 2, s.config.Timeout);
        if (!r.ok() || r.donnees.size() != 2) return;
        adapte_ = r.donnees;
        abaisse_ = ecrire(s, talker::DelayCount, DelaiMinimal);
    }
    ~DelaiAbaisse() { remettre(); }
    DelaiAbaisse(const DelaiAbaisse&) = delete;
    DelaiAbaisse& operator=(const DelaiAbaisse&) = delete;
    bool abaisse() const { return abaisse_; }
    // The count the Talker was adapted with.
    int compte() const { return adapte_.size() == 2 ? quint8(adapte_[0]) << 8 | quint8(adapte_[1]) : 0; }
    // The Talker no longer answers: the next download brings the count back.
    void oublier() { adapte_.clear(); }
    // False (said) when the count could not be put back: the Talker would
    // then program the EEPROM with pulses far too short.
    bool remettre() {
        if (adapte_.isEmpty()) return true;
        const QByteArray compte = adapte_;
        adapte_.clear();
        if (ecrire(s_, talker::DelayCount, compte)) return true;
        s_.liaison.talkerPresent = false;
        AfficheEchec(s_.ecran(),
                     QStringLiteral("Le délai d'écriture du Talker n'a pas pu être rétabli : "
                                    "faites RESET puis Load Talker avant d'écrire dans l'EEPROM"));
        return false;
    }

private:
    Session& s_;
    QByteArray adapte_;
    bool abaisse_ = false;
};

// The loader the Talker writes at `adresse` for a routine that lies from
// `reste`, with all it borrows: n bytes. It sends each of them as it stands
// and puts in its place the byte the host sends meanwhile (the routine's, or
// any for its buffers): the RAM is saved and the routine written in one pass
// of n characters each way. Then it returns to the routine's start. Its
// receive loop (`recevoir`) serves at the end, the routine jumping to it with
// X and Y set to put the RAM back: it sends back each byte as the RAM then
// reads it, and ends on the SWI after it.
struct Chargeur {
    QByteArray code;
    int recevoir = 0;
};

Chargeur chargeur(int adresse, int reste, int n) {
    using hc11reg::Rdrf;
    using hc11reg::Scdr;
    using hc11reg::Scsr;
    Chargeur l;
    CodeRoutine c(adresse);
    c.o({0xCE}).mot(reste);             //         LDX  #RESTE
    c.o({0x3C});                        //                  PSHX          the routine's start, for the RTS
    c.o({0x18, 0xCE}).mot(n);           //        LDY  #N
    c.ici("ECHANGE").o({0xA6, 0x00});   // LDAA 0,X      the byte there, sent
    c.ici("TDRE1").o({0x7D}).mot(Scsr); // TST  SCSR     N = TDRE
    c.saut(0x2A, "TDRE1");
    c.o({0xB7}).mot(Scdr);
    c.ici("RDRF1").o({0xB6}).mot(Scsr); // LDAA SCSR
    c.o({0x84, Rdrf});                  //                ANDA #RDRF
    c.saut(0x27, "RDRF1");
    c.o({0xB6}).mot(Scdr);   //             LDAA SCDR     SCSR then SCDR read: RDRF cleared
    c.o({0xA7, 0x00});       //               STAA 0,X      the host's byte in its place
    c.o({0x08, 0x18, 0x09}); //         INX, DEY
    c.saut(0x26, "ECHANGE");
    c.o({0x39}); //                           RTS
    l.recevoir = c.adresse();
    c.ici("RECOIT").o({0xB6}).mot(Scsr); // LDAA SCSR
    c.o({0x84, Rdrf});
    c.saut(0x27, "RECOIT");
    c.o({0xB6}).mot(Scdr);
    c.o({0xA7, 0x00, 0xA6, 0x00});      //       STAA 0,X, LDAA 0,X
    c.ici("TDRE2").o({0x7D}).mot(Scsr); // TST  SCSR
    c.saut(0x2A, "TDRE2");
    c.o({0xB7}).mot(Scdr);   //                STAA SCDR     what the RAM reads, sent back
    c.o({0x08, 0x18, 0x09}); //         INX, DEY
    c.saut(0x26, "RECOIT");
    c.o({0x3F}); //                           SWI           the Talker takes the stop
    l.code = c.code();
    return l;
}

// The loader's size, the same wherever it lies (every operand is 16 bits wide).
int tailleChargeur() {
    return static_cast<int>(chargeur(0x0100, 0x0200, 1).code.size());
}

// The sum of `octets`, as the routine's first instructions make it.
int somme(const QByteArray& octets) {
    int s = 0;
    for (char o : octets)
        s += static_cast<quint8>(o);
    return s & 0xFF;
}

// The loader, started, sends the `n` bytes the routine borrows (`sauves`)
// while it takes `image` (the routine, then anything for its buffers). False
// with `raison` when the loader was lost.
bool charger(Session& s, QByteArray& suite, const QByteArray& image, QByteArray& sauves, QString& raison) {
    envoyerFlux(s, image);
    const Resultat<QByteArray> lus = lireFlux(s, suite, static_cast<int>(image.size()), s.config.Timeout);
    if (!lus.ok()) {
        raison = QStringLiteral("le chargeur ne répond plus");
        return false;
    }
    sauves = lus.donnees;
    return true;
}

// What to say when the `sauves` bytes from `debut` could not be put back.
QString texteRamNonRendue(int debut, const QByteArray& sauves) {
    return QStringLiteral("RAM %1 non rétablie après la routine (octets %2)")
        .arg(plage(debut, int(sauves.size())), QString::fromLatin1(sauves.toHex(' ').toUpper()));
}

// At its end the routine jumps to the loader's receive loop: the RAM it
// borrowed goes back, each byte sent back as the RAM reads it. What to say
// when a byte did not read back as it was.
QString rendreParChargeur(Session& s, QByteArray& suite, const QByteArray& sauves, int debut) {
    envoyerFlux(s, sauves);
    const Resultat<QByteArray> relus = lireFlux(s, suite, static_cast<int>(sauves.size()), s.config.Timeout);
    if (relus.ok() && relus.donnees == sauves) return {};
    return texteRamNonRendue(debut, sauves);
}

// A routine the loader brought starts by sending the sum of its bytes
// (commencerRoutine): a byte damaged on the way would otherwise run.
bool sommeJuste(Session& s, QByteArray& suite, const QByteArray& code, QString& raison) {
    const Resultat<QByteArray> lu = lireFlux(s, suite, 1, s.config.Timeout);
    if (lu.ok() && quint8(lu.donnees[0]) == somme(code)) return true;
    raison = lu.ok() ? QStringLiteral("la routine n'a pas été reçue telle qu'envoyée")
                     : QStringLiteral("la routine ne répond plus");
    return false;
}

} // namespace

void commencerRoutine(CodeRoutine& c, const SortieRoutine& sortie, int debut, int taille) {
    if (sortie.recevoir < 0) return;
    c.o({0xCE}).mot(debut);               //   LDX  #DEBUT
    c.o({0x4F});                          //                 CLRA
    c.ici("SOMME").o({0xAB, 0x00, 0x08}); //  ADDA 0,X, INX
    c.o({0x8C}).mot(debut + taille);      //   CPX  #FIN
    c.saut(0x26, "SOMME");
    c.ici("SOMMETDRE").o({0x7D}).mot(hc11reg::Scsr); // TST SCSR
    c.saut(0x2A, "SOMMETDRE");
    c.o({0xB7}).mot(hc11reg::Scdr); //             STAA SCDR     the sum, sent
}

void terminerRoutine(CodeRoutine& c, const SortieRoutine& sortie) {
    if (sortie.recevoir < 0) {
        c.o({0x3F}); //                           SWI
        return;
    }
    c.o({0xCE}).mot(sortie.debut);    //     LDX  #DEBUT
    c.o({0x18, 0xCE}).mot(sortie.n);  //    LDY  #N
    c.o({0x7E}).mot(sortie.recevoir); //  JMP  RECOIT    the RAM comes back from the host, then SWI
}

CodeRoutine& CodeRoutine::o(std::initializer_list<int> octets) {
    for (int v : octets)
        octets_.append(static_cast<char>(v & 0xFF));
    return *this;
}

CodeRoutine& CodeRoutine::mot(int valeur) {
    return o({valeur >> 8, valeur});
}

CodeRoutine& CodeRoutine::saut(int opcode, const char* etiquette) {
    o({opcode, 0});
    sauts_.emplace_back(etiquette, static_cast<int>(octets_.size()) - 1);
    return *this;
}

CodeRoutine& CodeRoutine::vers(int opcode, const char* etiquette) {
    o({opcode, 0, 0});
    absolus_.emplace_back(etiquette, static_cast<int>(octets_.size()) - 2);
    return *this;
}

CodeRoutine& CodeRoutine::ici(const char* etiquette) {
    etiquettes_.emplace_back(etiquette, static_cast<int>(octets_.size()));
    return *this;
}

QByteArray CodeRoutine::code() const {
    QByteArray c = octets_;
    const auto trouver = [this](const QByteArray& etiquette) {
        return std::find_if(etiquettes_.begin(), etiquettes_.end(),
                            [&etiquette](const auto& e) { return e.first == etiquette; });
    };
    for (const auto& [etiquette, position] : absolus_) {
        const auto cible = trouver(etiquette);
        if (cible == etiquettes_.end()) return {};
        const int adresse = debut_ + cible->second;
        c[position] = static_cast<char>(adresse >> 8);
        c[position + 1] = static_cast<char>(adresse & 0xFF);
    }
    for (const auto& saut : sauts_) {
        const QByteArray& etiquette = saut.first;
        const int position = saut.second;
        const auto cible = trouver(etiquette);
        // The displacement counts from the instruction after the branch.
        const int deplacement = cible == etiquettes_.end() ? 1000 : cible->second - (position + 1);
        if (deplacement < -128 || deplacement > 127) return {};
        c[position] = static_cast<char>(deplacement & 0xFF);
    }
    return c;
}

int zoneRamLibre(const Session& s, int taille) {
    const int debut = std::max(static_cast<int>(s.config.DepartRam), talker::ImageBytes);
    const int fin = static_cast<int>(s.config.FinRam());
    const int sp = HexaDec(s.registres.RegSP) & 0xFFFF;
    for (int t = debut; t + taille - 1 <= fin; ++t) {
        if (chevauche(t, taille, sp - SousPile, SousPile + 10)) {
            t = sp + 9;
            continue;
        }
        const auto surPoint =
            std::find_if(s.points.liste.begin(), s.points.liste.end(),
                         [&](const PointArret& p) { return chevauche(t, taille, p.adresse, 1); });
        if (surPoint == s.points.liste.end()) return t;
        t = surPoint->adresse;
    }
    return -1;
}

QString routineImpossible(const Session& s, int taille) {
    if (!s.liaison.talkerPresent) return QStringLiteral("le Talker ne répond pas");
    if (s.liaison.cibleTourne) return QStringLiteral("un programme tourne");
    if (zoneRamLibre(s, taille) < 0)
        return QStringLiteral("pas de RAM libre au-dessus du Talker (%1 octets)").arg(taille);
    return {};
}

ResultatRoutine executerRoutine(Session& s, const Routine& routine) {
    ResultatRoutine res;
    // Characters on the line: through the Talker, the RAM is read and put
    // back and the routine written at two a byte; through the loader, only
    // the loader is, and the rest is read and written in one pass, then put
    // back, one character a byte each time.
    const int l = tailleChargeur();
    const int chargee = routine.tailleChargee > 0 ? routine.tailleChargee : routine.taille;
    const int empruntTalker = routine.taille + routine.tampon, empruntChargeur = chargee + routine.tampon;
    const bool parChargeur = routine.pendant && !routine.entree &&
                             6 * l + 2 * empruntChargeur < 4 * empruntTalker + 2 * routine.taille &&
                             zoneRamLibre(s, l + empruntChargeur) >= 0;
    const int emprunt = parChargeur ? empruntChargeur : empruntTalker;
    const int m = parChargeur ? chargee : routine.taille;
    const int taille = emprunt + (parChargeur ? l : 0);
    res.raison = routineImpossible(s, taille);
    if (!res.raison.isEmpty()) return res;
    const int debut = zoneRamLibre(s, taille);
    const int reste = parChargeur ? debut + l : debut; // where the routine lies
    Chargeur ch;
    SortieRoutine sortie;
    if (parChargeur) {
        ch = chargeur(debut, reste, emprunt);
        sortie = {ch.recevoir, reste, emprunt};
    }
    // What the Talker reads, writes and puts back.
    const int parTalker = parChargeur ? l : taille;
    const QByteArray sauve = lire(s, debut, parTalker);
    if (sauve.isEmpty()) {
        res.raison = QStringLiteral("la RAM %1 n'a pas pu être lue").arg(plage(debut, parTalker));
        return res;
    }
    // From here the RAM and the Talker's count must go back, and the routine
    // be brought to its stop, whatever the user asks meanwhile: Cancel is
    // for the caller to look at between its own steps.
    const RetraitEnCours retrait(s);
    res.fin = FinRoutine::Echec;
    DelaiAbaisse delai(s);
    bool lancee = false;
    bool arretee = false; // the routine's SWI came: the Talker has the chip again
    QString ramNonRendue;
    // Only once the routine's bytes have gone out is there RAM to put back.
    const bool touchee = delai.abaisse();
    const QByteArray code = routine.code(reste, sortie, delai.compte());
    QByteArray suite;
    QByteArray sauveReste;
    if (!touchee || code.size() != m || !ecrire(s, debut, parChargeur ? ch.code : code)) {
        res.raison = QStringLiteral("la routine n'a pas pu être écrite en %1").arg(plage(debut, taille));
    } else {
        TrameRegistres trame;
        trame.adresse = talker::IdleFrame;
        trame.ccr = CcrRoutine;
        if (routine.entree) routine.entree(trame, debut, delai.compte());
        trame.pc = debut;
        const Resultat<QByteArray> lance = ecrireTrameEtReprendre(s, trame, s.config.Timeout);
        lancee = !sansEchange(lance.issue);
        if (!lance.ok() || lance.donnees.size() != 9) {
            res.raison = QStringLiteral("la routine n'a pas pu être lancée");
        } else if (parChargeur &&
                   !charger(s, suite, code + QByteArray(routine.tampon, '\0'), sauveReste, res.raison)) {
            // said in res.raison
        } else if (parChargeur && !sommeJuste(s, suite, code, res.raison)) {
            // said in res.raison
        } else if (routine.pendant && !routine.pendant(reste, suite)) {
            res.raison = QStringLiteral("la routine ne répond plus");
        } else {
            if (parChargeur) ramNonRendue = rendreParChargeur(s, suite, sauveReste, reste);
            // The SWI's $03, then the frame it left, read as a break frame.
            const Reception arret =
                attendreSuiteTalker(s, suite, s.config.Timeout, QStringLiteral("RecevoirComBINHexa"));
            const Resultat<TrameBreak> t = arret.fin == FinAttente::Donnee && arret.octet == OctetArret
                                               ? lireTrameBreak(s, s.config.Timeout)
                                               : Resultat<TrameBreak>{Issue::TimeOut};
            if (t.ok()) {
                arretee = true;
                res.fin = ramNonRendue.isEmpty() ? FinRoutine::Faite : FinRoutine::Echec;
                res.sortie = t.donnees.trame;
            } else {
                res.raison = QStringLiteral("la routine ne s'est pas arrêtée");
            }
        }
    }
    if (lancee && !arretee) {
        // Whatever runs on the chip now, the host cannot vouch for it: the
        // RAM and the delay count are left to the next download.
        delai.oublier();
        s.liaison.talkerPresent = false;
        EtatPasDeTalker(s);
        AfficheEchec(s.ecran(), QStringLiteral("Routine en RAM : ") + res.raison +
                                    QStringLiteral(" ; faites RESET puis Load Talker (la RAM %1 "
                                                   "n'a pas été remise comme avant)")
                                        .arg(plage(debut, taille)));
        return res;
    }
    // Not started (the routine could not be written, or its start was not
    // taken): the RAM and the count go back, and the caller may do without.
    if (!lancee) res.fin = FinRoutine::Impossible;
    if (!ramNonRendue.isEmpty()) AfficheEchec(s.ecran(), ramNonRendue);
    if (touchee && !ecrire(s, debut, sauve)) {
        res.fin = FinRoutine::Echec;
        AfficheEchec(s.ecran(), texteRamNonRendue(debut, sauve));
    }
    if (!delai.remettre()) res.fin = FinRoutine::Echec;
    return res;
}

} // namespace tessaline
