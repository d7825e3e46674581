#include "operations/execution_commands.h"

#include "link/control_names.h"
#include "link/conversions.h"
#include "link/serial_port.h"
#include "link/trace.h"
#include "operations/breakpoints.h"
#include "operations/console_command_table.h"
#include "operations/console_commands.h"
#include "operations/program_run.h"
#include "operations/talker_link.h"

namespace tessaline {

namespace {

const QString SansBreak = QStringLiteral("Break : None");

void echo(Session& s, const QString& texte) {
    s.ecran().clear(Zone::Echo);
    s.ecran().append(Zone::Echo, texte, couleur::Rouge);
    s.console.texteEcho = texte;
}

} // namespace

bool chkBreak_Click(Session& session, bool coche) {
    Screen& e = session.ecran();
    EtatBreak& b = session.pointArret;
    if (coche) {
        e.setEnabled(controle::Step, false);
        echo(session, QStringLiteral("Break ON"));
        e.setTextColour(controle::Break, couleur::Rouge);
        e.setText(controle::Break, QStringLiteral("Break : ") + b.BreakAdr);
        session.console.CmdCourante = code::Break;
        EnableDisableSaisir(session);
        b.BreakArme = true;
        const bool arme = session.liaison.cibleTourne;
        e.setEnabled(controle::Executer, arme);
        return arme;
    }
    // Step only where a step can run: on a stopped program.
    e.setEnabled(controle::Step, session.liaison.talkerPresent && !session.liaison.cibleTourne);
    session.console.CmdCourante = code::Aucune;
    b.BreakArme = false;
    e.setEnabled(controle::Executer, false);
    e.setTextColour(controle::Break, couleur::Bleu);
    e.setText(controle::Break, SansBreak);
    echo(session, QStringLiteral("Break OFF"));
    TraceEcho(session);
    return false;
}

void cmdSTEP_Click(Session& session) {
    executerPas(session, QStringLiteral("Step"), &Step);
}

void cmdNEXT_Click(Session& session) {
    executerPas(session, QStringLiteral("Pas principal"), &PasPrincipal);
}

void cmdCONTINUE_Click(Session& session) {
    executerPas(session, QStringLiteral("Continuer"), &Continuer);
}

void cmdRUNTO_Click(Session& session, int adresse) {
    executerPas(session, QStringLiteral("Ex\u00e9cuter jusqu'\u00e0 ") + DecHexa4(adresse & 0xFFFF),
                [adresse](Session& s) { ExecuterJusquA(s, adresse); });
}

void executerPas(Session& session, const QString& nom, const std::function<void(Session&)>& operation) {
    if (!talkerPret(session)) return;
    Screen& e = session.ecran();
    e.setBusy(true);
    // Step stays on: the windows queue the steps clicked during this one.
    for (QLatin1StringView c :
         {controle::MemDump, controle::UploadBin, controle::UploadDis, controle::Disassemble,
          controle::MemFill, controle::EraseEeprom, controle::MemSet, controle::Run, controle::RegSet,
          controle::Stop, controle::DisplayReg, controle::Break, controle::Executer})
        e.setEnabled(c, false);
    e.clear(Zone::Echo);
    e.append(Zone::Echo, nom + u' ', couleur::Rouge);
    e.append(Zone::Echo, session.registres.RegPC, couleur::Bleu);
    session.console.texteEcho = nom;
    TraceEcho(session);
    session.console.CmdCourante = code::Step;
    // A step clears the console's breakpoint; the list's stay.
    if (nom == QLatin1String("Step")) {
        session.pointArret.BreakArme = false;
        e.setText(controle::Break, SansBreak);
        e.setValue(controle::Break, 0);
    }
    SurvCom(session, false);
    operation(session);
    // Step only where a step can run: on a stopped program with its Talker.
    e.setEnabled(controle::Step, session.liaison.talkerPresent && !session.liaison.cibleTourne);
    SurvCom(session, true);
    e.setBusy(false);
}

bool cmdSTOP_Click(Session& session) {
    if (session.liaison.attenteArret) {
        session.demanderAnnulation();
        return true;
    }
    if (session.horloge().dansUneAttente()) return false;
    Screen& e = session.ecran();
    e.setBusy(true);
    session.console.CmdCourante = code::Aucune;
    echo(session, QStringLiteral("Stop"));
    TraceEcho(session);
    SurvCom(session, false);
    ProgStop(session);
    SurvCom(session, true);
    e.setEnabled(controle::Executer, false);
    e.setBusy(false);
    return true;
}

} // namespace tessaline
