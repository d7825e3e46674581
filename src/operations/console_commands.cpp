#include "operations/console_commands.h"

#include "link/serial_port.h"
#include "link/trace.h"
#include "operations/disassembly.h"
#include "operations/memory_read.h"
#include "operations/memory_write.h"

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
    bool adresse = true, longueur = false, valeur = false;
    switch (session.console.CmdCourante) {
    case code::Step: adresse = false; break;
    case code::Disassemble:
    case code::Run:
    case code::Break: break;
    case code::MemFill: longueur = valeur = true; break;
    case code::MemSet: valeur = true; break;
    default: longueur = true; break;
    }
    e.setEnabled(QStringLiteral("txtADRESSE"), adresse);
    e.setEnabled(QStringLiteral("txtLONGUEUR"), longueur);
    e.setEnabled(QStringLiteral("txtVALEUR"), valeur);
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
    e.setText(QStringLiteral("txtLONGUEUR"), c.CmdLongueur);
    e.setText(QStringLiteral("txtADRESSE"), c.CmdAdresse);
    e.setText(QStringLiteral("txtVALEUR"), c.CmdValeur);

    e.clear(Zone::Echo);
    e.append(Zone::Echo, c.texteEcho, couleur::Rouge);
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
    e.setEnabled(QStringLiteral("cmdEXECUTE"), false);
    SurvCom(session, false);
    e.setBusy(true);
    bool pret = true;
    switch (session.console.CmdCourante) {
    case code::Disassemble: Disassemble(session); break;
    case code::MemDump: MemDump(session); break;
    case code::MemFill: MemFill(session); break;
    case code::MemSet:
        TraceEcho(session);
        MemSet(session);
        break;
    default: pret = false; break;
    }
    e.setEnabled(QStringLiteral("cmdEXECUTE"), pret);
    SurvCom(session, true);
    e.setBusy(false);
    return pret;
}

} // namespace tessaline
