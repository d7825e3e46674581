#include "operations/talker_commands.h"
#include "operations/breakpoint_table.h"

#include "link/control_names.h"
#include "link/serial_port.h"
#include "link/tempo.h"
#include "link/trace.h"
#include "operations/console_command_table.h"

namespace tessaline {

namespace {

// Long enough for an interrupted wait to see the abort flag and return.
constexpr float PauseAbandon = 0.2f;

QString echoDe(int codeCommande) {
    return QString::fromUtf8(commandeParCode(codeCommande)->echo);
}

void afficherEcho(Session& session, const QString& echo) {
    session.ecran().clear(Zone::Echo);
    session.ecran().append(Zone::Echo, echo, couleur::Rouge);
}

} // namespace

void chargerRegistres(Session& session) {
    Screen& e = session.ecran();
    e.setEnabled(controle::DisplayReg, false);
    e.setBusy(true);
    session.console.CmdCourante = code::Aucune;
    // Load Reg selects no command: its echo is found by its button.
    afficherEcho(session, QString::fromUtf8(commandeParBouton(controle::DisplayReg)->echo));
    TraceEcho(session);
    SurvCom(session, false);
    TestTalker(session);
    SurvCom(session, true);
    e.setBusy(false);
    e.setEnabled(controle::DisplayReg, true);
}

ResultatChargement chargerTalker(Session& session, int attenteBreak) {
    // Whatever wait is in progress (the start-up check, a dump) ends now.
    session.demanderAbandon();
    Tempo(session.horloge(), PauseAbandon);
    const QString echo = echoDe(code::LoadTalker);
    afficherEcho(session, echo);
    session.console.texteEcho = echo;
    session.console.CmdCourante = code::LoadTalker;
    TraceEcho(session);
    ResultatChargement resultat = ResultatChargement::Annule;
    session.ecran().runInProgressWindow(QStringLiteral("Reset ") + session.config.HardWare +
                                            QStringLiteral(" !..."),
                                        [&] { resultat = LoadTalker(session, attenteBreak); });
    // The list survives the reset: what the new Talker finds is checked.
    if (resultat != ResultatChargement::Annule) reprendrePoints(session);
    return resultat;
}

} // namespace tessaline
