#include "operations/config_register.h"

#include "link/conversions.h"
#include "link/error_report.h"
#include "link/serial_port.h"
#include "link/talker_protocol.h"
#include "link/trace.h"
#include "link/transfer.h"
#include "operations/eeprom_registers.h"
#include "operations/talker_link.h"

namespace tessaline {

namespace {

// CONFIG bits (M68HC11 RM 4.3.3): NOSEC 3, NOCOP 2, ROMON 1, EEON 0; on the
// F1 and the 811E2, EE3-EE0 in bits 7-4 place the EEPROM's 2-KB or 512-byte
// block. BPROT ($1035, E series, F1, 811E2): PTCON, bit 4, guards CONFIG.
constexpr int Nosec = 0x08;
constexpr int Eeon = 0x01;
constexpr int Romon = 0x02;
constexpr int Ee = 0xF0;

bool aChampEe(const QString& puce) {
    return puce == QStringLiteral("68HC11F1") || puce == QStringLiteral("68HC11811E2");
}

// Where EE3-EE0 put the EEPROM: $xE00 on the F1, $x800 on the 811E2.
int departEe(const QString& puce, int valeur) {
    const int x = (valeur & Ee) >> 4;
    return puce == QStringLiteral("68HC11F1") ? x << 12 | 0x0E00 : x << 12 | 0x0800;
}

QString hexa(int v) {
    return QStringLiteral("$") + DecHexa2(v);
}

Resultat<QByteArray> lire(Session& s, int adresse) {
    ViderCom(s);
    return lireMemoireBrute(s, adresse, 1, s.config.Timeout);
}

bool lu(const Resultat<QByteArray>& r) {
    return r.ok() && r.donnees.size() == 1;
}

void echec(Session& s, const Resultat<QByteArray>& r, const QString& quoi) {
    if (r.issue == Issue::TimeOut) AfficheTimeOut(s, QStringLiteral("RecevoirComBINDec"));
    AfficheEchec(s.ecran(), QStringLiteral("Erreur CONFIG : ") + quoi);
    TestTalker(s);
}

// The link watch is off while CONFIG is read or written: it would take the
// Talker's answers.
class SansSurveillance {
public:
    explicit SansSurveillance(Session& s)
        : s_(s) {
        SurvCom(s_, false);
    }
    ~SansSurveillance() { SurvCom(s_, true); }
    SansSurveillance(const SansSurveillance&) = delete;
    SansSurveillance& operator=(const SansSurveillance&) = delete;

private:
    Session& s_;
};

} // namespace

QVector<BitConfig> bitsConfig(const QString& puce) {
    QVector<BitConfig> bits;
    if (aChampEe(puce)) bits.push_back({Ee, QStringLiteral("EE3-EE0"), {}, {}});
    bits.push_back({Nosec, QStringLiteral("NOSEC"), QStringLiteral("sécurité désactivée"),
                    QStringLiteral("mode sécurité (sur les puces qui en ont l'option)")});
    bits.push_back({0x04, QStringLiteral("NOCOP"), QStringLiteral("chien de garde COP arrêté"),
                    QStringLiteral("chien de garde COP en marche (modes normaux)")});
    bits.push_back({Romon, QStringLiteral("ROMON"), QStringLiteral("ROM interne dans la carte mémoire"),
                    QStringLiteral("ROM interne retirée")});
    bits.push_back({Eeon, QStringLiteral("EEON"), QStringLiteral("EEPROM dans la carte mémoire"),
                    QStringLiteral("EEPROM retirée de la carte mémoire")});
    return bits;
}

int masqueConfig(const QString& puce) {
    int m = 0;
    for (const BitConfig& b : bitsConfig(puce))
        m |= b.masque;
    return m;
}

QStringList decrireConfig(const QString& puce, int valeur) {
    QStringList l{QStringLiteral("CONFIG = ") + hexa(valeur)};
    for (const BitConfig& b : bitsConfig(puce)) {
        if (b.masque == Ee) {
            l << QStringLiteral("  EE3-EE0 = %1 : EEPROM en $%2")
                     .arg((valeur & Ee) >> 4, 4, 2, QLatin1Char('0'))
                     .arg(DecHexa4(departEe(puce, valeur)));
            continue;
        }
        const bool un = valeur & b.masque;
        l << QStringLiteral("  %1 = %2 : %3").arg(b.nom).arg(un ? 1 : 0).arg(un ? b.siUn : b.siZero);
    }
    return l;
}

AvisConfig examinerConfig(const Configuration& c, int actuel, int valeur) {
    AvisConfig a;
    const QString& puce = c.HardWare;
    const int masque = masqueConfig(puce);
    if (valeur < 0 || valeur > 0xFF) {
        a.refus = QStringLiteral("CONFIG est un octet (00 à FF)");
        return a;
    }
    // Bits the chip does not have read 0: a value with them set could never
    // read back as written.
    if (valeur & ~masque) {
        a.refus = QStringLiteral("%1 : le %2 n'a pas les bits %3 de CONFIG (ils se lisent 0)")
                      .arg(hexa(valeur), puce, hexa(~masque & 0xFF));
        return a;
    }
    // A secured part's boot loader erases the EEPROM and the RAM before it
    // takes anything: every later download would wipe the user's program.
    if (!(valeur & Nosec) && (actuel & Nosec)) {
        a.refus =
            QStringLiteral("%1 met le mode sécurité (NOSEC = 0) : à chaque RESET en bootstrap, la puce "
                           "effacerait son EEPROM et sa RAM avant de répondre. Tessaline ne l'écrit pas.")
                .arg(hexa(valeur));
        return a;
    }
    if (!(valeur & Eeon) && (actuel & Eeon))
        a.avertissements << QStringLiteral(
            "EEON = 0 : après RESET l'EEPROM disparaît de la carte mémoire ; "
            "elle ne pourra plus être programmée avant d'avoir remis EEON à 1.");
    if ((valeur & Romon) && !(actuel & Romon))
        a.avertissements << QStringLiteral("ROMON = 1 : après RESET la ROM interne (s'il y en a une) occupe "
                                           "le haut de la carte mémoire en mode normal.");
    if ((masque & Ee) && (valeur & Ee) != (actuel & Ee))
        a.avertissements << QStringLiteral("EE3-EE0 : après RESET l'EEPROM sera en $%1 (elle est en $%2) ; "
                                           "changez le profil matériel en conséquence.")
                                .arg(DecHexa4(departEe(puce, valeur)), DecHexa4(departEe(puce, actuel)));
    return a;
}

ResultatConfig lireConfig(Session& s) {
    const SansSurveillance sans(s);
    ResultatConfig res;
    const Resultat<QByteArray> r = lire(s, AdresseConfig);
    if (!lu(r)) {
        echec(s, r, QStringLiteral("lecture de ") + DecHexa4(AdresseConfig));
        return res;
    }
    res.fin = FinConfig::Lu;
    res.valeur = static_cast<quint8>(r.donnees[0]);
    s.liaison.configLue = res.valeur;
    int& attendu = s.liaison.configProgrammee;
    if (attendu >= 0) {
        TraceCommande(
            s, res.valeur == attendu
                   ? QStringLiteral("CONFIG vaut %1 : la valeur programmée est en place").arg(hexa(attendu))
                   : QStringLiteral("CONFIG vaut %1 et non %2 programmé : RESET fait ? sinon la "
                                    "programmation n'a pas pris")
                         .arg(hexa(res.valeur), hexa(attendu)));
        if (res.valeur == attendu) attendu = -1;
    }
    return res;
}

ResultatConfig programmerConfig(Session& s, int valeur) {
    const SansSurveillance sans(s);
    Screen& e = s.ecran();
    ResultatConfig res;
    const Resultat<QByteArray> r = lire(s, AdresseConfig);
    if (!lu(r)) {
        echec(s, r, QStringLiteral("lecture de ") + DecHexa4(AdresseConfig));
        return res;
    }
    const int actuel = static_cast<quint8>(r.donnees[0]);
    res.valeur = actuel;
    if (valeur == actuel) {
        e.message(QStringLiteral("CONFIG vaut déjà ") + hexa(valeur), TitreApplication, Icone::Information,
                  Boutons::Ok);
        res.fin = FinConfig::DejaEnPlace;
        return res;
    }
    const AvisConfig avis = examinerConfig(s.config, actuel, valeur);
    if (!avis.refus.isEmpty()) {
        e.message(avis.refus, TitreApplication, Icone::Critique, Boutons::Ok);
        res.fin = FinConfig::Refuse;
        return res;
    }
    if (!avis.avertissements.isEmpty()) {
        const Reponse rep = e.message(avis.avertissements.join(FinLigne) + FinLigne +
                                          QStringLiteral("Programmer CONFIG à %1 ?").arg(hexa(valeur)),
                                      TitreApplication, Icone::Exclamation, Boutons::OuiNon);
        if (rep != Reponse::Oui) {
            res.fin = FinConfig::Refuse;
            return res;
        }
    }
    if (hc11reg::aBprot(s.config.HardWare)) {
        const Resultat<QByteArray> b = lire(s, hc11reg::Bprot);
        if (!lu(b)) {
            echec(s, b, QStringLiteral("lecture de BPROT"));
            return res;
        }
        if (static_cast<quint8>(b.donnees[0]) & hc11reg::Ptcon) {
            e.message(QStringLiteral("BPROT protège CONFIG (PTCON = 1) : écrivez 00 en 1035 (permis en "
                                     "bootstrap), puis recommencez."),
                      TitreApplication, Icone::Critique, Boutons::Ok);
            res.fin = FinConfig::Refuse;
            return res;
        }
    }
    // The Talker's write erases the cell, programs it, and reads back the
    // register: the copy taken at reset, still the old value.
    ViderCom(s);
    const Resultat<QByteArray> w =
        ecrireMemoire(s, AdresseConfig, QByteArray(1, static_cast<char>(valeur)), s.config.Timeout);
    if (!lu(w)) {
        echec(s, w, QStringLiteral("écriture en ") + DecHexa4(AdresseConfig));
        return res;
    }
    res.valeur = static_cast<quint8>(w.donnees[0]);
    res.fin = FinConfig::Programme;
    s.liaison.configProgrammee = valeur;
    const QString texte =
        res.valeur == valeur
            ? QStringLiteral("CONFIG programmé : %1, déjà relu.").arg(hexa(valeur))
            : QStringLiteral(
                  "CONFIG programmé : %1. La relecture donne encore %2, ce qui est normal : la puce "
                  "ne lit CONFIG qu'au RESET.")
                  .arg(hexa(valeur), hexa(res.valeur));
    TraceCommande(s, texte);
    e.message(texte + FinLigne +
                  QStringLiteral("Faites RESET, puis Load Talker, puis relisez CONFIG pour vérifier la "
                                 "nouvelle valeur."),
              TitreApplication, Icone::Information, Boutons::Ok);
    return res;
}

} // namespace tessaline
