#include "operations/ram_routine.h"

#include "link/conversions.h"
#include "link/error_report.h"
#include "link/talker_image.h"
#include "link/transfer.h"
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

} // namespace

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

CodeRoutine& CodeRoutine::ici(const char* etiquette) {
    etiquettes_.emplace_back(etiquette, static_cast<int>(octets_.size()));
    return *this;
}

QByteArray CodeRoutine::code() const {
    QByteArray c = octets_;
    for (const auto& saut : sauts_) {
        const QByteArray& etiquette = saut.first;
        const int position = saut.second;
        const auto cible = std::find_if(etiquettes_.begin(), etiquettes_.end(),
                                        [&etiquette](const auto& e) { return e.first == etiquette; });
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
    const int taille = routine.taille + routine.tampon;
    res.raison = routineImpossible(s, taille);
    if (!res.raison.isEmpty()) return res;
    const int debut = zoneRamLibre(s, taille);
    const QByteArray sauve = lire(s, debut, taille);
    if (sauve.isEmpty()) {
        res.raison = QStringLiteral("la RAM %1 n'a pas pu être lue").arg(plage(debut, taille));
        return res;
    }
    // From here the RAM and the Talker's count must go back, and the routine
    // be brought to its stop, whatever the user asks meanwhile: Cancel is
    // for the caller to look at between its own steps.
    const RetraitEnCours retrait(s);
    res.fin = FinRoutine::Echec;
    DelaiAbaisse delai(s);
    bool lancee = false;
    // Only once the routine's bytes have gone out is there RAM to put back.
    const bool touchee = delai.abaisse();
    if (!touchee || !ecrire(s, debut, routine.code(debut))) {
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
        } else if (routine.pendant && !routine.pendant(debut)) {
            res.raison = QStringLiteral("la routine ne répond plus");
        } else {
            // The SWI's $03, then the frame it left, read as a break frame.
            const Reception arret =
                attendreReponseTalker(s, s.config.Timeout, QStringLiteral("RecevoirComBINHexa"));
            const Resultat<TrameBreak> t = arret.fin == FinAttente::Donnee && arret.octet == OctetArret
                                               ? lireTrameBreak(s, s.config.Timeout)
                                               : Resultat<TrameBreak>{Issue::TimeOut};
            if (t.ok()) {
                res.fin = FinRoutine::Faite;
                res.sortie = t.donnees.trame;
            } else {
                res.raison = QStringLiteral("la routine ne s'est pas arrêtée");
            }
        }
    }
    if (res.fin == FinRoutine::Echec && lancee) {
        // Whatever runs on the chip now, the host cannot vouch for it: the
        // RAM and the delay count are left to the next download.
        delai.oublier();
        s.liaison.talkerPresent = false;
        EtatPasDeTalker(s);
        AfficheEchec(s.ecran(), QStringLiteral("Routine en RAM : ") + res.raison +
                                    QStringLiteral(" ; faites RESET puis Load Talker"));
        return res;
    }
    // Not started (the routine could not be written, or its start was not
    // taken): the RAM and the count go back, and the caller may do without.
    if (res.fin == FinRoutine::Echec) res.fin = FinRoutine::Impossible;
    if (touchee && !ecrire(s, debut, sauve)) {
        res.fin = FinRoutine::Echec;
        AfficheEchec(s.ecran(),
                     QStringLiteral("RAM %1 non rétablie après la routine (octets %2)")
                         .arg(plage(debut, taille), QString::fromLatin1(sauve.toHex(' ').toUpper())));
    }
    if (!delai.remettre()) res.fin = FinRoutine::Echec;
    return res;
}

} // namespace tessaline
