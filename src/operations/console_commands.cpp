#include "operations/console_commands.h"

#include "link/control_names.h"
#include "link/serial_port.h"
#include "operations/talker_link.h"

namespace tessaline {

QString completer(const QString& texte, int chiffres) {
    if (texte.size() >= chiffres) return texte;
    return QString(chiffres - texte.size(), u'0') + texte;
}

QString completerValeur(const QString& texte) {
    return completer(texte, texte.size() >= 3 ? 4 : 2);
}

void EnableDisableSaisir(Session& session) {
    Screen& e = session.ecran();
    const int champs = champsDe(session.console.CmdCourante);
    e.setEnabled(controle::Adresse, champs & champ::Adresse);
    e.setEnabled(controle::Longueur, champs & champ::Longueur);
    e.setEnabled(controle::Valeur, champs & champ::Valeur);
}

void selectionnerCommande(Session& session, int codeCommande, const QString& texteEcho) {
    Screen& e = session.ecran();
    e.clear(Zone::Echo);
    e.append(Zone::Echo, texteEcho, couleur::Rouge);
    session.console.texteEcho = texteEcho;
    session.console.CmdCourante = codeCommande;
    EnableDisableSaisir(session);
}

void RemplirECHO(Session& session, const QString& adresse, const QString& longueur, const QString& valeur) {
    Screen& e = session.ecran();
    EtatConsole& c = session.console;
    c.CmdLongueur = completer(longueur, 4);
    if (c.CmdLongueur == QStringLiteral("0000")) c.CmdLongueur = QStringLiteral("0080");
    c.CmdAdresse = completer(adresse, 4);
    c.CmdValeur = completerValeur(valeur);
    e.setText(controle::Longueur, c.CmdLongueur);
    e.setText(controle::Adresse, c.CmdAdresse);
    e.setText(controle::Valeur, c.CmdValeur);

    // One blank between the command and each value, also after the echo
    // texts that end in a blank of their own ("Disassemble ", "Step ").
    e.clear(Zone::Echo);
    QString tete = c.texteEcho;
    while (tete.endsWith(u' '))
        tete.chop(1);
    e.append(Zone::Echo, tete, couleur::Rouge);
    switch (c.CmdCourante) {
    case code::MemSet:
        e.append(Zone::Echo, u' ' + c.CmdAdresse, couleur::Bleu);
        e.append(Zone::Echo, u' ' + c.CmdValeur, couleur::Noir);
        break;
    case code::MemFill:
        e.append(Zone::Echo, u' ' + c.CmdAdresse, couleur::Bleu);
        e.append(Zone::Echo, u' ' + c.CmdLongueur, couleur::Vert);
        e.append(Zone::Echo, u' ' + c.CmdValeur, couleur::Noir);
        break;
    case code::Run:
    case code::Break:
    case code::Disassemble: e.append(Zone::Echo, u' ' + c.CmdAdresse, couleur::Bleu); break;
    default:
        e.append(Zone::Echo, u' ' + c.CmdAdresse, couleur::Bleu);
        e.append(Zone::Echo, u' ' + c.CmdLongueur, couleur::Vert);
        break;
    }
}

bool executerCommande(Session& session) {
    Screen& e = session.ecran();
    e.setEnabled(controle::Executer, false);
    SurvCom(session, false);
    e.setBusy(true);
    const int code = session.console.CmdCourante;
    const CommandeConsole* commande = commandeParCode(code);
    bool pret = commande && commande->executer;
    // Every command but Break (which only arms the breakpoint on a stopped
    // program, and waits for a running one) works on the stopped target
    // through the Talker: it must be there first.
    if (pret && code != code::Break && !session.liaison.cibleTourne && !talkerPret(session)) pret = false;
    if (pret) commande->executer(session);
    // A command that ends by selecting none (Run, Break) leaves Execute idle.
    pret = pret && session.console.CmdCourante == code;
    e.setEnabled(controle::Executer, pret);
    SurvCom(session, true);
    e.setBusy(false);
    return pret;
}

} // namespace tessaline
