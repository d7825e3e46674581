// The symbols of a program, as the assembler lists them in its .SYM file (one
// "name  $HHHH" line per symbol, then a blank line and the count): labels and
// EQU constants alike. They let the user name an address by its label
// ("boucle", "boucle+3") and let the program name the addresses it shows.
#pragma once

#include <QMap>
#include <QString>

#include <optional>

namespace tessaline {

// Larger than the .SYM of any program that fits a 64 KB address space.
inline constexpr qint64 TailleMaxSym = qint64(1) << 20;

class TableSymboles {
public:
    void ajouter(const QString& nom, int valeur) { valeurs_.insert(nom, valeur); }
    bool vide() const { return valeurs_.isEmpty(); }
    int taille() const { return int(valeurs_.size()); }

    // The address `texte` names: a symbol, or a symbol plus or minus a
    // hexadecimal offset ("boucle+3"). A symbol is found by its exact name,
    // else by the one name that matches it regardless of case. Nothing for an
    // unknown or ambiguous name, or a result outside $0000-$FFFF.
    std::optional<int> adresse(const QString& texte) const;

    // How the program names `adresse`: the symbol with the highest value at or
    // below it, within 256 bytes ("boucle", "boucle+3", the offset in
    // hexadecimal); empty when none is that close.
    QString nom(int adresse) const;

private:
    QMap<QString, int> valeurs_;
};

// " <boucle+3>": how a line names `adresse` after it, or nothing when no
// symbol is close; with `exact`, only a symbol at that very address counts.
QString marqueSymbole(const TableSymboles& symboles, int adresse, bool exact = false);

// The symbols of a .SYM text; lines that are not "name $HHHH" are skipped.
TableSymboles analyserSymboles(const QByteArray& texte);

struct SymbolesLus {
    bool lu = false;
    QString erreur; // when not read: one line naming the file and the fault
    TableSymboles table;
};
// Reads the .SYM file at `chemin` (a regular file of at most TailleMaxSym bytes).
SymbolesLus lireSymboles(const QString& chemin);

// The .SYM file the assembler leaves beside `fichierS19` (same name, .SYM or
// .sym); empty when there is none.
QString symbolesPres(const QString& fichierS19);

} // namespace tessaline
