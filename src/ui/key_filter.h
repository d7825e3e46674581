// The keys a field of hexadecimal digits takes: digits pass in upper case,
// any other printable key is refused (the caller beeps), and the editing keys
// (Backspace, arrows, shortcuts) are left to the field.
#pragma once

#include <QString>

class QKeyEvent;

namespace tessaline {

inline const QString ChiffresHexa = QStringLiteral("0123456789ABCDEF");

enum class SortTouche { Laisser, Inserer, Refuser };

// What becomes of `touche`; for Inserer, `majuscule` is the character to insert.
SortTouche trierTouche(const QKeyEvent* touche, const QString& permis, QString& majuscule);

} // namespace tessaline
