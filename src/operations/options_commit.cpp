#include "operations/options_commit.h"

#include "config/crystal_table.h"
#include "config/talker_adaptation.h"
#include "link/control_names.h"
#include "link/conversions.h"
#include "link/serial_port.h"

#include <QStringList>

namespace tessaline {

namespace {

QString liste(const QStringList& elements) {
    return elements.join(QStringLiteral(", "));
}

void engager(Configuration& c, const Configuration& choix) {
    c.Port = choix.Port;
    c.HardWare = choix.HardWare;
    c.Quartz = choix.Quartz;
    c.Baud = choix.Baud;
    c.Timeout = choix.Timeout;
    c.carte() = choix.carte();
    c.FichierCompilateur = choix.FichierCompilateur;
    c.FichierCompilateurSYM = choix.FichierCompilateurSYM;
    c.FichierCompilateurBAT = choix.FichierCompilateurBAT;
    c.FichCompilateur = choix.FichCompilateur;
    c.FichCompilateurSYM = choix.FichCompilateurSYM;
    c.FichCompilateurBAT = choix.FichCompilateurBAT;
    c.Peripheriques = choix.Peripheriques;
}

} // namespace

QString refusQuartzBaud(const QString& quartz, int baud) {
    if (vitesseTalker(quartz, baud)) return {};
    if (!reglageQuartz(quartz))
        return QStringLiteral("crystal %1 MHz unknown: the crystals are %2 MHz")
            .arg(quartz, liste(quartzConnus()));
    QStringList rates;
    for (int rate : ratesPourQuartz(quartz))
        rates << QString::number(rate);
    const QString dernier = rates.takeLast();
    return QStringLiteral("the Talker cannot run at %1 baud with crystal %2 MHz, which allows %3 and %4 baud")
        .arg(QString::number(baud), quartz, liste(rates), dernier);
}

ResultatOptions ValiderOptions(Session& session, const Configuration& choix,
                               const QVector<ProfilMateriel>* profils, bool rouvrirPort) {
    if (!refusQuartzBaud(choix.Quartz, choix.Baud).isEmpty()) return ResultatOptions::QuartzBaudRefuses;
    Configuration& c = session.config;
    const QString portAvant = c.Port;
    const auto peripheriquesAvant = c.Peripheriques;
    engager(c, choix);
    if (profils) session.profils = *profils;

    session.console.CmdAdresse = DecHexa4(c.DepartEEprom);
    session.ecran().setText(controle::Adresse, session.console.CmdAdresse);
    AdapteTalkerSiChange(c);

    if (!rouvrirPort) return ResultatOptions::Engagees;
    ComOpen(session);
    if (session.liaison.portOuvert) return ResultatOptions::Engagees;
    session.ecran().beep();
    c.Port = portAvant;
    c.Peripheriques = peripheriquesAvant;
    return ResultatOptions::PortFerme;
}

} // namespace tessaline
