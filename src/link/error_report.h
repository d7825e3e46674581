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

// A failed exchange with the target: a message box naming the operation
// ("Erreur MemDump"), titled "Tessaline", with the question-mark icon.
void AfficheEchec(Screen& ecran, const QString& texte);

// The report for a C++ exception caught in a procedure (overflow, invalid argument...).
ErreurExecution erreurDepuis(const std::exception& e);

// The texts of the reports, for the screens and the tests.
QString texteErreur(const QString& nomProcedure, const ErreurExecution& erreur);
QString texteTimeOut(const QString& nomProcedure);

} // namespace tessaline
