#include "operations/memory_write.h"

#include "link/control_names.h"
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/talker_protocol.h"
#include "link/tempo.h"
#include "link/trace.h"
#include "link/transfer.h"
#include "operations/talker_link.h"
#include "operations/target_address.h"

namespace tessaline {

namespace {

constexpr int MaxEcriture = 255;
constexpr int FillParDefaut = 0x40;

// The write exchange with its checks. Returns -1 when every byte reads back as
// written, else the number of the first failing byte: 0 for the command itself,
// i from 1 for byte i (one that read back wrong or did not come back). A wrong
// read-back (protected EEPROM, ROM, nothing there) still lets the exchange run
// to its end, so the Talker is back in its idle loop for the check that follows.
int echangeEcriture(Session& s, const QString& adresse, const QByteArray& donnees) {
    ViderCom(s);
    const Resultat<QByteArray> r = ecrireMemoire(s, adresseCible(adresse), donnees, s.config.Timeout);
    // A stop asked before the exchange: nothing was written, nothing to report.
    if (r.issue == Issue::Interrompu) return -1;
    if (sansEchange(r.issue)) return 0;
    for (int i = 0; i < r.donnees.size(); ++i)
        if (r.donnees[i] != donnees[i]) return i + 1;
    if (!r.ok()) return static_cast<int>(r.donnees.size()) + 1;
    return -1;
}

// A write whose last byte would lie past $FFFF: refused with a message before
// anything goes out, since the Talker would carry on at $0000, over its own code.
bool horsMemoire(Session& s, const QString& adresse, int count) {
    const int debut = adresseCible(adresse);
    if (debut + count <= EspaceAdresses) return false;
    const QString fin = QString::number(debut + count - 1, 16).toUpper();
    AfficheEchec(s.ecran(), QStringLiteral("Ecriture refus\u00e9e : de %1 \u00e0 %2, au-del\u00e0 de FFFF")
                                .arg(DecHexa4(debut), fin));
    return true;
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

bool FillMem(Session& session, int count, const QString& adresse, const QString& valeur) {
    // The Talker takes a count byte of 0 as 256: such a count never goes out.
    if (count < 1 || count > MaxEcriture || horsMemoire(session, adresse, count)) return false;
    const QByteArray donnees(count, static_cast<char>(HexaDec(valeur) & 0xFF));
    // Nothing sent because a stop was asked before is no success either.
    if (envoiBloque(session)) return false;
    const int echec = echangeEcriture(session, adresse, donnees);
    if (echec < 0) return true;
    // The address of the byte that failed (the start when the command itself did).
    const int decalage = std::max(0, echec - 1);
    AfficheEchec(session.ecran(),
                 QStringLiteral("Erreur Fill Adresse : ") + DecHexa4((HexaDec(adresse) + decalage) & 0xFFFF));
    TestTalker(session);
    return false;
}

void MSet(Session& session, const QString& adresse, const QByteArray& donnees) {
    if (donnees.isEmpty() || donnees.size() > MaxEcriture) return;
    if (horsMemoire(session, adresse, static_cast<int>(donnees.size()))) return;
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
