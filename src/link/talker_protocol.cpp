#include "link/talker_protocol.h"

#include "link/planted_bytes.h"
#include "link/talker_image.h"
#include "link/transfer.h"

#include <algorithm>

namespace tessaline {

namespace {

const QString NomEcho = QStringLiteral("RecComBIN_NbOct_Dec");
const QString NomDonnee = QStringLiteral("RecevoirComBINDec");

Issue issueDe(FinAttente fin) {
    switch (fin) {
    case FinAttente::Donnee: return Issue::Ok;
    case FinAttente::TimeOut: return Issue::TimeOut;
    case FinAttente::Abandon: return Issue::Abandon;
    case FinAttente::Annulation:
    case FinAttente::Interruption: return Issue::Annule;
    case FinAttente::Erreur: return Issue::Erreur;
    case FinAttente::Coupee: return Issue::Coupee;
    }
    return Issue::Erreur;
}

void envoyer(Session& s, int octet) {
    s.ligne().sendByte(static_cast<quint8>(octet));
}

// An exchange that stops after its echo leaves the Talker inside its command.
Issue inacheve(Session& s, Issue issue) {
    s.liaison.echangeInacheve = true;
    return issue;
}

// The command byte and its echo, then the parameter bytes. Nothing goes out
// once the user has asked to stop, but to take planted bytes back. Abort ends only the waits in progress when
// it is set: a new exchange starts without it.
// `avant`, when given, is a byte the Talker may have sent just before the
// echo; it is taken, and `*avantVu` says whether it came.
Issue commander(Session& s, int code, std::initializer_list<int> parametres, int timeout, int avant = -1,
                bool* avantVu = nullptr) {
    if (envoiBloque(s)) return Issue::Interrompu;
    s.liaison.abandon = false;
    envoyer(s, code);
    // The command byte is in the Talker's hands: even its echo is waited for
    // as part of the exchange.
    Reception r = attendreReponseTalker(s, timeout, NomEcho);
    if (avantVu && r.fin == FinAttente::Donnee && r.octet == avant) {
        *avantVu = true;
        r = attendreReponseTalker(s, timeout, NomEcho);
    }
    if (r.fin == FinAttente::Coupee) return Issue::Coupee;
    if (r.fin != FinAttente::Donnee) return Issue::PasDEcho;
    // A chip leaving reset sends a break, read as $00: the Talker is gone
    // with whatever command it was in.
    if (r.octet == 0 && code != 0) {
        s.liaison.echangeInacheve = false;
        return Issue::PasDEcho;
    }
    s.liaison.echangeInacheve = r.octet != code;
    if (s.liaison.echangeInacheve) return Issue::Incoherent;
    for (int p : parametres)
        envoyer(s, p);
    return Issue::Ok;
}

// `n` bytes read out by the Talker, each answered with itself. `accepter`, when
// given, sees the bytes so far before each handshake goes out; false ends the
// exchange there.
Issue lireAvecAcquit(Session& s, int n, int timeout, QByteArray& recus,
                     const std::function<void(std::uint8_t)>& recu = {},
                     const std::function<bool(const QByteArray&)>& accepter = {}) {
    for (int i = 0; i < n; ++i) {
        const Reception r = attendreReponseTalker(s, timeout, NomDonnee);
        if (r.fin != FinAttente::Donnee) return inacheve(s, issueDe(r.fin));
        recus.append(static_cast<char>(r.octet));
        if (accepter && !accepter(recus)) return inacheve(s, Issue::Incoherent);
        envoyer(s, r.octet);
        if (recu) recu(static_cast<std::uint8_t>(r.octet));
    }
    return Issue::Ok;
}

// Each byte written and its read-back taken, then the closing byte. Only a
// read-back that does not come ends the exchange early.
Issue ecrireAvecRelecture(Session& s, const QByteArray& octets, int timeout, QByteArray& relus) {
    for (char o : octets) {
        envoyer(s, static_cast<quint8>(o));
        const Reception r = attendreReponseTalker(s, timeout, NomDonnee);
        if (r.fin != FinAttente::Donnee) return inacheve(s, issueDe(r.fin));
        relus.append(static_cast<char>(r.octet));
    }
    envoyer(s, 0);
    return Issue::Ok;
}

bool compteValide(int count) {
    return count >= 1 && count <= MaxOctetsEchange;
}

// The count byte: 256 goes out as 0.
int octetCompte(int count) {
    return count & 0xFF;
}

int haut(int mot) {
    return (mot >> 8) & 0xFF;
}
int bas(int mot) {
    return mot & 0xFF;
}

Resultat<TrameRegistres> trameDe(Issue issue, const QByteArray& recus) {
    if (issue != Issue::Ok) return {issue};
    std::array<std::uint8_t, OctetsTrameLue> octets{};
    for (int i = 0; i < OctetsTrameLue; ++i)
        octets[i] = static_cast<std::uint8_t>(recus[i]);
    return {Issue::Ok, decoderTrame(octets)};
}

} // namespace

TrameRegistres decoderTrame(const std::array<std::uint8_t, OctetsTrameLue>& o) {
    auto mot = [&](int i) { return o[i] << 8 | o[i + 1]; };
    TrameRegistres t;
    t.adresse = mot(0);
    t.ccr = o[2];
    t.b = o[3];
    t.a = o[4];
    t.x = mot(5);
    t.y = mot(7);
    t.pc = mot(9);
    return t;
}

std::array<std::uint8_t, 9> encoderTrame(const TrameRegistres& t) {
    auto o = [](int v) { return static_cast<std::uint8_t>(v & 0xFF); };
    return {o(t.ccr), o(t.b), o(t.a), o(haut(t.x)), o(t.x), o(haut(t.y)), o(t.y), o(haut(t.pc)), o(t.pc)};
}

Resultat<QByteArray> lireMemoireBrute(Session& session, int adresse, int count, int timeout,
                                      const std::function<void(std::uint8_t)>& recu) {
    if (!compteValide(count)) return {Issue::Erreur};
    Resultat<QByteArray> r;
    r.issue =
        commander(session, commande::LireMemoire, {octetCompte(count), haut(adresse), bas(adresse)}, timeout);
    if (r.ok()) r.issue = lireAvecAcquit(session, count, timeout, r.donnees, recu);
    return r;
}

Resultat<QByteArray> lireMemoire(Session& session, int adresse, int count, int timeout,
                                 const std::function<void(std::uint8_t)>& recu) {
    std::function<void(std::uint8_t)> montre;
    if (recu) {
        // Each byte as it comes, the user's own over a planted SWI.
        montre = [&session, &recu, a = adresse](std::uint8_t o) mutable {
            QByteArray un(1, static_cast<char>(o));
            montrerOctetsUtilisateur(session.points, a++ & 0xFFFF, un);
            recu(static_cast<std::uint8_t>(un[0]));
        };
    }
    Resultat<QByteArray> r = lireMemoireBrute(session, adresse, count, timeout, montre);
    montrerOctetsUtilisateur(session.points, adresse, r.donnees);
    return r;
}

Resultat<QByteArray> ecrireMemoire(Session& session, int adresse, const QByteArray& octets, int timeout) {
    const int count = static_cast<int>(octets.size());
    // The Talker's address register wraps from $FFFF to $0000, where the
    // Talker itself lives: a write that would run past $FFFF never goes out.
    if (!compteValide(count) || adresse < 0 || adresse + count > EspaceAdresses) return {Issue::Erreur};
    Resultat<QByteArray> r;
    r.issue = commander(session, commande::EcrireMemoire, {octetCompte(count), haut(adresse), bas(adresse)},
                        timeout);
    if (r.ok())
        r.issue =
            ecrireAvecRelecture(session, octetsAEcrire(session.points, adresse, octets), timeout, r.donnees);
    if (r.issue != Issue::Erreur) apresEcriture(session.points, adresse, octets, r.donnees);
    return r;
}

Resultat<QByteArray> lireFlux(Session& session, QByteArray& suite, int n, int timeout,
                              const std::function<void(int lus)>& apres) {
    Resultat<QByteArray> r;
    for (int i = 0; i < n; ++i) {
        const Reception lu = attendreSuiteTalker(session, suite, timeout, NomDonnee);
        if (lu.fin != FinAttente::Donnee) {
            r.issue = issueDe(lu.fin);
            break;
        }
        r.donnees.append(static_cast<char>(lu.octet));
        if (apres) apres(i + 1);
    }
    return r;
}

void envoyerFlux(Session& session, const QByteArray& octets) {
    for (char o : octets)
        envoyer(session, static_cast<quint8>(o));
}

bool envoyerEnregistrement(Session& session, int adresse, const QByteArray& octets) {
    const int count = static_cast<int>(octets.size());
    if (count < 1 || count > OctetsRoutineMax || adresse < 0 || adresse + count > EspaceAdresses)
        return false;
    if (envoiBloque(session)) return false;
    QByteArray enregistrement;
    enregistrement.append(static_cast<char>(count)).append(static_cast<char>(haut(adresse)));
    enregistrement.append(static_cast<char>(bas(adresse)))
        .append(octetsAEcrire(session.points, adresse, octets));
    int somme = 0;
    for (char o : enregistrement)
        somme += static_cast<quint8>(o);
    enregistrement.append(static_cast<char>(-somme & 0xFF));
    envoyerFlux(session, enregistrement);
    return true;
}

Issue lireAccuse(Session& session, QByteArray& suite, int timeout) {
    const Reception accuse = attendreSuiteTalker(session, suite, timeout, NomEcho);
    if (accuse.fin != FinAttente::Donnee) return issueDe(accuse.fin);
    return accuse.octet == AccuseBon ? Issue::Ok : Issue::Incoherent;
}

Resultat<QByteArray> lireRelectures(Session& session, QByteArray& suite, int adresse,
                                    const QByteArray& octets, int timeout,
                                    const std::function<void(int lus)>& apres) {
    Resultat<QByteArray> r = lireFlux(session, suite, static_cast<int>(octets.size()), timeout, apres);
    apresEcriture(session.points, adresse, octets, r.donnees);
    return r;
}

void finirRoutine(Session& session) {
    envoyer(session, 0);
}

bool adresseTrameAdmissible(int adresse, const CarteMemoire& carte) {
    constexpr int Trame = 9;
    if (adresse >= talker::StackBottom && adresse + Trame - 1 <= talker::StackTop) return true;
    const int debutRam = std::max(static_cast<int>(carte.DepartRam), talker::ImageBytes);
    return adresse >= debutRam && adresse + Trame - 1 <= static_cast<int>(carte.FinRam());
}

Resultat<TrameRegistres> lireTrame(Session& session, int timeout,
                                   const std::function<bool(int)>& admissible) {
    // The parameter byte is read and ignored.
    Issue issue = commander(session, commande::LireRegistres, {0}, timeout);
    QByteArray recus;
    // The frame address is whole with its second byte, before its handshake.
    const auto accepter = [&](const QByteArray& o) {
        return !admissible || o.size() != 2 ||
               admissible(static_cast<quint8>(o[0]) << 8 | static_cast<quint8>(o[1]));
    };
    if (issue == Issue::Ok) issue = lireAvecAcquit(session, OctetsTrameLue, timeout, recus, {}, accepter);
    return trameDe(issue, recus);
}

Resultat<QByteArray> ecrireTrameEtReprendre(Session& session, const TrameRegistres& trame, int timeout) {
    // The frame address is the parameter: its high byte takes the place of p.
    Resultat<QByteArray> r;
    r.issue =
        commander(session, commande::EcrireRegistres, {haut(trame.adresse), bas(trame.adresse)}, timeout);
    if (!r.ok()) return r;
    const auto octets = encoderTrame(trame);
    const QByteArray donnees(reinterpret_cast<const char*>(octets.data()), static_cast<int>(octets.size()));
    r.issue = ecrireAvecRelecture(session, donnees, timeout, r.donnees);
    return r;
}

Resultat<TrameBreak> lireTrameBreak(Session& session, int timeout, int parametre,
                                    const std::function<void(const QByteArray&)>& recu) {
    Issue issue = commander(session, commande::TrameBreak, {parametre & 0xFF}, timeout);
    QByteArray recus;
    const auto chaqueOctet = [&](std::uint8_t) {
        if (recu) recu(recus);
    };
    // The stopped program's PC word, then the frame as command 1 sends it.
    if (issue == Issue::Ok) issue = lireAvecAcquit(session, 2 + OctetsTrameLue, timeout, recus, chaqueOctet);
    if (issue != Issue::Ok) return {issue};
    const auto trame = trameDe(issue, recus.mid(2));
    const int pc = static_cast<quint8>(recus[0]) << 8 | static_cast<quint8>(recus[1]);
    return {Issue::Ok, {pc, trame.donnees}};
}

Resultat<bool> sonder(Session& session, int timeout, bool* arretAvant) {
    Resultat<bool> r;
    if (arretAvant) *arretAvant = false;
    r.issue = commander(session, CodeSonde, {}, timeout, arretAvant ? OctetArret : -1, arretAvant);
    r.donnees = r.ok();
    return r;
}

Resultat<ArretObtenu> arreter(Session& session, int timeout) {
    Resultat<ArretObtenu> r;
    // A program that stops by itself just as the command goes out has its
    // $03 on the wire before the echo: the Talker, idle on top of the
    // program's frame, then takes the command there.
    r.issue = commander(session, commande::Stop, {0}, timeout, OctetArret, &r.donnees.deLuiMeme);
    if (!r.ok()) return r;
    const Reception recu = attendreReponseTalker(session, timeout, NomDonnee);
    r.issue = recu.fin == FinAttente::Donnee ? Issue::Ok : inacheve(session, issueDe(recu.fin));
    r.donnees.octetArret = r.ok() && recu.octet == OctetArret;
    // Then the stop stacked a second idle frame on the first, over the
    // program's. A break-frame read drops it: the Talker reports that idle
    // frame and returns from it into its idle loop, which stacks a new one
    // right on the program's frame, as after any stop.
    if (r.ok() && r.donnees.deLuiMeme) r.issue = lireTrameBreak(session, timeout).issue;
    return r;
}

} // namespace tessaline
