// What the user typed: global options, then one or more commands separated by
// "--", run in order on one session.
#pragma once

#include "link/symbol_table.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace tessaline {

struct OptionsGlobales {
    QString settings; // empty: the user's own store
    std::optional<QString> port;
    std::optional<QString> hardware;
    std::optional<QString> quartz;
    std::optional<int> baud;
    std::optional<int> timeout;
    bool simulate = false;
    QString eeprom; // --eeprom: the simulated board's EEPROM image (S-record file); empty: erased
    bool yes = false;
    QString symbols; // --symbols: the program's .SYM file; empty: the one beside `program`'s S19
};

struct CommandeCli {
    QString nom;
    QStringList arguments;
    // The arguments given as a symbol ("boucle", "COMPTE+1") where an address
    // goes, by position; resoudreSymboles puts their address in its place.
    QVector<int> symboles;
};

struct LigneCommande {
    OptionsGlobales options;
    QVector<CommandeCli> commandes;
    TableSymboles symboles; // the program's, once resoudreSymboles found them
    // An `assemble` in the line writes the S19 and the .SYM that later commands
    // name: their symbols are then read as each command runs (resoudreCommande).
    bool symbolesALaDemande = false;
};

// The commands known, with how many arguments each takes (minimum, maximum).
// Their arguments are the console's hex fields, or, when `plafond` is not 0,
// decimal numbers from 1 to `plafond` (a count, milliseconds).
struct DescriptionCommande {
    const char* nom;
    int minimum;
    int maximum;
    int plafond;
    const char* usage;
};
const QVector<DescriptionCommande>& commandesConnues();

// The most instructions one step command executes, and the longest wait
// (milliseconds).
inline constexpr int PasMaximum = 1000;
inline constexpr int AttenteMaximum = 600000;
// The most instructions one step back undoes (the simulated board's history).
inline constexpr int ReculMaximum = 100000;

// What `watch` was given: its entries as typed, the time between two
// refreshes and how long to watch (none: while the program runs), in
// milliseconds.
inline constexpr int IntervalleWatchDefaut = 250;
inline constexpr int DureeWatchMaximum = 86'400'000; // a day
struct OptionsWatch {
    QStringList entrees;
    int intervalle = IntervalleWatchDefaut;
    std::optional<int> duree;
};
// `watch`'s arguments, its options among the entries. False, with `erreur`,
// for an option without its number, or given twice, or no entry at all.
bool lireOptionsWatch(const QStringList& arguments, OptionsWatch& options, QString& erreur);

// Parses the arguments (without the program name). On a usage error returns
// nothing and sets `erreur` to a one-line explanation.
std::optional<LigneCommande> analyserLigneCommande(const QStringList& arguments, QString& erreur);

QString texteUsage();

// Puts the address of each symbol given as an address in its place, from the
// --symbols file, else from the .SYM beside the first S19 given to `program`,
// the source given to `assemble` or the S19 given to --eeprom, and keeps them for naming the stops. False,
// with `erreur` naming the symbol or the file, when a symbol is unknown, or a symbols file that is needed or
// given cannot be read; nothing is touched then.
bool resoudreSymboles(LigneCommande& ligne, QString& erreur);

// True when an `assemble` comes in the line before command `index` (every
// command when `index` is the number of commands).
bool assembleAvant(const LigneCommande& ligne, qsizetype index);

// Command `index` with its symbols resolved as resoudreSymboles does, from the
// symbol files as they are now; the symbols found go to `table`. Nothing, with
// `erreur`, when a symbol of that command is unknown or its file unreadable.
std::optional<CommandeCli> resoudreCommande(const LigneCommande& ligne, qsizetype index, TableSymboles& table,
                                            QString& erreur);

} // namespace tessaline
