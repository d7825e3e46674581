#include "operations/memory_write.h"

#include "link/control_names.h"
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/tempo.h"
#include "link/trace.h"
#include "link/transfer.h"
#include "operations/talker_link.h"
#include "operations/target_address.h"

namespace tessaline {

namespace {

constexpr int MaxEcriture = 255;
constexpr int FillParDefaut = 0x40;

// The write exchange: command 5, count, address, then each byte sent and its
// read-back checked, then the closing byte. Returns -1 on success, else the
// number of the first failing byte (0 for the command itself, i from 1 for
// byte i).
//
// A byte that reads back wrong (protected EEPROM, ROM, nothing there) does not
// end the exchange: the Talker is still counting the bytes it was promised, and
// would take the next command byte (the Talker check's) as one more byte to
// write. So the remaining bytes and the closing byte still go out, and the
// Talker returns to its idle loop. Only a byte that does not come back at all
// ends the exchange at once.
int echangeEcriture(Session& s, const QString& adresse, const QByteArray& donnees) {
    const OctetsAdresse a = octetsAdresse(adresse);
    ViderCom(s);
    if (!EnvoiCommande(s, commande::EcrireMemoire, true)) return 0;
    s.ligne().sendByte(static_cast<quint8>(donnees.size()));
    s.ligne().sendByte(static_cast<quint8>(a.haut));
    s.ligne().sendByte(static_cast<quint8>(a.bas));
    int echec = -1;
    for (int i = 0; i < donnees.size(); ++i) {
        const quint8 octet = static_cast<quint8>(donnees[i]);
        s.liaison.timeoutArme = true;
        s.ligne().sendByte(octet);
        const int relu = RecComBIN_NbOct_Dec(s);
        if (relu < 0) return i + 1;
        if (relu != octet && echec < 0) echec = i + 1;
    }
    s.ligne().sendByte(0);
    return echec;
}

void completerAdresse(Session& s) {
    if (!s.console.CmdAdresse.isEmpty()) return;
    s.console.CmdAdresse = DecHexa4(s.config.DepartEEprom);
    s.ecran().setText(controle::Adresse, s.console.CmdAdresse);
}

void completerValeur(Session& s) {
    if (!s.console.CmdValeur.isEmpty()) return;
    s.console.CmdValeur = QStringLiteral("00");
    s.ecran().setText(controle::Valeur, s.console.CmdValeur);
}

} // namespace

void FillMem(Session& session, int count, const QString& adresse, const QString& valeur) {
    // The Talker takes a count byte of 0 as 256: such a count never goes out.
    if (count < 1 || count > MaxEcriture) return;
    const QByteArray donnees(count, static_cast<char>(HexaDec(valeur) & 0xFF));
    const int echec = echangeEcriture(session, adresse, donnees);
    if (echec < 0) return;
    // The address of the byte that failed (the start when the command itself did).
    const int decalage = std::max(0, echec - 1);
    AfficheEchec(session.ecran(),
                 QStringLiteral("Erreur Fill Adresse : ") + DecHexa4((HexaDec(adresse) + decalage) & 0xFFFF));
    TestTalker(session);
}

void MSet(Session& session, const QString& adresse, const QByteArray& donnees) {
    if (donnees.isEmpty() || donnees.size() > MaxEcriture) return;
    if (echangeEcriture(session, adresse, donnees) < 0) return;
    AfficheEchec(session.ecran(), QStringLiteral("Erreur MSET"));
    TestTalker(session);
}

void MemFill(Session& session) {
    Screen& e = session.ecran();
    EtatConsole& c = session.console;
    completerAdresse(session);
    int longueur = HexaDec(c.CmdLongueur);
    if (longueur == 0) {
        longueur = FillParDefaut;
        c.CmdLongueur = QStringLiteral("40");
    } else if (longueur > MaxEcriture) {
        longueur = MaxEcriture;
        c.CmdLongueur = QStringLiteral("FF");
    }
    e.setText(controle::Longueur, c.CmdLongueur);
    completerValeur(session);

    TraceHeure(session, session.horloge().now());
    e.append(Zone::Trace, QStringLiteral("MemFill ") + c.CmdLongueur + u' ' + c.CmdValeur + u' ' + FinLigne,
             couleur::Rouge);
    e.showWait(QStringLiteral("Attendez SVP...  MemFill en Cours"));
    Tempo(session.horloge(), 0.3f);
    FillMem(session, longueur, c.CmdAdresse, c.CmdValeur);
    e.hideWait();
}

void MemSet(Session& session) {
    EtatConsole& c = session.console;
    completerAdresse(session);
    c.CmdLongueur.clear();
    session.ecran().setText(controle::Longueur, QString());
    completerValeur(session);

    // Two digits a byte, from the first; an odd last digit is a byte of its own.
    QByteArray octets;
    for (int i = 0; i < c.CmdValeur.size(); i += 2)
        octets.append(static_cast<char>(HexaDec(c.CmdValeur.mid(i, 2)) & 0xFF));
    if (!octets.isEmpty()) MSet(session, c.CmdAdresse, octets);
}

} // namespace tessaline
