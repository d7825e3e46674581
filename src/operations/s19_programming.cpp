#include "operations/s19_programming.h"

#include "link/control_names.h"
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/serial_port.h"
#include "link/talker_protocol.h"
#include "link/trace.h"
#include "link/transfer.h"
#include "operations/console_command_table.h"
#include "operations/eeprom_fast_programming.h"
#include "operations/talker_link.h"

#include <QFileInfo>

#include <algorithm>

namespace tessaline {

namespace {

const QString HorsPlage = QStringLiteral("Adresse \u00e0 Programmer en dehors de la plage de l'EEPROM");

// Only the record's start address is compared with the EEPROM: a record that
// starts in it is written in full. One that would run past $FFFF would carry
// on at $0000, over the Talker itself.
bool dansEeprom(const Session& s, const EnregistrementS1& e) {
    return e.adresse >= s.config.DepartEEprom && e.adresse <= s.config.FinEeprom() &&
           e.adresse + e.donnees.size() <= EspaceAdresses;
}

// The runs of bytes of `voulus` that `lus` does not already hold, as (offset, length).
QVector<std::pair<int, int>> differences(const QByteArray& voulus, const QByteArray& lus) {
    QVector<std::pair<int, int>> runs;
    for (int i = 0; i < voulus.size();) {
        if (voulus[i] == lus[i]) {
            ++i;
            continue;
        }
        int j = i;
        while (j < voulus.size() && voulus[j] != lus[j])
            ++j;
        runs.push_back({i, j - i});
        i = j;
    }
    return runs;
}

// Where a record's write failed: the first byte that did not read back as
// sent (the record's start when the command itself failed). Past the end of
// the EEPROM nothing can be programmed: a record that starts inside it and
// runs past its end fails there, which the line says.
QString texteAdresseEchec(const Session& s, int debut, const QByteArray& voulus,
                          const Resultat<QByteArray>& r) {
    int decalage = 0;
    if (!sansEchange(r.issue)) {
        while (decalage < r.donnees.size() && decalage < voulus.size() &&
               r.donnees[decalage] == voulus[decalage])
            ++decalage;
    }
    const int adresse = (debut + decalage) & 0xFFFF;
    QString texte = QStringLiteral("Adresse : ") + DecHexa4(adresse);
    if (adresse > s.config.FinEeprom())
        texte +=
            QStringLiteral(", au-del\u00e0 de la fin de l'EEPROM (") + DecHexa4(s.config.FinEeprom()) + u')';
    return texte;
}

// Each S1 record whose checksum is wrong, on one line of the trace.
int signalerSommesFausses(Session& s, const FichierS19Lu& fichier) {
    int fausses = 0;
    for (const EnregistrementS1& e : fichier.enregistrements) {
        if (!e.sommeFausse()) continue;
        ++fausses;
        s.ecran().append(
            Zone::Trace,
            QStringLiteral("Somme de contr\u00f4le fausse ligne %1 : S1 %2, lue %3, calcul\u00e9e %4")
                    .arg(e.ligne)
                    .arg(DecHexa4(e.adresse), DecHexa2(e.sommeLue), DecHexa2(e.sommeCalculee)) +
                FinLigne,
            couleur::Rouge);
    }
    return fausses;
}

// What a download writes: the pieces of the records up to the first one
// outside the EEPROM, each at most what one exchange takes.
struct Plan {
    enum class Fin { Pret, Annule, Echec };
    Fin fin = Fin::Pret;
    QVector<MorceauProgrammation> morceaux;
    bool horsPlage = false; // a record outside the EEPROM ends the file there
    int octets = 0;
};

// The Talker's write takes a record whole (up to 256 bytes); the routine's
// pieces are cut to its buffer by fusionner.
void ajouter(Plan& p, int adresse, const QByteArray& octets, int faitsApres) {
    p.morceaux.push_back({adresse, octets, faitsApres});
    p.octets += int(octets.size());
}

// For the routine, pieces that follow one another go on in one, up to what
// one of its exchanges takes (the records of a file usually follow one
// another): fewer exchanges, and fewer characters on the wire.
QVector<MorceauProgrammation> fusionner(const QVector<MorceauProgrammation>& morceaux) {
    QVector<MorceauProgrammation> l;
    for (const MorceauProgrammation& m : morceaux) {
        for (int i = 0; i < m.octets.size();) {
            MorceauProgrammation* dernier = l.isEmpty() ? nullptr : &l.last();
            const bool suite = dernier && dernier->adresse + dernier->octets.size() == m.adresse + i &&
                               dernier->octets.size() < OctetsRoutineMax;
            if (!suite) {
                l.push_back({m.adresse + i, {}, m.faitsApres});
                dernier = &l.last();
            }
            const int n =
                std::min<int>(OctetsRoutineMax - int(dernier->octets.size()), int(m.octets.size()) - i);
            dernier->octets += m.octets.mid(i, n);
            dernier->faitsApres = m.faitsApres;
            i += n;
        }
    }
    return l;
}

// With `seulementModifies`, each record's range is read first and only the
// runs that differ are planned.
Plan planifier(Session& s, const FichierS19Lu& fichier, bool seulementModifies, BilanProgrammation& bilan) {
    Plan p;
    int faits = 0;
    for (const EnregistrementS1& e : fichier.enregistrements) {
        if (arretDemande(s)) {
            p.fin = Plan::Fin::Annule;
            break;
        }
        if (!dansEeprom(s, e)) {
            p.horsPlage = true;
            break;
        }
        if (e.donnees.isEmpty()) continue;
        faits += int(e.donnees.size());
        if (!seulementModifies) {
            ajouter(p, e.adresse, e.donnees, faits);
            continue;
        }
        ViderCom(s);
        const Resultat<QByteArray> lus = lireMemoire(s, e.adresse, int(e.donnees.size()), s.config.Timeout);
        if (lus.issue == Issue::Interrompu) {
            p.fin = Plan::Fin::Annule;
            break;
        }
        if (!lus.ok()) {
            if (lus.issue == Issue::TimeOut) AfficheTimeOut(s, QStringLiteral("RecevoirComBINDec"));
            AfficheEchec(s.ecran(), QStringLiteral("Erreur LoadMem"));
            TestTalker(s);
            p.fin = Plan::Fin::Echec;
            return p;
        }
        int ecrits = 0;
        for (const auto& [debut, longueur] : differences(e.donnees, lus.donnees)) {
            ajouter(p, e.adresse + debut, e.donnees.mid(debut, longueur), faits);
            ecrits += longueur;
        }
        bilan.dejaBons += int(e.donnees.size()) - ecrits;
    }
    return p;
}

// Below this many bytes, setting the routine up costs more than it saves:
// about 1.3 s at 9600 baud, against some 13 ms a byte saved on an erased
// EEPROM (one 10-ms pulse and the characters, where the Talker's write takes
// two pulses and two characters' handshake).
constexpr int SeuilRoutine = 96;

enum class IssueEcriture { Ecrit, Annule, Echec, EchecVerifie };

IssueEcriture ecrirePlan(Session& s, const Plan& p, BilanProgrammation& bilan, int total) {
    const auto progression = [&](int faits) {
        if (total > 0) s.ecran().setValue(controle::BarreProgression, 100 * faits / total);
    };
    if (p.octets >= SeuilRoutine) {
        ViderCom(s);
        const QVector<MorceauProgrammation> morceaux = fusionner(p.morceaux);
        const BilanRoutineProgrammation r = programmerParRoutineRam(s, morceaux, progression);
        for (int i = 0; i < r.morceauxFaits; ++i)
            bilan.ecrits += int(morceaux[i].octets.size());
        switch (r.fin) {
        case BilanRoutineProgrammation::Fin::Programme: return IssueEcriture::Ecrit;
        case BilanRoutineProgrammation::Fin::Annule: return IssueEcriture::Annule;
        case BilanRoutineProgrammation::Fin::Faux: {
            QString texte = QStringLiteral("Adresse : ") + DecHexa4(r.adresse);
            if (r.adresse > s.config.FinEeprom())
                texte += QStringLiteral(", au-del\u00e0 de la fin de l'EEPROM (") +
                         DecHexa4(s.config.FinEeprom()) + u')';
            AfficheEchec(s.ecran(), QStringLiteral("Erreur EnvoiS19") + FinLigne + texte);
            TestTalker(s);
            return IssueEcriture::EchecVerifie;
        }
        case BilanRoutineProgrammation::Fin::Echec: return IssueEcriture::EchecVerifie;
        case BilanRoutineProgrammation::Fin::Impossible:
            TraceCommande(s, QStringLiteral("Programmation rapide impossible (") + r.raison +
                                 QStringLiteral(") : \u00e9criture octet par octet par le Talker"));
            break;
        }
    }
    for (const MorceauProgrammation& m : p.morceaux) {
        // Cancel is looked at between two writes.
        if (arretDemande(s)) return IssueEcriture::Annule;
        if (!EnvoiS19(s, m.octets, DecHexa4(m.adresse)))
            return arretDemande(s) ? IssueEcriture::Annule : IssueEcriture::EchecVerifie;
        bilan.ecrits += int(m.octets.size());
        progression(m.faitsApres);
    }
    return IssueEcriture::Ecrit;
}

void finNormale(Session& s) {
    SurvCom(s, true);
}

// `verifier`: the Talker check, unless the failure ran its own already (a
// second one would only wait for the same silence again).
void finErreur(Session& s, bool verifier = true) {
    if (verifier) TestTalker(s);
    // Execute stays disabled until another command is chosen.
    s.console.CmdCourante = code::Aucune;
    SurvCom(s, true);
}

} // namespace

bool EnvoiS19(Session& session, const QByteArray& donnees, const QString& adresse) {
    ViderCom(session);
    const Resultat<QByteArray> r = ecrireMemoire(session, HexaDec(adresse), donnees, session.config.Timeout);
    // Cancel asked before the command byte went out: nothing was written.
    if (r.issue == Issue::Interrompu) return false;
    if (r.ok() && r.donnees == donnees) return true;
    if (r.issue == Issue::TimeOut) AfficheTimeOut(session, QStringLiteral("RecevoirComBINDec"));
    AfficheEchec(session.ecran(), QStringLiteral("Erreur EnvoiS19") + FinLigne +
                                      texteAdresseEchec(session, HexaDec(adresse), donnees, r));
    TestTalker(session);
    return false;
}

BilanProgrammation ProgS19(Session& session, bool seulementModifies) {
    Screen& e = session.ecran();
    BilanProgrammation bilan;
    session.liaison.annulation = false;
    SurvCom(session, false);
    const QString chemin = session.fichiers.FichierS19;
    if (chemin.isEmpty() || !QFileInfo::exists(chemin)) {
        finNormale(session);
        return bilan;
    }
    const FichierS19Lu fichier = lireFichierS19(chemin);
    if (!fichier.lu) {
        AfficheEchec(e, fichier.erreur);
        bilan.fin = BilanProgrammation::Fin::Echec;
        finErreur(session);
        return bilan;
    }
    bilan.sommesFausses = signalerSommesFausses(session, fichier);
    // Counted now, from the file being programmed: what the view counted may
    // be out of date, or zero.
    const int total = fichier.octets();
    e.setText(controle::TitreInfo, QStringLiteral("Load *.S19 !..."));
    e.setText(controle::TexteInfo, QStringLiteral("Programmation ") + session.config.HardWare +
                                       QStringLiteral(" en cours ...") + FinLigne +
                                       QStringLiteral("Attendez S.V.P ..."));
    e.setValue(controle::BarreProgression, 0);

    const Plan plan = planifier(session, fichier, seulementModifies, bilan);
    if (plan.fin == Plan::Fin::Echec) {
        bilan.fin = BilanProgrammation::Fin::Echec;
        finErreur(session, false);
        return bilan;
    }
    const IssueEcriture ecrit = ecrirePlan(session, plan, bilan, total);
    if (ecrit == IssueEcriture::EchecVerifie) {
        bilan.fin = BilanProgrammation::Fin::Echec;
        finErreur(session, false);
        return bilan;
    }
    if (ecrit == IssueEcriture::Annule || plan.fin == Plan::Fin::Annule) {
        bilan.fin = BilanProgrammation::Fin::Annule;
    } else if (plan.horsPlage) {
        e.message(HorsPlage, TitreApplication, Icone::Critique, Boutons::Ok);
        bilan.fin = BilanProgrammation::Fin::Echec;
        finErreur(session);
        return bilan;
    }
    finNormale(session);
    return bilan;
}

BilanProgrammation chargerS19(Session& session, bool seulementModifies) {
    // The entry names the file and the addresses its records cover.
    const QString& chemin = session.fichiers.FichierS19;
    QString entree = QStringLiteral("Load ") + chemin;
    const FichierS19Lu fichier = lireFichierS19(chemin);
    int debut = EspaceAdresses, fin = -1;
    for (const EnregistrementS1& e : fichier.enregistrements)
        if (!e.donnees.isEmpty()) {
            debut = std::min(debut, e.adresse);
            fin = std::max(fin, e.adresse + int(e.donnees.size()) - 1);
        }
    if (fin >= debut) entree += u' ' + DecHexa4(debut) + u'-' + DecHexa4(fin & 0xFFFF);
    TraceCommande(session, entree);
    BilanProgrammation bilan;
    session.ecran().runInProgressWindow(QStringLiteral("Load *.S19 !..."),
                                        [&] { bilan = ProgS19(session, seulementModifies); });
    return bilan;
}

void chargerS19(Session& session) {
    chargerS19(session, false);
}

} // namespace tessaline
