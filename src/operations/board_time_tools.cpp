#include "operations/board_time_tools.h"

#include "link/board_tools.h"
#include "link/conversions.h"
#include "link/error_report.h"
#include "link/trace.h"
#include "operations/program_run.h"

#include <QLocale>
#include <QRegularExpression>

#include <limits>

namespace tessaline {

namespace {

QString adresse(int a) {
    return u'$' + DecHexa4(a & 0xFFFF);
}

void ligneTrace(Session& s, const QString& texte) {
    TraceHeure(s, s.horloge().now());
    s.ecran().append(Zone::Trace, texte + FinLigne, couleur::Bleu);
}

} // namespace

QString texteObservation(const BoardTools::Observation& o) {
    QString t = adresse(o.debut);
    if (o.fin != o.debut) t += u'-' + adresse(o.fin);
    QStringList genres;
    if (o.lecture) genres << QStringLiteral("lecture");
    if (o.ecriture) genres << QStringLiteral("\u00e9criture");
    return t + QStringLiteral(" (") + genres.join(QStringLiteral(", ")) + u')';
}

std::optional<BoardTools::Observation> lireObservation(const QStringList& arguments, QString& erreur) {
    static const QRegularExpression forme(QStringLiteral("^([0-9A-Fa-f]{1,4})(?:-([0-9A-Fa-f]{1,4}))?$"));
    const QRegularExpressionMatch m = forme.match(arguments.value(0));
    if (!m.hasMatch()) {
        erreur = QStringLiteral(
                     "%1 n'est pas une adresse ou une plage (ADRESSE ou DEBUT-FIN, en hexad\u00e9cimal)")
                     .arg(arguments.value(0));
        return std::nullopt;
    }
    BoardTools::Observation o;
    o.debut = uint16_t(m.captured(1).toUInt(nullptr, 16));
    o.fin = m.captured(2).isEmpty() ? o.debut : uint16_t(m.captured(2).toUInt(nullptr, 16));
    if (o.fin < o.debut) {
        erreur = QStringLiteral("la plage %1 finit avant de commencer").arg(arguments.value(0));
        return std::nullopt;
    }
    const QString genre = arguments.value(1, QStringLiteral("w")).toLower();
    if (genre != QLatin1String("r") && genre != QLatin1String("w") && genre != QLatin1String("rw")) {
        erreur =
            QStringLiteral("%1 : r (lecture), w (\u00e9criture) ou rw (les deux)").arg(arguments.value(1));
        return std::nullopt;
    }
    o.lecture = genre.contains(u'r');
    o.ecriture = genre.contains(u'w');
    return o;
}

void rapporterArretCarte(Session& s) {
    s.rapportArret.clear();
    s.declenchement.reset();
    BoardTools* outils = s.outilsCarte;
    if (!outils) return;
    s.declenchement = outils->prendreDeclenchement();
    if (const auto& d = s.declenchement)
        s.rapportArret << QStringLiteral("Point d'observation : %1 %2 ($%3) par l'instruction en %4")
                              .arg(adresse(d->adresse),
                                   d->ecriture ? QStringLiteral("\u00e9crit") : QStringLiteral("lu"),
                                   DecHexa2(d->valeur), adresse(d->instruction));
    const uint64_t cycles = outils->cyclesProgramme();
    // A step back puts the count back: it reports no cycles, the count it leaves is
    // the new reference.
    if (cycles >= s.cyclesAuDernierArret) {
        const uint64_t n = cycles - s.cyclesAuDernierArret;
        const QLocale fr(QLocale::French);
        s.rapportArret << QStringLiteral("Cycles depuis le dernier arr\u00eat : %1 E (%2 \u00b5s)")
                              .arg(fr.toString(qulonglong(n)),
                                   fr.toString(double(n) * 1e6 / outils->horlogeE(), 'f', 1));
    }
    s.cyclesAuDernierArret = cycles;
    for (const QString& ligne : s.rapportArret)
        ligneTrace(s, ligne);
}

bool PasArriere(Session& s, int nombre) {
    BoardTools* outils = s.outilsCarte;
    if (!s.liaison.talkerPresent || s.liaison.cibleTourne) {
        AfficheEchec(s.ecran(),
                     QStringLiteral("Pas arri\u00e8re : le programme doit \u00eatre arr\u00eat\u00e9 "
                                    "sous le Talker"));
        return false;
    }
    if (!outils) {
        AfficheEchec(s.ecran(),
                     QStringLiteral("Pas arri\u00e8re : seule la carte simul\u00e9e garde l'historique "
                                    "de son programme"));
        return false;
    }
    const BoardTools::Recul r = outils->reculer(std::size_t(std::max(1, nombre)));
    if (r.pas == 0) {
        AfficheEchec(
            s.ecran(),
            r.refus.isEmpty()
                ? QStringLiteral("Pas arri\u00e8re : l'historique ne contient aucune instruction du "
                                 "programme depuis le dernier RESET")
                : QStringLiteral("Pas arri\u00e8re impossible : une de ces instructions a utilis\u00e9 "
                                 "%1, dont l'\u00e9tat ne peut pas \u00eatre r\u00e9tabli")
                      .arg((r.refus.startsWith(u'E') ? QStringLiteral("l'") : QStringLiteral("le ")) +
                           r.refus));
        return false;
    }
    // The board entered the Talker where the program now stands: its $03, then the
    // frame, as after any stop.
    const Arret arret = attraperArret(s);
    if (arret == Arret::Perdu) return false;
    // No cycles to report: the count went back.
    s.cyclesAuDernierArret = std::numeric_limits<uint64_t>::max();
    ligneTrace(s, QStringLiteral("Pas arri\u00e8re : %1 instruction(s) d\u00e9faite(s), %2 restante(s) dans "
                                 "l'historique")
                      .arg(r.pas)
                      .arg(outils->pasArriereDisponibles()));
    afficherArret(s, s.registres.RegPC, true);
    return true;
}

} // namespace tessaline
