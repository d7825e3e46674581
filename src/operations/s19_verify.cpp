#include "operations/s19_verify.h"

#include "link/control_names.h"
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/serial_port.h"
#include "link/talker_protocol.h"
#include "link/trace.h"
#include "link/transfer.h"
#include "operations/talker_link.h"

#include <QFileInfo>

#include <map>

namespace tessaline {

namespace {

// The Talker's read command takes a count of 1 to 256.
constexpr int LectureMax = 256;

QString texteEcart(const EcartVerification& e) {
    return DecHexa4(e.adresse) + QStringLiteral(" : attendu ") + DecHexa2(e.attendu) +
           QStringLiteral(", lu ") + DecHexa2(e.lu);
}

} // namespace

ImageS19 imageS19(const FichierS19Lu& fichier) {
    ImageS19 image;
    std::map<int, char> octets;
    for (const EnregistrementS1& e : fichier.enregistrements) {
        if (e.adresse + e.donnees.size() > EspaceAdresses) {
            image.erreur = QStringLiteral("Ligne %1 : l'enregistrement S1 %2 d\u00e9passe FFFF")
                               .arg(e.ligne)
                               .arg(DecHexa4(e.adresse));
            return image;
        }
        for (int i = 0; i < e.donnees.size(); ++i)
            octets[e.adresse + i] = e.donnees[i];
    }
    for (const auto& [adresse, octet] : octets) {
        if (image.plages.isEmpty() ||
            image.plages.back().first + image.plages.back().second.size() != adresse)
            image.plages.push_back({adresse, QByteArray()});
        image.plages.back().second.append(octet);
    }
    return image;
}

BilanVerification verifierImage(Session& session, const ImageS19& image) {
    Screen& e = session.ecran();
    BilanVerification bilan;
    int total = 0;
    for (const auto& plage : image.plages)
        total += int(plage.second.size());
    for (const auto& [debut, attendus] : image.plages) {
        for (int decalage = 0; decalage < attendus.size(); decalage += LectureMax) {
            if (arretDemande(session)) {
                bilan.fin = BilanVerification::Fin::Annule;
                return bilan;
            }
            const int adresse = debut + decalage;
            const int n = std::min<int>(LectureMax, int(attendus.size()) - decalage);
            ViderCom(session);
            const Resultat<QByteArray> lus = lireMemoire(session, adresse, n, session.config.Timeout);
            if (lus.issue == Issue::Interrompu) {
                bilan.fin = BilanVerification::Fin::Annule;
                return bilan;
            }
            if (!lus.ok()) {
                if (lus.issue == Issue::TimeOut) AfficheTimeOut(session, QStringLiteral("RecevoirComBINDec"));
                AfficheEchec(e,
                             QStringLiteral("Erreur V\u00e9rification") + FinLigne +
                                 QStringLiteral("Adresse : ") + DecHexa4(adresse),
                             Remede::Liaison);
                TestTalker(session);
                bilan.fin = BilanVerification::Fin::Echec;
                return bilan;
            }
            for (int i = 0; i < n; ++i) {
                const auto attendu = std::uint8_t(attendus[decalage + i]);
                const auto lu = std::uint8_t(lus.donnees[i]);
                if (attendu != lu) bilan.ecarts.push_back({adresse + i, attendu, lu});
            }
            bilan.octetsLus += n;
            e.setValue(controle::BarreProgression, 100 * bilan.octetsLus / std::max(1, total));
        }
    }
    return bilan;
}

BilanVerification VerifS19(Session& session) {
    Screen& e = session.ecran();
    BilanVerification bilan;
    e.clear(Zone::Echo);
    e.append(Zone::Echo, QStringLiteral("V\u00e9rifier ") + QFileInfo(session.fichiers.FichierS19).fileName(),
             couleur::Rouge);
    TraceEcho(session);
    const FichierS19Lu fichier = lireFichierS19(session.fichiers.FichierS19);
    if (!fichier.lu) {
        AfficheEchec(e, fichier.erreur);
        bilan.fin = BilanVerification::Fin::Echec;
        return bilan;
    }
    const ImageS19 image = imageS19(fichier);
    if (!image.erreur.isEmpty()) {
        AfficheEchec(e, image.erreur);
        bilan.fin = BilanVerification::Fin::Echec;
        return bilan;
    }
    session.liaison.annulation = false;
    SurvCom(session, false);
    e.runInProgressWindow(QStringLiteral("V\u00e9rifier *.S19 !..."), [&] {
        e.setText(controle::TitreInfo, QStringLiteral("V\u00e9rifier *.S19 !..."));
        e.setText(controle::TexteInfo, QStringLiteral("Lecture de la m\u00e9moire ") +
                                           session.config.HardWare + QStringLiteral(" ...") + FinLigne +
                                           QStringLiteral("Attendez S.V.P ..."));
        e.setValue(controle::BarreProgression, 0);
        bilan = verifierImage(session, image);
    });
    SurvCom(session, true);
    const int montres = std::min<int>(TraceEcartsMax, int(bilan.ecarts.size()));
    for (int i = 0; i < montres; ++i)
        e.append(Zone::Trace, QStringLiteral("Diff\u00e9rence ") + texteEcart(bilan.ecarts[i]) + FinLigne,
                 couleur::Rouge);
    if (bilan.ecarts.size() > montres)
        e.append(Zone::Trace,
                 QStringLiteral("... et %1 autre(s) diff\u00e9rence(s)").arg(bilan.ecarts.size() - montres) +
                     FinLigne,
                 couleur::Rouge);
    if (bilan.fin == BilanVerification::Fin::Verifie)
        e.append(Zone::Trace,
                 QStringLiteral("V\u00e9rification : %1 octet(s) lu(s), %2 diff\u00e9rence(s)")
                         .arg(bilan.octetsLus)
                         .arg(bilan.ecarts.size()) +
                     FinLigne,
                 bilan.ecarts.isEmpty() ? couleur::Vert : couleur::Rouge);
    return bilan;
}

void verifierS19(Session& session) {
    const BilanVerification b = VerifS19(session);
    if (b.fin != BilanVerification::Fin::Verifie) return;
    Screen& e = session.ecran();
    if (b.ecarts.isEmpty()) {
        e.message(
            QStringLiteral("V\u00e9rification : les %1 octets du programme sont en place.").arg(b.octetsLus),
            TitreApplication, Icone::Information, Boutons::Ok);
        return;
    }
    e.message(QStringLiteral(
                  "V\u00e9rification : %1 octet(s) diff\u00e9rent(s) sur %2, le premier en %3 (attendu %4, "
                  "lu %5).\nLa liste est dans la trace.")
                  .arg(b.ecarts.size())
                  .arg(b.octetsLus)
                  .arg(DecHexa4(b.ecarts.front().adresse), DecHexa2(b.ecarts.front().attendu),
                       DecHexa2(b.ecarts.front().lu)),
              TitreApplication, Icone::Exclamation, Boutons::Ok);
}

} // namespace tessaline
