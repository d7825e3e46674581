#include "cli/cli_programming.h"

#include "link/conversions.h"
#include "link/regular_file.h"
#include "link/serial_port.h"
#include "link/trace.h"
#include "operations/config_register.h"
#include "operations/console_commands.h"
#include "operations/eeprom_erase.h"
#include "operations/memory_upload.h"
#include "operations/s19_programming.h"
#include "operations/s19_verify.h"
#include "operations/talker_link.h"

#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace tessaline {

namespace {

// An S-record file to read: a regular file, or a message naming what it is.
bool fichierOrdinaire(const QString& chemin, QTextStream& erreurs) {
    const CibleFichier cible = cibleFichier(chemin);
    if (cible.nature == NatureFichier::Ordinaire) return true;
    EchecFichier echec;
    echec.genre = cible.nature == NatureFichier::Absent ? EchecFichier::Genre::Introuvable
                                                        : EchecFichier::Genre::NonOrdinaire;
    echec.nature = cible.nature;
    erreurs << "tessaline-cli: " << texteEchec(chemin, echec) << Qt::endl;
    return false;
}

bool programmer(Session& s, const CommandeCli& c, QTextStream& sortie, QTextStream& erreurs) {
    const QFileInfo fichier(c.arguments[0]);
    if (!fichierOrdinaire(c.arguments[0], erreurs)) return false;
    const QStringList options = c.arguments.mid(1);
    const bool seulementModifies = options.contains(QStringLiteral("--changed-only"));
    const bool sommesIgnorees = options.contains(QStringLiteral("--ignore-checksum"));
    s.fichiers.FichierS19 = fichier.absoluteFilePath();
    const CommandeConsole* commande = commandeParCode(code::LoadS19);
    selectionnerCommande(s, code::LoadS19, QString::fromUtf8(commande->echo) + fichier.fileName());
    const BilanProgrammation b = chargerS19(s, seulementModifies);
    if (!b.reussi()) return false;
    sortie << b.ecrits << QStringLiteral(" octets \u00e9crits");
    if (seulementModifies) sortie << ", " << b.dejaBons << QStringLiteral(" d\u00e9j\u00e0 en place");
    sortie << '\n';
    sortie.flush();
    // The records were programmed, and each wrong checksum named in the trace:
    // unless the user said they do not matter, the run has not gone well.
    if (b.sommesFausses > 0 && !sommesIgnorees) {
        erreurs << QStringLiteral(
                       "tessaline-cli: program : %1 enregistrement(s) S1 \u00e0 la somme de contr\u00f4le "
                       "fausse (--ignore-checksum pour les accepter)")
                       .arg(b.sommesFausses)
                << Qt::endl;
        return false;
    }
    return true;
}

// Every byte that differs on one line of standard output ("FE05 3F FF":
// address, expected, read), then the count on standard error.
bool verifier(Session& s, const CommandeCli& c, QTextStream& sortie, QTextStream& erreurs) {
    if (!fichierOrdinaire(c.arguments[0], erreurs)) return false;
    s.fichiers.FichierS19 = QFileInfo(c.arguments[0]).absoluteFilePath();
    const BilanVerification b = VerifS19(s);
    for (const EcartVerification& e : b.ecarts)
        sortie << DecHexa4(e.adresse) << ' ' << DecHexa2(e.attendu) << ' ' << DecHexa2(e.lu) << '\n';
    sortie.flush();
    if (b.fin != BilanVerification::Fin::Verifie) return false;
    erreurs << QStringLiteral("verify : %1 octet(s) lu(s), %2 diff\u00e9rence(s)")
                   .arg(b.octetsLus)
                   .arg(b.ecarts.size())
            << Qt::endl;
    return b.ecarts.isEmpty();
}

// Without --yes the question is put to a terminal; with no terminal to
// answer it, the answer is No.
bool effacer(Session& s, ConsoleScreen& ecran, bool oui, QTextStream& sortie, QTextStream& erreurs) {
    const QString plage = DecHexa4(s.config.DepartEEprom) + u'-' + DecHexa4(s.config.FinEeprom());
    bool confirme = oui;
    if (!oui && isatty(fileno(stdin))) {
        erreurs << QStringLiteral("Effacer l'EEPROM %1 ? [o/N] ").arg(plage) << Qt::flush;
        QTextStream entree(stdin);
        const QString reponse = entree.readLine().trimmed().toLower();
        confirme = reponse == "o" || reponse == "oui" || reponse == "y" || reponse == "yes";
    }
    ecran.setAnswerYes(confirme);
    const FinCommandeEffacement fin = effacerEeprom(s);
    ecran.setAnswerYes(oui);
    switch (fin) {
    case FinCommandeEffacement::Efface:
        sortie << QStringLiteral("EEPROM effac\u00e9e : ") << plage << '\n';
        sortie.flush();
        return true;
    case FinCommandeEffacement::NonConfirme:
        erreurs << QStringLiteral("tessaline-cli: erase : non confirm\u00e9, rien n'est effac\u00e9 (--yes)")
                << Qt::endl;
        return false;
    case FinCommandeEffacement::Annule:
    case FinCommandeEffacement::Echec: break;
    }
    return false;
}

// The file the command names stands for the save dialog's answer.
bool televerser(Session& s, const CommandeCli& c, ConsoleScreen& ecran) {
    const bool dis = c.nom == "upload-dis";
    const int codeCommande = dis ? code::UploadDis : code::UploadBin;
    selectionnerCommande(s, codeCommande, QString::fromUtf8(commandeParCode(codeCommande)->echo));
    RemplirECHO(s, c.arguments[0], c.arguments[1], QString());
    // Unlike the console's field, a length of 0 here means nothing to save.
    s.console.CmdLongueur = completer(c.arguments[1], 4);
    ecran.setFichierAEnregistrer(QFileInfo(c.arguments[2]).absoluteFilePath());
    TraceEcho(s);
    SurvCom(s, false);
    const FinTeleversement fin = dis ? UpLoadDIS(s) : UpLoadBIN(s);
    SurvCom(s, true);
    ecran.setFichierAEnregistrer(QString());
    return fin == FinTeleversement::Sauvegarde || fin == FinTeleversement::Vide;
}

// Without a value, CONFIG and its bits on standard output; with one, the
// programming (its messages on standard error).
bool config(Session& s, const CommandeCli& c, QTextStream& sortie, QTextStream& erreurs) {
    if (c.arguments.isEmpty()) {
        const ResultatConfig r = lireConfig(s);
        if (r.fin != FinConfig::Lu) return false;
        for (const QString& ligne : decrireConfig(s.config.HardWare, r.valeur))
            sortie << ligne << '\n';
        sortie.flush();
        return true;
    }
    const ResultatConfig r = programmerConfig(s, HexaDec(c.arguments[0]));
    if (r.fin == FinConfig::Refuse)
        erreurs << QStringLiteral("tessaline-cli: config : rien n'est programm\u00e9") << Qt::endl;
    return r.fin == FinConfig::Programme || r.fin == FinConfig::DejaEnPlace;
}

} // namespace

bool commandeProgrammation(Session& session, const CommandeCli& commande, ConsoleScreen& ecran, bool oui,
                           QTextStream& sortie, QTextStream& erreurs, bool& echec) {
    const bool programmation = commande.nom == "program" || commande.nom == "erase" ||
                               commande.nom == "upload-bin" || commande.nom == "upload-dis" ||
                               commande.nom == "verify" || commande.nom == "config";
    if (!programmation) return false;
    if (!talkerPret(session)) {
        echec = true;
        return true;
    }
    bool reussi = true;
    if (commande.nom == "program")
        reussi = programmer(session, commande, sortie, erreurs);
    else if (commande.nom == "verify")
        reussi = verifier(session, commande, sortie, erreurs);
    else if (commande.nom == "erase")
        reussi = effacer(session, ecran, oui, sortie, erreurs);
    else if (commande.nom == "config")
        reussi = config(session, commande, sortie, erreurs);
    else if (commande.nom == "upload-bin" || commande.nom == "upload-dis")
        reussi = televerser(session, commande, ecran);
    else
        return false;
    echec |= !reussi;
    return true;
}

} // namespace tessaline
