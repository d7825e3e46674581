// The general error report of the procedures that can fail at run time.
#pragma once

#include "link/screen.h"
#include "link/serial_line.h"

#include <QString>

#include <exception>

namespace tessaline {

inline const QString TitreErreurs = QStringLiteral("Tessaline -- ERREURS --");
inline const QString TitreApplication = QStringLiteral("Tessaline");

// Beeps and shows the report naming the procedure that failed, with the error's
// number and description.
void AfficheErreur(Screen& ecran, const QString& nomProcedure, const ErreurExecution& erreur);

// What the user can check or do after a failure: the line under the message
// that names the failure. Every message that leaves the user to act takes its
// line from here.
enum class Remede {
    Liaison,         // the Talker stopped answering: cable, board power; RESET, Load Talker
    Demarrage,       // no Talker answers yet: cable, power, MODA/MODB; RESET, Load Talker
    StopSourd,       // Stop got no echo: the I bit, the SCI taken over, a crash
    TalkerPerdu,     // the Talker took Stop, then no longer answers as it should
    ArretNonAtteint, // the program did not stop in time: the host stops it
    Coupure,         // the line is broken: cable, board power, the port
};
QString texteRemede(Remede remede);
// `texte`, then the remedy on the next line.
QString avecRemede(const QString& texte, Remede remede);

// A failed exchange with the target: a message box naming the operation
// ("Erreur MemDump"), titled "Tessaline", with the question-mark icon; with a
// remedy, that on the next line.
void AfficheEchec(Screen& ecran, const QString& texte);
void AfficheEchec(Screen& ecran, const QString& texte, Remede remede);

// The report for a C++ exception caught in a procedure (overflow, invalid argument...).
ErreurExecution erreurDepuis(const std::exception& e);

// The texts of the reports, for the screens and the tests.
QString texteErreur(const QString& nomProcedure, const ErreurExecution& erreur);
// The time-out report, and on its next line what to check or do.
QString texteTimeOut(const QString& nomProcedure, Remede remede = Remede::Liaison);
// The report of a broken line on `port`, with the reason the port gave.
QString texteCoupure(const QString& port, const ErreurExecution& erreur);

} // namespace tessaline
