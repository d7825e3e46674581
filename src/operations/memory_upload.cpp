#include "operations/memory_upload.h"

#include "disasm/desass_instr.h"
#include "link/control_names.h"
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/regular_file.h"
#include "link/talker_protocol.h"
#include "link/tempo.h"
#include "link/trace.h"
#include "link/transfer.h"
#include "operations/memory_read.h"
#include "operations/talker_link.h"

#include <QFileInfo>

#include <algorithm>
#include <functional>

namespace tessaline {

namespace {

constexpr int TailleMorceau = 64;
constexpr int OctetsInstruction = 6; // the longest instruction is 5 bytes

// The console as a stopped target leaves it once the upload is over; after a
// failure that found no Talker, the console stays as that state left it.
void consolePrete(Session& s) {
    if (!s.liaison.talkerPresent) return;
    Screen& e = s.ecran();
    for (QLatin1StringView c : {controle::MemDump, controle::UploadBin, controle::UploadDis,
                                controle::Disassemble, controle::MemFill, controle::EraseEeprom,
                                controle::MemSet, controle::Run, controle::Step, controle::RegSet})
        e.setEnabled(c, true);
    e.setEnabled(controle::Stop, false);
    e.setEnabled(controle::DisplayReg, false);
}

// A read that failed: the failure is said, unless a stop asked kept it from
// being made at all, and the link is checked.
void signalerLecture(Session& s, const QString& operation, int adresse) {
    if (arretDemande(s)) return;
    AfficheEchec(s.ecran(), QStringLiteral("Erreur ") + operation + QStringLiteral(" Adresse : ") +
                                DecHexa4(adresse & 0xFFFF) + FinLigne +
                                QStringLiteral("Fichier non sauvegard\u00e9"));
    // A read that did not come back leaves the link state to be found out.
    TestTalker(s);
}

// The progress bar after `faits` of the range's `total` bytes.
void avancer(Session& s, int faits, int total) {
    s.ecran().setValue(controle::BarreProgression,
                       static_cast<int>(std::min<qint64>(100, 100LL * faits / total)));
}

// The name as the user typed it, with the filter's extension when it has
// none. The dialog asked before replacing the name typed, not this one: an
// existing file at the completed name is replaced only if the user says so.
// Empty when the user declines.
QString avecExtension(Screen& e, const QString& nom, const QString& extension) {
    if (!QFileInfo(nom).suffix().isEmpty()) return nom;
    const QString complet = nom + (nom.endsWith(u'.') ? extension.mid(1) : extension);
    if (!QFileInfo::exists(complet)) return complet;
    const Reponse r =
        e.message(QStringLiteral("Le fichier ") + complet + QStringLiteral(" existe d\u00e9j\u00e0.") +
                      FinLigne + QStringLiteral("Voulez-vous le remplacer ?"),
                  TitreApplication, Icone::Exclamation, Boutons::OuiNon);
    return r == Reponse::Oui ? complet : QString();
}

// `ecrire` reads the range into the file and returns false on a failed read.
FinTeleversement televerser(Session& s, const QString& operation, const QString& filtre,
                            const QString& extension, int debut, int fin, const AvantTeleversement& avant,
                            const std::function<bool(FichierEnregistre&)>& ecrire) {
    Screen& e = s.ecran();
    const int longueur = HexaDec(s.console.CmdLongueur);
    QString nom = e.fichierAEnregistrer(operation, filtre);
    if (!nom.isEmpty()) nom = avecExtension(e, nom, extension);
    if (nom.isEmpty()) {
        consolePrete(s);
        return FinTeleversement::Abandonne;
    }
    if (longueur <= 0) {
        consolePrete(s);
        return FinTeleversement::Vide;
    }
    if (avant) avant(nom, debut, fin);
    e.showWait(QStringLiteral("Attendez SVP...  ") + operation + QStringLiteral(" en Cours"));
    Tempo(s.horloge(), 0.3f);
    e.setValue(controle::BarreProgression, 0);

    // The name is looked at before anything is read: a refused one costs no exchange.
    FichierEnregistre fichier(nom);
    FinTeleversement issue = FinTeleversement::Echec;
    if (!fichier.ouvrir()) {
        AfficheEchec(e, QStringLiteral("Ecriture impossible : ") + fichier.erreur());
    } else if (!ecrire(fichier)) {
        if (!fichier.erreur().isEmpty())
            AfficheEchec(e, QStringLiteral("Ecriture impossible : ") + fichier.erreur());
        fichier.abandonner();
        issue = arretDemande(s) ? FinTeleversement::Abandonne : FinTeleversement::Echec;
    } else if (!fichier.valider()) {
        AfficheEchec(e, QStringLiteral("Ecriture impossible : ") + fichier.erreur());
    } else {
        issue = FinTeleversement::Sauvegarde;
    }
    e.hideWait();
    if (issue == FinTeleversement::Sauvegarde)
        e.message(QStringLiteral("Fichier Sauvegard\u00e9 :") + FinLigne + nom, TitreApplication,
                  Icone::Aucune, Boutons::Ok);
    consolePrete(s);
    return issue;
}

// The console's entry for an upload: its echo word, the range and the file.
AvantTeleversement entreeTrace(Session& s, const QString& commande) {
    return [&s, commande](const QString& fichier, int debut, int fin) {
        TraceCommande(s, commande + u' ' + DecHexa4(debut) + u'-' + DecHexa4(fin) + u' ' + fichier);
    };
}

} // namespace

FinTeleversement UpLoadBIN(Session& session, const AvantTeleversement& avant) {
    const int debut = HexaDec(session.console.CmdAdresse);
    const int fin = debut + HexaDec(session.console.CmdLongueur) - 1;
    // The Talker's address would carry on at $0000: such a range is refused
    // before anything is asked or read, as writes past $FFFF are.
    if (fin >= EspaceAdresses) {
        AfficheEchec(session.ecran(),
                     QStringLiteral("Lecture refus\u00e9e : de %1 \u00e0 %2, au-del\u00e0 de FFFF")
                             .arg(DecHexa4(debut), QString::number(fin, 16).toUpper()) +
                         FinLigne + QStringLiteral("Fichier non sauvegard\u00e9"));
        consolePrete(session);
        return FinTeleversement::Echec;
    }
    return televerser(session, QStringLiteral("UpLoadBIN"), QStringLiteral("Fichiers Binaires (*.BIN)"),
                      QStringLiteral(".BIN"), debut, fin, avant, [&](FichierEnregistre& fichier) {
                          for (int a = debut; a <= fin; a += TailleMorceau) {
                              const int count = std::min(TailleMorceau, fin - a + 1);
                              const QString hexa = LoadMem(session, DecHexa4(a & 0xFFFF), count);
                              if (hexa.size() != 2 * count) {
                                  signalerLecture(session, QStringLiteral("UpLoadBIN"), a);
                                  return false;
                              }
                              if (!fichier.ecrire(QByteArray::fromHex(hexa.toLatin1()))) return false;
                              avancer(session, a + count - debut, fin - debut + 1);
                          }
                          return true;
                      });
}

FinTeleversement UpLoadDIS(Session& session, const AvantTeleversement& avant) {
    const int debut = HexaDec(session.console.CmdAdresse);
    const int fin = debut + HexaDec(session.console.CmdLongueur) - 1;
    return televerser(session, QStringLiteral("UpLoadDIS"), QStringLiteral("Fichiers Assembleur (*.DIS)"),
                      QStringLiteral(".DIS"), debut, std::min(fin, 0xFFFF), avant,
                      [&](FichierEnregistre& fichier) {
                          for (int a = debut; a <= fin;) {
                              const QString texteAdresse = DecHexa4(a);
                              const QString hexa = LoadMem(session, texteAdresse, OctetsInstruction);
                              if (hexa.isEmpty()) {
                                  signalerLecture(session, QStringLiteral("UpLoadDIS"), a);
                                  return false;
                              }
                              const Desassemblage d = DesassInstr(hexa, texteAdresse, session.registres.RegIX,
                                                                  session.registres.RegIY);
                              const QString ligne = texteAdresse + Tab + d.ligne + FinLigne;
                              if (!fichier.ecrire(ligne.toLatin1())) return false;
                              a += d.LongInstr;
                              avancer(session, a - debut, fin - debut + 1);
                              // The listing ends at the top of the address space.
                              if (a >= 0xFFFF) break;
                          }
                          return true;
                      });
}

void cmdUpLoadBIN(Session& session) {
    UpLoadBIN(session, entreeTrace(session, QStringLiteral("Upload BIN")));
}

void cmdUpLoadDIS(Session& session) {
    UpLoadDIS(session, entreeTrace(session, QStringLiteral("Upload DIS")));
}

} // namespace tessaline
