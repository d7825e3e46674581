#include "cli/cli_commands.h"

#include "cli/cli_assemble.h"
#include "cli/cli_interruption.h"
#include "cli/cli_programming.h"
#include "cli/cli_watch.h"
#include "disasm/desass_instr.h"
#include "link/control_names.h"
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/registers.h"
#include "link/serial_port.h"
#include "link/tempo.h"
#include "link/transfer.h"
#include "operations/board_time_tools.h"
#include "operations/breakpoint_table.h"
#include "operations/console_commands.h"
#include "operations/execution_commands.h"
#include "operations/talker_commands.h"

#include <QRegularExpression>

namespace tessaline {

namespace {

// The commands that send nothing: the configuration, the decoder, the
// assembler, and a wait (the program runs, or the Talker idles, without the host).
bool parleALaCible(const QString& nom) {
    return nom != "info" && nom != "disasm" && nom != "wait" && nom != "assemble" && nom != "breaks" &&
           nom != "watchpoint";
}

} // namespace

bool commandeCible(const LigneCommande& ligne) {
    for (const CommandeCli& c : ligne.commandes)
        if (parleALaCible(c.nom)) return true;
    return false;
}

namespace {

QString plage(double debut, double fin) {
    auto hexa = [](double v) {
        try {
            return DecHexa4(v);
        } catch (const std::exception&) {
            return QStringLiteral("????");
        }
    };
    return hexa(debut) + u'-' + hexa(fin);
}

void afficherEtat(const Session& session, QTextStream& sortie) {
    Screen& e = const_cast<Session&>(session).ecran();
    sortie << "Talker: " << e.panel(QStringLiteral("Talker")) << '\n';
    sortie << "Cible: " << e.panel(QStringLiteral("Cible")) << '\n';
    sortie.flush();
}

void afficherRegistres(const Session& session, QTextStream& sortie) {
    QStringList champs;
    for (const DescriptionRegistre& d : descriptionsRegistres())
        champs << QLatin1String(d.libelle) + session.registres.*(d.texte);
    sortie << champs.join(u' ') << '\n';
    sortie.flush();
}

// The console buttons behind the commands the command line gives by name.
struct BoutonParNom {
    const char* nom;
    QLatin1StringView bouton;
};
constexpr BoutonParNom BoutonsConsole[] = {
    {"dump", controle::MemDump},
    {"fill", controle::MemFill},
    {"set", controle::MemSet},
    {"disassemble", controle::Disassemble},
    {"run", controle::Run},
    {"break", controle::Break},
    {"step", controle::Step},
    {"stop", controle::Stop},
    // Continue and step over run where Step does: on a stopped program.
    {"continue", controle::Step},
    {"next", controle::Step},
};

const CommandeConsole* boutonDe(const QString& nom) {
    const auto it = std::find_if(std::begin(BoutonsConsole), std::end(BoutonsConsole),
                                 [&](const BoutonParNom& b) { return nom == QLatin1String(b.nom); });
    return it == std::end(BoutonsConsole) ? nullptr : commandeParBouton(it->bouton);
}

EtatLien etatLien(const Session& s) {
    if (!s.liaison.talkerPresent) return EtatLien::SansTalker;
    return s.liaison.cibleTourne ? EtatLien::CibleEnMarche : EtatLien::CibleArretee;
}

// The console disables its button for the command in this link state (Run
// and Step while the program runs, Stop while it is stopped...): nothing is
// sent for it.
bool refusee(const Session& s, const QString& nom) {
    const CommandeConsole* c = boutonDe(nom);
    return c && c->etats[static_cast<int>(etatLien(s))] == Activation::Inactif;
}

// What the console does when the user picks a command, fills its fields and
// presses Execute: the command's arguments fill, in order, the fields it uses
// (address, length, value). False when `nom` has no Execute of its own.
bool console(Session& s, const QString& nom, const QStringList& arguments) {
    const CommandeConsole* commande = boutonDe(nom);
    if (!commande || !commande->executer) return false;
    constexpr int Ordre[3] = {champ::Adresse, champ::Longueur, champ::Valeur};
    QString champs[3];
    int suivant = 0;
    for (int i = 0; i < 3; ++i)
        if (commande->champs & Ordre[i]) champs[i] = arguments.value(suivant++);
    selectionnerCommande(s, commande->code, QString::fromUtf8(commande->echo));
    RemplirECHO(s, champs[0], champs[1], champs[2]);
    // Break goes through Execute in both link states: on a running program it
    // plants the breakpoint and waits for it; on a stopped one it only arms it
    // for the next run.
    executerCommande(s);
    return true;
}

// The stopped display writes the echo area as the stop address, a blank and
// the instruction there; no command's own echo starts so.
const QRegularExpression EchoArret(QStringLiteral("^[0-9A-F]{4} "));

// After a command that may stop the program: its stopped display, if it
// ended on one, as the echo line (which names the address by the program's
// symbols: "FE0A <boucle+3> ...") then the registers line. True when it did.
bool montrerArret(Session& s, QTextStream& sortie) {
    const QString echo = s.ecran().text(Zone::Echo);
    if (!s.liaison.talkerPresent || s.liaison.cibleTourne || !EchoArret.match(echo).hasMatch()) return false;
    sortie << echo << '\n';
    afficherRegistres(s, sortie);
    // The simulated board's word on the stop: the cycles, a watchpoint.
    for (const QString& ligne : s.rapportArret)
        sortie << ligne << '\n';
    sortie.flush();
    return true;
}

// The breakpoints, one a line: the address, its symbol, and whether it is
// disabled or planted.
void afficherPoints(const Session& s, QTextStream& sortie) {
    for (const PointArret& p : s.points.liste) {
        sortie << DecHexa4(p.adresse) << marqueSymbole(s.symboles, p.adresse);
        if (!p.actif) sortie << QStringLiteral(" d\u00e9sactiv\u00e9");
        sortie << '\n';
    }
    if (s.points.liste.isEmpty()) sortie << QStringLiteral("Aucun point d'arr\u00eat") << '\n';
    sortie.flush();
}

// A run or a continue waits for the program to stop: the list's breakpoints, or the
// simulated board's watchpoints, will stop it.
bool attendUnArret(Session& s) {
    return !pointsActifs(s).isEmpty() || (s.outilsCarte && !s.outilsCarte->observations().isEmpty());
}

// `watchpoint ADDRESS[-END] [r|w|rw]` adds one to the board's, `watchpoint none`
// removes them all; the list then, one a line.
bool poserObservation(Session& s, const QStringList& a, QTextStream& sortie, QTextStream& erreurs) {
    if (!s.outilsCarte) {
        erreurs << QStringLiteral(
                       "tessaline-cli: watchpoint: seule la carte simul\u00e9e (--simulate) a des points "
                       "d'observation")
                << Qt::endl;
        return false;
    }
    QVector<BoardTools::Observation> liste;
    if (a.value(0) != QLatin1String("none")) {
        QString erreur;
        const auto o = lireObservation(a, erreur); // checked with the command line
        if (!o) return false;
        liste = s.outilsCarte->observations();
        if (!liste.contains(*o)) liste << *o;
    }
    s.outilsCarte->poserObservations(liste);
    for (const BoardTools::Observation& o : liste)
        sortie << QStringLiteral("Point d'observation ") << texteObservation(o) << '\n';
    if (liste.isEmpty()) sortie << QStringLiteral("Aucun point d'observation") << '\n';
    sortie.flush();
    return true;
}

// `delete ADDRESS` or `delete all`; the console's breakpoint goes with the
// list's at the same address.
bool retirerDeLaListe(Session& s, const QString& quoi, QTextStream& erreurs) {
    EtatBreak& b = s.pointArret;
    if (quoi == QLatin1String("all")) {
        retirerTousLesPoints(s);
        b.BreakArme = false;
        return true;
    }
    const int adresse = HexaDec(quoi) & 0xFFFF;
    if (b.BreakArme && (HexaDec(b.BreakAdr) & 0xFFFF) == adresse) b.BreakArme = false;
    if (retirerPoint(s, adresse)) return true;
    erreurs << QStringLiteral("tessaline-cli: pas de point d'arr\u00eat \u00e0 ") << DecHexa4(adresse)
            << Qt::endl;
    return false;
}

// The program runs (or the Talker idles) for `millisecondes` on the session's
// clock; an interruption ends the wait.
void attendre(Session& s, int millisecondes) {
    constexpr double Tranche = 0.1;
    const double duree = millisecondes / 1000.0;
    const double debut = s.horloge().now();
    for (;;) {
        const double passe = ecoule(debut, s.horloge().now());
        if (passe >= duree || s.liaison.interruption) return;
        Tempo(s.horloge(), static_cast<float>(std::min(Tranche, duree - passe)));
        // The watch's timer counts wall time, the simulated board's clock may
        // run faster: a stop of the program's own is looked for at each slice.
        if (s.surveillance().isEnabled()) s.surveillance().tick();
    }
}

// After `run` or `continue` towards the list's breakpoints: the program runs
// free until the link watch catches its stop. Bounded by the time-out as a
// breakpoint's wait is; past it, or on Ctrl-C, the program is stopped where it is.
void attendreUnPoint(Session& s) {
    const double delai = s.config.Timeout / 10.0;
    const double debut = s.horloge().now();
    while (s.liaison.cibleTourne && s.liaison.talkerPresent && !s.liaison.interruption &&
           ecoule(debut, s.horloge().now()) < delai) {
        Tempo(s.horloge(), 0.01f);
        if (s.surveillance().isEnabled()) s.surveillance().tick();
    }
    if (!s.liaison.cibleTourne || !s.liaison.talkerPresent) return;
    if (!s.liaison.interruption)
        AfficheEchec(s.ecran(), QStringLiteral("Pas de point d'arr\u00eat atteint"), Remede::ArretNonAtteint);
    const RetraitEnCours arret(s);
    cmdSTOP_Click(s);
}

} // namespace

void afficherInfo(const Session& session, const QString& emplacementReglages, QTextStream& sortie) {
    const Configuration& c = session.config;
    const int n = numeroPort(c.Port);
    const QString nom = n > 0 ? QStringLiteral("COM%1").arg(n) : c.Port;
    sortie << "Settings: " << emplacementReglages << '\n';
    sortie << "Port: " << nom << ':' << texteParametres(c.Baud) << '\n';
    sortie << "Device: " << cheminPeripherique(c, c.Port) << '\n';
    sortie << "HardWare: " << c.HardWare << '\n';
    sortie << "Quartz: " << c.Quartz << '\n';
    sortie << "Baud: " << c.Baud << '\n';
    sortie << "BootBaud: " << c.BootBaud << '\n';
    sortie << "Timeout: " << c.Timeout << '\n';
    sortie << "RAM: " << plage(c.DepartRam, c.FinRam()) << '\n';
    sortie << "EEPROM: " << plage(c.DepartEEprom, c.FinEeprom()) << '\n';
    sortie << "Talker: " << c.TalkerPrepare.toHex().toUpper() << '\n';
    sortie.flush();
}

namespace {

int executerLesCommandes(Session& session, const LigneCommande& ligne, ConsoleScreen& ecran,
                         const QString& emplacementReglages, QTextStream& sortie, QTextStream& erreurs) {
    bool echec = false;
    if (commandeCible(ligne)) {
        ComOpen(session);
        if (!session.liaison.portOuvert) return 1;
        installerVerificationLiaison(session);
    }
    // The link is checked before the first command that talks to the target,
    // unless that command downloads the Talker. A check that finds no Talker,
    // or a confused one, ends the run before anything is sent to it.
    bool verifie = false;
    QString enCours;
    const auto interrompu = [&] {
        // An exchange left unfinished is shown as it is, without sending anything more.
        TestTalker(session);
        erreurs << "tessaline-cli: Interrompu"
                << (enCours.isEmpty() ? QString() : QStringLiteral(" : ") + enCours) << Qt::endl;
        return StatutInterrompu;
    };
    for (qsizetype index = 0; index < ligne.commandes.size(); ++index) {
        // A signal caught since the last wait is handed on here.
        session.horloge().processEvents();
        if (session.liaison.interruption) return interrompu();
        CommandeCli commande = ligne.commandes[index];
        if (ligne.symbolesALaDemande && !commande.symboles.isEmpty()) {
            QString erreur;
            const std::optional<CommandeCli> resolue =
                resoudreCommande(ligne, index, session.symboles, erreur);
            if (!resolue) {
                erreurs << QStringLiteral("tessaline-cli: ") << erreur << Qt::endl;
                return 1;
            }
            commande = *resolue;
        }
        enCours = (QStringList{commande.nom} + commande.arguments).join(u' ');
        const QStringList& a = commande.arguments;
        const bool cible = parleALaCible(commande.nom);
        if (cible && !verifie) {
            verifie = true;
            if (commande.nom != "load-talker") {
                TestTalker(session);
                if (session.liaison.interruption) return interrompu();
                if (commande.nom == "test-talker") {
                    afficherEtat(session, sortie);
                    if (!session.liaison.talkerPresent) return 1;
                    continue;
                }
                if (!session.liaison.talkerPresent) {
                    erreurs << QStringLiteral("tessaline-cli: ")
                            << avecRemede(
                                   QStringLiteral("Pas de Talker : %1 n'est pas lanc\u00e9").arg(enCours),
                                   Remede::Demarrage)
                            << Qt::endl;
                    return 1;
                }
            }
        }
        if (cible && refusee(session, commande.nom)) {
            // The state as the status bar gives it: no Talker (and what to do
            // about it), or the target's.
            const bool talker = session.liaison.talkerPresent;
            const QString etat =
                session.ecran().panel(talker ? QStringLiteral("Cible") : QStringLiteral("Talker"));
            const QString refus = QStringLiteral("%1 : %2 n'est pas lanc\u00e9").arg(etat, enCours);
            erreurs << QStringLiteral("tessaline-cli: ")
                    << (talker ? refus : avecRemede(refus, Remede::Demarrage)) << Qt::endl;
            return 1;
        }
        // Only a stop made by this command is shown.
        session.ecran().clear(Zone::Echo);
        if (commande.nom == "info") {
            afficherInfo(session, emplacementReglages, sortie);
        } else if (commande.nom == "disasm") {
            const QString adresse = completer(a.value(1, QStringLiteral("0")), 4);
            const Desassemblage d =
                DesassInstr(a[0], adresse, session.registres.RegIX, session.registres.RegIY);
            sortie << d.ligne << '\n' << "L=" << d.LongInstr << " D=" << d.AdrDest << '\n';
            sortie.flush();
        } else if (commande.nom == "load-talker") {
            // Unlike the windows, nobody may be there to press Cancel: the wait
            // for the board's reset is bounded by the time-out.
            // A Talker kept from before serves as well as a new one.
            echec |= chargerTalker(session, session.config.Timeout) == ResultatChargement::Annule;
            afficherEtat(session, sortie);
        } else if (commande.nom == "test-talker") {
            TestTalker(session);
            afficherEtat(session, sortie);
            echec |= !session.liaison.talkerPresent;
        } else if (commande.nom == "assemble") {
            echec |= !assemblerSource(session, a[0], sortie);
            // The stops name the new symbols from here on.
            QString sansSymboles;
            if (ligne.symbolesALaDemande) resoudreCommande(ligne, index, session.symboles, sansSymboles);
        } else if (commande.nom == "regs") {
            chargerRegistres(session);
            // Registers that did not come from the target are not printed.
            if (session.liaison.talkerPresent)
                afficherRegistres(session, sortie);
            else
                echec = true;
        } else if (commande.nom == "wait") {
            attendre(session, a[0].toInt());
            montrerArret(session, sortie); // the program's own SWI, caught by the link watch
        } else if (commande.nom == "watch") {
            echec |= !surveillerMemoire(session, session.symboles, a, sortie);
            montrerArret(session, sortie); // a stop of the program's own meanwhile
        } else if (commande.nom == "stop") {
            cmdSTOP_Click(session);
            echec |= !montrerArret(session, sortie);
        } else if (commande.nom == "step") {
            const int pas = a.isEmpty() ? 1 : a[0].toInt();
            for (int i = 0;
                 i < pas && !session.liaison.interruption && SignauxInterruption::signalRecu() == 0; ++i) {
                cmdSTEP_Click(session);
                if (!montrerArret(session, sortie)) {
                    echec = true;
                    break;
                }
            }
        } else if (commande.nom == "next" || commande.nom == "continue") {
            const int fois = a.isEmpty() ? 1 : a[0].toInt();
            const bool arretAttendu = commande.nom == "next" || attendUnArret(session);
            for (int i = 0;
                 i < fois && !session.liaison.interruption && SignauxInterruption::signalRecu() == 0; ++i) {
                commande.nom == "next" ? cmdNEXT_Click(session) : cmdCONTINUE_Click(session);
                if (arretAttendu && session.liaison.cibleTourne) attendreUnPoint(session);
                if (montrerArret(session, sortie) != arretAttendu) {
                    echec = true;
                    break;
                }
            }
        } else if (commande.nom == "back") {
            const int pas = a.isEmpty() ? 1 : a[0].toInt();
            executerPas(session, QStringLiteral("Pas arri\u00e8re"),
                        [pas](Session& s) { PasArriere(s, pas); });
            echec |= !montrerArret(session, sortie);
        } else if (commande.nom == "watchpoint") {
            echec |= !poserObservation(session, a, sortie, erreurs);
        } else if (commande.nom == "breaks") {
            afficherPoints(session, sortie);
        } else if (commande.nom == "delete") {
            echec |= !retirerDeLaListe(session, a[0], erreurs);
        } else if (commande.nom == "break" && !ajouterPoint(session, HexaDec(a[0]) & 0xFFFF)) {
            echec = true;
        } else if (commande.nom == "break" && !session.liaison.cibleTourne) {
            // Stopped: the next run, continue or step over stops there.
        } else if (!commandeProgrammation(session, commande, ecran, ligne.options.yes, sortie, erreurs,
                                          echec)) {
            const bool versLeBreak =
                commande.nom == "run" && (session.pointArret.BreakArme || attendUnArret(session));
            const bool breakEnMarche = commande.nom == "break" && session.liaison.cibleTourne;
            console(session, commande.nom, a);
            if (versLeBreak && session.liaison.cibleTourne) attendreUnPoint(session);
            if (montrerArret(session, sortie) != (versLeBreak || breakEnMarche)) echec = true;
        }
        // A signal that stopped the program rather than the exchange ends the
        // run here as well.
        if (session.liaison.interruption || SignauxInterruption::signalRecu() != 0) return interrompu();
    }
    return echec || ecran.reports() > 0 ? 1 : 0;
}

} // namespace

int executerCommandes(Session& session, const LigneCommande& ligne, ConsoleScreen& ecran,
                      const QString& emplacementReglages, QTextStream& sortie, QTextStream& erreurs) {
    session.symboles = ligne.symboles;
    const int statut = executerLesCommandes(session, ligne, ecran, emplacementReglages, sortie, erreurs);
    // The run lets go of the board: every SWI it planted is taken back, so
    // that the chip keeps none that no host knows of.
    const int avant = ecran.reports();
    // After Ctrl-C the program stays stopped, as the console's Stop leaves it.
    lacherPoints(session, !session.liaison.interruption && SignauxInterruption::signalRecu() == 0);
    if (statut != 0) return statut;
    // Interrupted while it took them back: the run did not end as asked.
    if (session.liaison.interruption || SignauxInterruption::signalRecu() != 0) {
        erreurs << "tessaline-cli: Interrompu" << Qt::endl;
        return StatutInterrompu;
    }
    return ecran.reports() > avant ? 1 : 0;
}

} // namespace tessaline
