#include "operations/eeprom_erase.h"

#include "link/control_names.h"
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/serial_port.h"
#include "link/talker_protocol.h"
#include "link/trace.h"
#include "link/transfer.h"
#include "operations/console_commands.h"
#include "operations/eeprom_bulk_erase.h"
#include "operations/talker_link.h"

#include <algorithm>

namespace tessaline {

namespace {

constexpr int TailleBloc = 64;
constexpr char Efface = '\xFF';
constexpr int BlocEcrit = -1;
constexpr int RienEnvoye = -2;

QString bornes(int debut, int longueur) {
    return DecHexa4(debut) + QStringLiteral(" - ") + DecHexa4(debut + longueur - 1);
}

void annoncerBloc(Session& s, int debut, int longueur) {
    Screen& e = s.ecran();
    e.clear(Zone::Echo);
    e.append(Zone::Echo, QStringLiteral("Erase EEPROM "), couleur::Rouge);
    e.append(Zone::Echo, bornes(debut, longueur), couleur::Bleu);
    e.setText(controle::TexteInfo, QStringLiteral("Effacement en cours Bloc : ") + bornes(debut, longueur));
    TraceEcho(s);
}

// Writes one block; returns BlocEcrit when every byte read back as $FF,
// RienEnvoye when a stop asked before kept the command from going out, else
// the address to report: the failing byte's, or the block's when its command
// was not taken.
int ecrireBloc(Session& s, int debut, int longueur) {
    const QByteArray ff(longueur, Efface);
    const Resultat<QByteArray> r = ecrireMemoire(s, debut, ff, s.config.Timeout);
    if (r.issue == Issue::Interrompu) return RienEnvoye;
    if (sansEchange(r.issue)) return debut;
    for (int i = 0; i < r.donnees.size(); ++i)
        if (r.donnees[i] != Efface) return debut + i;
    if (!r.ok()) {
        if (r.issue == Issue::TimeOut) AfficheTimeOut(s, QStringLiteral("RecevoirComBINDec"));
        return debut + static_cast<int>(r.donnees.size());
    }
    return BlocEcrit;
}

// The whole array in one pulse when a routine can run for it; otherwise
// (said in the trace) NonFait, and the blocks follow.
ResultatEffacementRapide effacerEnUnPassage(Session& s, int depart, int fin) {
    if (arretDemande(s)) return {FinEffacementRapide::NonFait, {}, 0};
    annoncerBloc(s, depart, std::min(fin, EspaceAdresses - 1) - depart + 1);
    ViderCom(s);
    ResultatEffacementRapide r = effacerEepromEnBloc(s);
    if (r.fin == FinEffacementRapide::NonFait)
        TraceCommande(s, QStringLiteral("Effacement en un seul passage impossible (") + r.raison +
                             QStringLiteral(") : effacement par blocs de 64 octets"));
    return r;
}

} // namespace

FinEffacement EraseEEPROM(Session& session) {
    Screen& e = session.ecran();
    const int depart = static_cast<int>(session.config.DepartEEprom);
    const int fin = static_cast<int>(session.config.FinEeprom());
    const int taille = static_cast<int>(session.config.TailleEeprom);
    int compteur = 0;
    session.liaison.annulation = false;
    e.setEnabled(controle::Executer, false);
    e.setValue(controle::BarreProgression, 0);
    // The watch stops at once: the first block can go out straight away.
    SurvCom(session, false);

    FinEffacement issue = FinEffacement::Efface;
    const ResultatEffacementRapide rapide = effacerEnUnPassage(session, depart, fin);
    if (rapide.fin == FinEffacementRapide::Efface) {
        e.setValue(controle::BarreProgression, 100);
    } else if (rapide.fin == FinEffacementRapide::NonEfface) {
        AfficheEchec(e, QStringLiteral("Erreur FillERASE Adresse : ") + DecHexa4(rapide.adresse));
        issue = FinEffacement::Echec;
    } else if (rapide.fin == FinEffacementRapide::Echec) {
        issue = FinEffacement::Echec;
    }
    for (int bloc = depart;
         rapide.fin == FinEffacementRapide::NonFait && bloc <= fin && bloc < EspaceAdresses;
         bloc += TailleBloc) {
        if (arretDemande(session)) {
            issue = FinEffacement::Annule;
            break;
        }
        // The last block is written in full past the end of a size that is not
        // a multiple of 64, but never past $FFFF, where it would wrap to the
        // Talker at $0000.
        const int longueur = std::min(TailleBloc, EspaceAdresses - bloc);
        annoncerBloc(session, bloc, longueur);
        ViderCom(session);
        if (arretDemande(session)) {
            issue = FinEffacement::Annule;
            break;
        }
        const int echec = ecrireBloc(session, bloc, longueur);
        if (echec == RienEnvoye) {
            issue = FinEffacement::Annule;
            break;
        }
        if (echec != BlocEcrit) {
            AfficheEchec(e, QStringLiteral("Erreur FillERASE Adresse : ") + DecHexa4(echec));
            issue = FinEffacement::Echec;
            break;
        }
        compteur += longueur;
        if (taille > 0) e.setValue(controle::BarreProgression, std::min(100, 100 * compteur / taille));
    }

    // The Talker is back in its idle loop as soon as a block's closing byte is
    // in: the check follows at once, with the watch still off so that it
    // cannot take the check's own bytes.
    if (issue != FinEffacement::Efface) session.liaison.abandon = true;
    TestTalker(session);
    SurvCom(session, true);
    return issue;
}

FinCommandeEffacement effacerEeprom(Session& session) {
    Screen& e = session.ecran();
    selectionnerCommande(session, code::EraseEeprom, QStringLiteral("Erase EEPROM"));
    e.beep();
    const Reponse r =
        e.messageAvecAide(QStringLiteral("Etes vous Sur de Vouloir ") + FinLigne +
                              QStringLiteral("Effacer l'EEPROM ? ....") + FinLigne,
                          TitreApplication, Icone::Critique, Boutons::OuiNon, contexteAide::EffacementEeprom);
    if (r != Reponse::Oui) return FinCommandeEffacement::NonConfirme;
    FinEffacement fin = FinEffacement::Annule;
    e.runInProgressWindow(QStringLiteral("Erase EEPROM !..."), [&] { fin = EraseEEPROM(session); });
    switch (fin) {
    case FinEffacement::Efface: return FinCommandeEffacement::Efface;
    case FinEffacement::Annule: return FinCommandeEffacement::Annule;
    case FinEffacement::Echec: break;
    }
    return FinCommandeEffacement::Echec;
}

void cmdErasEEPROM(Session& session) {
    effacerEeprom(session);
}

} // namespace tessaline
