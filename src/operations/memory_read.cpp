#include "operations/memory_read.h"

#include "link/control_names.h"
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/talker_protocol.h"
#include "link/tempo.h"
#include "link/trace.h"
#include "link/transfer.h"
#include "operations/talker_link.h"
#include "operations/target_address.h"

#include <array>

namespace tessaline {

namespace {

constexpr int MaxLoadMem = 64;
constexpr int OctetsParLigne = 16;
constexpr int MaxDump = 255;
constexpr int DumpParDefaut = 0x80;

// Bytes $80-$9F of the Windows code page; the five it leaves undefined keep
// their own code, as Windows maps them.
constexpr std::array<char16_t, 32> Windows1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// A byte that did not come is reported as the receive routine names it.
void signalerTimeOut(Session& s, Issue issue) {
    if (issue == Issue::TimeOut) AfficheTimeOut(s, QStringLiteral("RecevoirComBINDec"));
}

void ecrireLigne(Session& s, const LigneDump& l) {
    s.ecran().append(Zone::Memoire, l.adresse, couleur::Rouge);
    s.ecran().append(Zone::Memoire, l.octets, couleur::Noir);
    s.ecran().append(Zone::Memoire, l.caracteres, couleur::Bleu);
}

} // namespace

QChar caractereDump(quint8 octet) {
    if (octet < 32) return u'.';
    if (octet >= 0x80 && octet <= 0x9F) return QChar(Windows1252[octet - 0x80]);
    return QChar(char16_t(octet));
}

LigneDump ligneDump(int adresse, const QByteArray& octets) {
    LigneDump l;
    l.adresse = DecHexa4(adresse & 0xFFFF) + u' ';
    for (char o : octets) {
        l.octets += DecHexa2(static_cast<quint8>(o)) + u' ';
        l.caracteres += caractereDump(static_cast<quint8>(o));
    }
    // A short line keeps the columns: three blanks for each missing byte.
    l.octets += QString(3 * (OctetsParLigne - static_cast<int>(octets.size())), u' ');
    l.caracteres += FinLigne;
    return l;
}

QString LoadMem(Session& session, const QString& adresse, int count) {
    return LoadMem(session, adresse, count, QStringLiteral("LoadMem"));
}

QString LoadMem(Session& session, const QString& adresse, int count, const QString& operation) {
    count = std::min(count, MaxLoadMem);
    if (count < 1) return {};
    const Resultat<QByteArray> r = lireMemoire(session, adresseCible(adresse), count, session.config.Timeout);
    // A stop asked before the exchange: nothing was read, nothing to report.
    if (r.issue == Issue::Interrompu) return {};
    // A broken line has been said already; the check shows what is left of the link.
    if (sansEchange(r.issue) || r.issue == Issue::Coupee) {
        AfficheEchec(session.ecran(), QStringLiteral("Erreur ") + operation);
        TestTalker(session);
        return {};
    }
    // Callers take an empty text as a failure.
    signalerTimeOut(session, r.issue);
    if (!r.ok()) return {};
    return QString::fromLatin1(r.donnees.toHex().toUpper());
}

void MemDump(Session& session) {
    Screen& e = session.ecran();
    EtatConsole& c = session.console;
    e.showWait(QStringLiteral("Attendez SVP...  MemDUMP en Cours"));
    Tempo(session.horloge(), 0.3f);

    int adresseLigne = HexaDec(c.CmdAdresse);
    int longueur = HexaDec(c.CmdLongueur);
    if (longueur == 0) {
        longueur = DumpParDefaut;
        c.CmdLongueur = QStringLiteral("80");
    } else if (longueur > MaxDump) {
        longueur = MaxDump;
        c.CmdLongueur = QStringLiteral("FF");
    }

    TraceHeure(session, session.horloge().now());
    e.append(Zone::Trace, QStringLiteral("MemDump ") + c.CmdAdresse + u' ' + c.CmdLongueur + u' ' + FinLigne,
             couleur::Rouge, true);

    ViderCom(session);
    // Lines are written as their 16th byte comes in.
    QByteArray tampon;
    const auto recu = [&](std::uint8_t octet) {
        tampon.append(static_cast<char>(octet));
        if (tampon.size() < OctetsParLigne) return;
        ecrireLigne(session, ligneDump(adresseLigne, tampon));
        tampon.clear();
        adresseLigne = (adresseLigne + OctetsParLigne) & 0xFFFF;
    };
    const Resultat<QByteArray> r =
        lireMemoire(session, adresseCible(c.CmdAdresse), longueur, session.config.Timeout, recu);
    if (!r.ok()) {
        if (r.issue == Issue::Interrompu) {
            e.hideWait();
            return;
        }
        signalerTimeOut(session, r.issue);
        AfficheEchec(e, QStringLiteral("Erreur MemDump"), Remede::Liaison);
        TestTalker(session);
        e.hideWait();
        return;
    }
    // A short last line does not move the address on.
    if (!tampon.isEmpty()) ecrireLigne(session, ligneDump(adresseLigne, tampon));

    c.CmdAdresse = DecHexa4(adresseLigne);
    e.clear(Zone::Echo);
    e.append(Zone::Echo, QStringLiteral("MemDump "), couleur::Rouge);
    e.append(Zone::Echo, c.CmdAdresse + u' ', couleur::Bleu);
    e.append(Zone::Echo, c.CmdLongueur, couleur::Vert);
    e.setText(controle::Adresse, c.CmdAdresse);
    e.setText(controle::Longueur, c.CmdLongueur);
    e.hideWait();
}

} // namespace tessaline
