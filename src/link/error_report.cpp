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

QString texteTimeOut(const QString& nomProcedure) {
    return Entete + DeuxLignes + QStringLiteral("Sub : ") + nomProcedure + DeuxLignes +
           QStringLiteral("Delai Comunication ( TimeOut ) D\u00e9pass\u00e9");
}

void AfficheErreur(Screen& ecran, const QString& nomProcedure, const ErreurExecution& erreur) {
    ecran.beep();
    ecran.message(texteErreur(nomProcedure, erreur), TitreErreurs, Icone::Question, Boutons::Ok);
}

void AfficheEchec(Screen& ecran, const QString& texte) {
    ecran.message(texte, TitreApplication, Icone::Question, Boutons::Ok);
}

ErreurExecution erreurDepuis(const std::exception& e) {
    if (dynamic_cast<const std::overflow_error*>(&e))
        return {ErreurDepassement, QStringLiteral("D\u00e9passement de capacit\u00e9")};
    if (dynamic_cast<const std::invalid_argument*>(&e))
        return {ErreurArgument, QStringLiteral("Argument ou appel de proc\u00e9dure incorrect")};
    return {ErreurAutre, QString::fromLocal8Bit(e.what())};
}

} // namespace tessaline
