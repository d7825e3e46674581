// Operand expressions: numbers ($hex, %binary, @octal, decimal, 'c'), symbols,
// `*` for the location counter, parentheses, unary + and -, and the four
// operators + - * / with the usual precedence (* and / before + and -, each
// level left to right). Integer arithmetic; division truncates toward zero.
// An expression holds no blank: the first blank ends it, as the operand field
// of the classic Motorola syntax ends there. Parentheses and signs nest at
// most 256 deep; deeper is a fault of the line.
#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <optional>

namespace tessaline::asm11 {

// A reading position in a line's operand field.
struct Curseur {
    QStringView texte;
    qsizetype pos = 0;

    bool fin() const { return pos >= texte.size(); }
    QChar courant() const { return fin() ? QChar() : texte[pos]; }
    // A blank (space or tab), or the end of the field.
    bool blancOuFin() const { return fin() || courant() == u' ' || courant() == u'\t'; }
    // Skips blanks; true when there were some.
    bool sauterBlancs();
    // Consumes `c` when it comes next.
    bool prendre(QChar c);
};

// The value of a symbol, or nothing when it is not (yet) defined.
using ChercheSymbole = std::function<std::optional<int32_t>(const QString&)>;

struct Valeur {
    int32_t valeur = 0;
    QString inconnu; // the first symbol that had no value (its value was taken as 0)
    QString erreur;  // a malformed expression: what was wrong
    bool connue() const { return inconnu.isEmpty() && erreur.isEmpty(); }
};

// Reads one expression at the cursor and leaves the cursor after it.
// `compteur` is the value of `*`.
Valeur evaluer(Curseur& c, const ChercheSymbole& chercher, int32_t compteur);

// A character that may start a symbol, and one that may continue it.
bool debutSymbole(QChar c);
bool suiteSymbole(QChar c);

} // namespace tessaline::asm11
