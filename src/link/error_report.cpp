#include "link/error_report.h"

#include <stdexcept>

namespace tessaline {

namespace {
const QString Entete = QStringLiteral(" >>>>>>----  ATTENTION  ----<<<<<< ");
const QString DeuxLignes = QStringLiteral("\r\n\r\n");

// Numbers of the errors raised by the conversions, as the report shows them.
constexpr int ErreurDepassement = 6;
constexpr int ErreurArgument = 5;
constexpr int ErreurAutre = 51;
} // namespace

QString texteErreur(const QString& nomProcedure, const ErreurExecution& erreur) {
    return Entete + DeuxLignes + QStringLiteral("Sub : ") + nomProcedure + DeuxLignes + u' ' +
           QString::number(erreur.numero) + QStringLiteral(" :  ( ") + erreur.description +
           QStringLiteral(" )");
}

QString texteRemede(Remede remede) {
    switch (remede) {
    case Remede::Liaison:
        return QStringLiteral("V\u00e9rifiez le c\u00e2ble et l'alimentation de la carte ; si le Talker ne "
                              "r\u00e9pond plus, faites RESET puis Load Talker.");
    case Remede::Demarrage:
        return QStringLiteral("V\u00e9rifiez le c\u00e2ble, l'alimentation de la carte et MODA, MODB en mode "
                              "BOOTSTRAP, puis faites RESET et Load Talker.");
    case Remede::StopSourd:
        // The Talker hears the host through the SCI's receive interrupt
        // (RIE in SCCR2, RM 9-11), which is maskable: a program that runs
        // with the I bit set, that turned RIE off or took the SCI for
        // itself, or that crashed, never lets it run (A8TD 9-10).
        return QStringLiteral("Le programme n'entend pas Stop : il tourne avec le bit I du CCR \u00e0 1 "
                              "(interruptions masqu\u00e9es), il a pris le SCI pour lui, sa pile (SP) n'est "
                              "pas dans la RAM, ou il est plant\u00e9. Faites RESET puis Load Talker.");
    case Remede::TalkerPerdu:
        return QStringLiteral(
            "Le Talker a re\u00e7u Stop puis ne r\u00e9pond plus comme il doit : la pile du "
            "programme (SP) n'est sans doute pas dans la RAM (sur le bloc des registres, "
            "sur le Talker), ou le programme a \u00e9cras\u00e9 le Talker. Faites RESET puis "
            "Load Talker.");
    case Remede::ArretNonAtteint:
        return QStringLiteral("Le programme ne s'est pas arr\u00eat\u00e9 dans le d\u00e9lai (Timeout) : "
                              "Tessaline l'arr\u00eate l\u00e0 o\u00f9 il est.");
    case Remede::Coupure:
        return QStringLiteral("V\u00e9rifiez le c\u00e2ble, l'alimentation de la carte et le port, puis "
                              "faites Load Talker.");
    }
    return {};
}

QString avecRemede(const QString& texte, Remede remede) {
    return texte + u'\n' + texteRemede(remede);
}

QString texteTimeOut(const QString& nomProcedure, Remede remede) {
    return Entete + DeuxLignes + QStringLiteral("Sub : ") + nomProcedure + DeuxLignes +
           QStringLiteral("Delai Comunication ( TimeOut ) D\u00e9pass\u00e9") + QStringLiteral("\r\n") +
           texteRemede(remede);
}

QString texteCoupure(const QString& port, const ErreurExecution& erreur) {
    QString texte = port + QStringLiteral(" : la liaison est coup\u00e9e");
    if (!erreur.description.isEmpty()) texte += QStringLiteral(" (") + erreur.description + u')';
    return avecRemede(texte + u'.', Remede::Coupure);
}

void AfficheErreur(Screen& ecran, const QString& nomProcedure, const ErreurExecution& erreur) {
    ecran.beep();
    ecran.message(texteErreur(nomProcedure, erreur), TitreErreurs, Icone::Question, Boutons::Ok);
}

void AfficheEchec(Screen& ecran, const QString& texte) {
    ecran.message(texte, TitreApplication, Icone::Question, Boutons::Ok);
}

void AfficheEchec(Screen& ecran, const QString& texte, Remede remede) {
    AfficheEchec(ecran, avecRemede(texte, remede));
}

ErreurExecution erreurDepuis(const std::exception& e) {
    if (dynamic_cast<const std::overflow_error*>(&e))
        return {ErreurDepassement, QStringLiteral("D\u00e9passement de capacit\u00e9")};
    if (dynamic_cast<const std::invalid_argument*>(&e))
        return {ErreurArgument, QStringLiteral("Argument ou appel de proc\u00e9dure incorrect")};
    return {ErreurAutre, QString::fromLocal8Bit(e.what())};
}

} // namespace tessaline
