#include "cli/command_line.h"

#include "config/crystal_table.h"
#include "link/conversions.h"
#include "link/session_state.h"
#include "link/symbol_table.h"
#include "operations/board_time_tools.h"
#include "operations/memory_watch.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cctype>

namespace tessaline {

const QVector<DescriptionCommande>& commandesConnues() {
    static const QVector<DescriptionCommande> liste = {
        {"info", 0, 0, 0, "info                        the configuration and the prepared Talker"},
        {"disasm", 1, 2, 0, "disasm HEX [ADDRESS]        decode bytes without a target"},
        {"load-talker", 0, 0, 0,
         "load-talker                 download the Talker (reset the board when asked)"},
        {"test-talker", 0, 0, 0, "test-talker                 check the Talker and show the link state"},
        {"dump", 2, 2, 0, "dump ADDRESS LENGTH         dump target memory (LENGTH 1 to FF)"},
        {"fill", 3, 3, 0,
         "fill ADDRESS LENGTH VALUE   fill target memory with one byte (LENGTH 1 to FF,\n"
         "                              VALUE 0 to FF)"},
        {"set", 2, 2, 0, "set ADDRESS VALUE           write a byte or a 16-bit word"},
        {"disassemble", 1, 1, 0,
         "disassemble ADDRESS         list 16 bytes of target memory as instructions"},
        {"regs", 0, 0, 0, "regs                        read the registers"},
        {"run", 0, 1, 0,
         "run [ADDRESS]               start the program (at the EEPROM start without ADDRESS);\n"
         "                              with a breakpoint set while stopped, run to it"},
        {"stop", 0, 0, 0, "stop                        stop the running program and show where"},
        {"step", 0, 1, PasMaximum,
         "step [COUNT]                execute COUNT instructions (1 to 1000, default 1)"},
        {"back", 0, 1, ReculMaximum,
         "back [COUNT]                simulated board: undo the stopped program's last COUNT\n"
         "                              instructions (1 to 100000, default 1): registers,\n"
         "                              memory and peripherals as they were"},
        {"watchpoint", 1, 2, 0,
         "watchpoint ADDRESS[-END] [r|w|rw] | none\n"
         "                              simulated board: stop the program after the instruction\n"
         "                              that reads (r) or writes (w, the default) a byte there;\n"
         "                              none removes them all"},
        {"break", 1, 1, 0,
         "break ADDRESS               add a breakpoint (up to 16, RAM or EEPROM); running: wait\n"
         "                              for the program to reach it; stopped: runs stop there"},
        {"delete", 1, 1, 0, "delete ADDRESS|all          remove a breakpoint, or all of them"},
        {"breaks", 0, 0, 0, "breaks                      list the breakpoints"},
        {"continue", 0, 0, 0,
         "continue                    resume at the stopped PC; run to the next breakpoint"},
        {"next", 0, 1, PasMaximum,
         "next [COUNT]                step over: a JSR or BSR runs through to the instruction\n"
         "                              after it; anything else is one step"},
        {"wait", 1, 1, AttenteMaximum,
         "wait MILLISECONDS           let the program run that long (at most 600000)"},
        {"assemble", 1, 1, 0, "assemble FILE.ASM           assemble a source; print its report RETOUR.NFO"},
        {"program", 1, 3, 0,
         "program FILE.S19 [--changed-only] [--ignore-checksum]\n"
         "                              program the EEPROM from an S-record file; a record\n"
         "                              with a wrong checksum is named and makes the exit\n"
         "                              status 1, unless --ignore-checksum"},
        {"verify", 1, 1, 0,
         "verify FILE.S19             compare target memory with an S-record file; list each\n"
         "                              differing byte (address, expected, read); exit\n"
         "                              status 1 when any differs"},
        {"watch", 1, 64, 0,
         "watch ADDRESS[:w] ... [--every MS] [--for MS]\n"
         "                              read bytes (words with :w) while the program runs:\n"
         "                              one line per refresh, the seconds since the start then\n"
         "                              each value in hex and decimal; every 250 ms unless\n"
         "                              --every, until the program stops, --for runs out or\n"
         "                              Ctrl-C"},
        {"erase", 0, 0, 0, "erase                       erase the whole EEPROM (asks unless --yes)"},
        {"config", 0, 1, 0,
         "config [VALUE]              show CONFIG and what its bits mean; with VALUE (00 to FF),\n"
         "                              program it: it takes effect at the next RESET (a value\n"
         "                              that hides or moves memory asks unless --yes)"},
        {"upload-bin", 3, 3, 0,
         "upload-bin ADDRESS LENGTH FILE  save target memory as a binary file (not past FFFF)"},
        {"upload-dis", 3, 3, 0,
         "upload-dis ADDRESS LENGTH FILE  save target memory as a disassembly listing"},
    };
    return liste;
}

namespace {

const DescriptionCommande* trouver(const QString& nom) {
    for (const DescriptionCommande& d : commandesConnues())
        if (nom == QLatin1String(d.nom)) return &d;
    return nullptr;
}

// An address, length or value as the console's fields take it: 1 to 4 hex digits.
bool champHexa(const QString& texte) {
    if (texte.isEmpty() || texte.size() > 4) return false;
    for (QChar c : texte)
        if (!isxdigit(c.toLatin1())) return false;
    return true;
}

bool octetsHexa(const QString& texte) {
    if (texte.isEmpty() || texte.size() % 2 != 0) return false;
    for (QChar c : texte)
        if (!isxdigit(c.toLatin1())) return false;
    return true;
}

// A file name or an option word among a command's arguments: taken as typed.
bool argumentTexte(const QString& commande, int k) {
    if (commande == "program" || commande == "verify" || commande == "watchpoint") return true;
    return (commande == "upload-bin" || commande == "upload-dis") && k == 2;
}

// Where a command takes an address (its first argument), a symbol of the
// program may stand for it.
bool argumentAdresse(const QString& commande, int k) {
    static const QStringList avecAdresse = {"dump",  "fill",   "set",        "disassemble", "run",
                                            "break", "delete", "upload-bin", "upload-dis"};
    return k == 0 && avecAdresse.contains(commande);
}

// A symbol, maybe with a hexadecimal offset: "boucle", "COMPTE+1". Four hex
// digits or fewer are an address, as in the console: a symbol that reads as
// hexadecimal ("BEEF") is reached as "BEEF+0".
bool formeSymbole(const QString& texte) {
    static const QRegularExpression forme(
        QStringLiteral("^[A-Za-z_.][A-Za-z0-9_.]*(?:[+-][0-9A-Fa-f]{1,4})?$"));
    return forme.match(texte).hasMatch();
}

// The options `program` takes after its file.
const QStringList OptionsProgram = {QStringLiteral("--changed-only"), QStringLiteral("--ignore-checksum")};

// Lengths and values the console would complete or cut without a word (a
// length of 0 taken as 80 or 40, one above FF taken as FF, a fill value above
// FF cut to its low byte): the command line refuses them before anything is
// sent. A value of `set` is a byte for one or two digits, a 16-bit word for
// three or four, as the console takes it: every value of 1 to 4 digits fits.
QString refusChamps(const CommandeCli& c) {
    const auto hexa = [](const QString& t) { return t.toInt(nullptr, 16); };
    if (c.nom == "dump" || c.nom == "fill") {
        const int longueur = hexa(c.arguments[1]);
        if (longueur < 1 || longueur > 0xFF)
            return c.nom + QStringLiteral(": length %1 is not 1 to FF").arg(c.arguments[1]);
    }
    if (c.nom == "config" && !c.arguments.isEmpty() && hexa(c.arguments[0]) > 0xFF)
        return QStringLiteral("config: value %1 does not fit in a byte (0 to FF)").arg(c.arguments[0]);
    if (c.nom == "watchpoint" && c.arguments.value(0) != QLatin1String("none")) {
        QString erreur;
        if (!lireObservation(c.arguments, erreur)) return QStringLiteral("watchpoint: ") + erreur;
    }
    if (c.nom == "watchpoint" && c.arguments.value(0) == QLatin1String("none") && c.arguments.size() > 1)
        return QStringLiteral("watchpoint: none takes nothing after it");
    if (c.nom == "fill" && hexa(c.arguments[2]) > 0xFF)
        return QStringLiteral("fill: value %1 does not fit in a byte (0 to FF)").arg(c.arguments[2]);
    return {};
}

bool entier(const QString& texte, int minimum, int maximum, int& valeur) {
    bool ok = false;
    const int v = texte.toInt(&ok, 10);
    if (!ok || v < minimum || v > maximum) return false;
    valeur = v;
    return true;
}

// `watch`'s entries: each an address or a symbol, as `dump` takes one,
// with :b or :w. The symbols among them are marked for resoudreSymboles.
bool analyserWatch(CommandeCli& c, QString& erreur) {
    OptionsWatch options;
    if (!lireOptionsWatch(c.arguments, options, erreur)) return false;
    for (int k = 0; k < c.arguments.size(); ++k) {
        const QString& a = c.arguments[k];
        if (a == "--every" || a == "--for") {
            ++k; // its number, checked
            continue;
        }
        RefusEntree refus = RefusEntree::Aucun;
        lireEntreeSurveillee(a, TableSymboles(), refus);
        if (refus == RefusEntree::SansSymboles) {
            c.symboles << k;
        } else if (refus == RefusEntree::Forme) {
            erreur = QStringLiteral("watch: ") + a +
                     QStringLiteral(" is not an ADDRESS, a symbol, or either with :w");
            return false;
        } else if (refus == RefusEntree::MotAuBout) {
            erreur = QStringLiteral("watch: ") + a + QStringLiteral(" would read past FFFF");
            return false;
        }
    }
    return true;
}

} // namespace

bool lireOptionsWatch(const QStringList& arguments, OptionsWatch& options, QString& erreur) {
    options = OptionsWatch();
    bool intervalleVu = false;
    for (int k = 0; k < arguments.size(); ++k) {
        const QString& a = arguments[k];
        if (a != "--every" && a != "--for") {
            options.entrees << a;
            continue;
        }
        const bool intervalle = a == "--every";
        if (intervalle ? intervalleVu : options.duree.has_value()) {
            erreur = QStringLiteral("watch: ") + a + QStringLiteral(" is given twice");
            return false;
        }
        const int plafond = intervalle ? AttenteMaximum : DureeWatchMaximum;
        int ms = 0;
        if (k + 1 >= arguments.size() || !entier(arguments[k + 1], 1, plafond, ms)) {
            erreur = QStringLiteral("watch: ") + a +
                     QStringLiteral(" takes milliseconds, a decimal number from 1 to %1").arg(plafond);
            return false;
        }
        ++k;
        if (intervalle) {
            intervalleVu = true;
            options.intervalle = ms;
        } else {
            options.duree = ms;
        }
    }
    if (options.entrees.isEmpty()) {
        erreur = QStringLiteral("watch: no ADDRESS to watch");
        return false;
    }
    return true;
}

QString texteUsage() {
    QString u = QStringLiteral(
        "usage: tessaline-cli [--settings FILE] [--port NAME] [--hardware NAME] [--quartz Q] [--baud B]\n"
        "                     [--timeout TENTHS] [--simulate [--eeprom FILE.S19]] [--symbols FILE.SYM]\n"
        "                     [--yes]\n"
        "                     COMMAND [ARGS] [-- COMMAND [ARGS] ...]\n"
        "       tessaline-cli --help | --version\n"
        "an ADDRESS may be a symbol of the program, with an offset (boucle, COMPTE+1): from\n"
        "--symbols, or the .SYM beside the S19 given to program, the source given to\n"
        "assemble (read when each command comes) or the S19 given to --eeprom\n"
        "commands:\n");
    for (const DescriptionCommande& d : commandesConnues())
        u += QStringLiteral("  ") + QLatin1String(d.usage) + u'\n';
    return u;
}

std::optional<LigneCommande> analyserLigneCommande(const QStringList& arguments, QString& erreur) {
    LigneCommande l;
    int i = 0;
    auto valeur = [&](const QString& option) -> std::optional<QString> {
        if (i + 1 >= arguments.size()) {
            erreur = option + QStringLiteral(" needs a value");
            return std::nullopt;
        }
        return arguments[++i];
    };

    QStringList vues;
    for (; i < arguments.size() && arguments[i].startsWith(QStringLiteral("--")) && arguments[i] != "--";
         ++i) {
        const QString o = arguments[i];
        // Each option once: a second one would contradict the first, or be
        // taken without a word in its place.
        if (vues.contains(o)) {
            erreur = o + QStringLiteral(" is given twice");
            return std::nullopt;
        }
        vues << o;
        if (o == "--simulate") {
            l.options.simulate = true;
        } else if (o == "--yes") {
            l.options.yes = true;
        } else if (o == "--eeprom") {
            const auto v = valeur(o);
            if (!v) return std::nullopt;
            l.options.eeprom = *v;
        } else if (o == "--symbols") {
            const auto v = valeur(o);
            if (!v) return std::nullopt;
            l.options.symbols = *v;
        } else if (o == "--settings" || o == "--port" || o == "--hardware" || o == "--quartz" ||
                   o == "--baud" || o == "--timeout") {
            const auto v = valeur(o);
            if (!v) return std::nullopt;
            if (o == "--settings") {
                l.options.settings = *v;
            } else if (o == "--port") {
                l.options.port = *v;
            } else if (o == "--hardware") {
                l.options.hardware = *v;
            } else if (o == "--quartz") {
                if (!reglageQuartz(*v)) {
                    QStringList connus = quartzConnus();
                    const QString dernier = connus.takeLast();
                    erreur = QStringLiteral("--quartz takes %1 or %2 (MHz), not %3")
                                 .arg(connus.join(QStringLiteral(", ")), dernier, *v);
                    return std::nullopt;
                }
                l.options.quartz = *v;
            } else if (o == "--baud") {
                int b = 0;
                if (!entier(*v, 1, 115200, b)) {
                    erreur = QStringLiteral("--baud takes a rate in bit/s, not ") + *v;
                    return std::nullopt;
                }
                l.options.baud = b;
            } else {
                int t = 0;
                if (!entier(*v, 0, TimeoutMaximum, t)) {
                    erreur = QStringLiteral("--timeout takes tenths of a second (0-%1), not ")
                                 .arg(TimeoutMaximum) +
                             *v;
                    return std::nullopt;
                }
                l.options.timeout = t;
            }
        } else {
            erreur = QStringLiteral("unknown option ") + o;
            return std::nullopt;
        }
    }

    // Only the simulated board can be started with an EEPROM image, and it is
    // behind no port.
    if (!l.options.eeprom.isEmpty() && !l.options.simulate) {
        erreur = QStringLiteral("--eeprom goes with --simulate");
        return std::nullopt;
    }
    if (l.options.port && l.options.simulate) {
        erreur =
            QStringLiteral("--port and --simulate contradict each other: the simulated board has no port");
        return std::nullopt;
    }

    while (i < arguments.size()) {
        if (arguments[i] == "--") {
            ++i;
            continue;
        }
        CommandeCli c;
        c.nom = arguments[i++];
        while (i < arguments.size() && arguments[i] != "--")
            c.arguments << arguments[i++];
        const DescriptionCommande* d = trouver(c.nom);
        if (!d) {
            erreur = QStringLiteral("unknown command ") + c.nom;
            return std::nullopt;
        }
        if (c.arguments.size() < d->minimum || c.arguments.size() > d->maximum) {
            erreur = QStringLiteral("usage: ") + QString::fromLatin1(d->usage).simplified();
            return std::nullopt;
        }
        if (c.nom == "assemble") { // a file name, as it is
            l.commandes << c;
            continue;
        }
        if (c.nom == "watch") {
            if (!analyserWatch(c, erreur)) return std::nullopt;
            l.commandes << c;
            continue;
        }
        const bool toutRetirer =
            c.nom == "delete" && c.arguments[0].compare(QLatin1String("all"), Qt::CaseInsensitive) == 0;
        if (toutRetirer) {
            c.arguments[0] = QStringLiteral("all");
            l.commandes << c;
            continue;
        }
        for (int k = 0; k < c.arguments.size(); ++k) {
            if (argumentTexte(c.nom, k)) continue;
            if (argumentAdresse(c.nom, k) && !champHexa(c.arguments[k]) && formeSymbole(c.arguments[k])) {
                c.symboles << k; // resolved with the program's symbols, as typed
                continue;
            }
            c.arguments[k] = c.arguments[k].toUpper();
        }
        if (c.nom == "program") {
            for (int k = 1; k < c.arguments.size(); ++k) {
                if (!OptionsProgram.contains(c.arguments[k])) {
                    erreur = QStringLiteral("program: unknown option ") + c.arguments[k];
                    return std::nullopt;
                }
                if (c.arguments.indexOf(c.arguments[k]) != k) {
                    erreur = QStringLiteral("program: ") + c.arguments[k] + QStringLiteral(" is given twice");
                    return std::nullopt;
                }
            }
        }
        for (int k = 0; k < c.arguments.size() && d->plafond > 0; ++k) {
            int n = 0;
            if (!entier(c.arguments[k], 1, d->plafond, n)) {
                erreur = c.nom + QStringLiteral(": ") + c.arguments[k] +
                         QStringLiteral(" is not a decimal number from 1 to %1").arg(d->plafond);
                return std::nullopt;
            }
        }
        for (int k = 0; k < c.arguments.size() && d->plafond == 0; ++k) {
            if (argumentTexte(c.nom, k) || c.symboles.contains(k)) continue;
            const bool octets = c.nom == "disasm" && k == 0;
            if (octets ? !octetsHexa(c.arguments[k]) : !champHexa(c.arguments[k])) {
                erreur = c.nom + QStringLiteral(": ") + c.arguments[k] +
                         (octets ? QStringLiteral(" is not a whole number of hex bytes")
                                 : QStringLiteral(" is not 1 to 4 hex digits"));
                return std::nullopt;
            }
        }
        erreur = refusChamps(c);
        if (!erreur.isEmpty()) return std::nullopt;
        l.commandes << c;
    }
    if (l.commandes.isEmpty()) {
        erreur = QStringLiteral("no command given (try: info)");
        return std::nullopt;
    }
    return l;
}

bool resoudreSymboles(LigneCommande& ligne, QString& erreur) {
    bool utiles = false;
    for (const CommandeCli& c : ligne.commandes)
        utiles |= !c.symboles.isEmpty();
    QString fichier = ligne.options.symbols;
    if (fichier.isEmpty()) {
        for (const CommandeCli& c : ligne.commandes) {
            if (c.nom != "program") continue;
            fichier = symbolesPres(c.arguments[0]);
            break;
        }
    }
    // The .SYM an assemble of the line wrote beside its source.
    for (const CommandeCli& c : ligne.commandes)
        if (fichier.isEmpty() && c.nom == "assemble") fichier = symbolesPres(c.arguments[0]);
    if (fichier.isEmpty() && !ligne.options.eeprom.isEmpty()) fichier = symbolesPres(ligne.options.eeprom);
    if (fichier.isEmpty() && !utiles) return true;
    if (fichier.isEmpty()) {
        erreur = QStringLiteral("a symbol stands for an address, and no symbols are known: give --symbols "
                                "FILE.SYM, or program an S19 that has its .SYM beside it");
        return false;
    }
    const SymbolesLus lus = lireSymboles(fichier);
    if (!lus.lu) {
        // A file found beside the S19 that nothing needs is no reason to stop.
        if (!utiles && ligne.options.symbols.isEmpty()) return true;
        erreur = QStringLiteral("--symbols: ") + lus.erreur;
        return false;
    }
    LigneCommande resolue = ligne;
    resolue.symboles = lus.table;
    for (CommandeCli& c : resolue.commandes) {
        // watch keeps its entries as typed, to name them on each line.
        for (int k : c.symboles) {
            if (c.nom == "watch") {
                RefusEntree refus = RefusEntree::Aucun;
                if (lireEntreeSurveillee(c.arguments[k], lus.table, refus)) continue;
                erreur = QStringLiteral("watch: ") + c.arguments[k] +
                         (refus == RefusEntree::MotAuBout
                              ? QStringLiteral(" would read past FFFF")
                              : QStringLiteral(" is no symbol of ") + QFileInfo(fichier).fileName());
                return false;
            }
            const std::optional<int> adresse = lus.table.adresse(c.arguments[k]);
            if (!adresse) {
                erreur = c.nom + QStringLiteral(": ") + c.arguments[k] + QStringLiteral(" is no symbol of ") +
                         QFileInfo(fichier).fileName();
                return false;
            }
            c.arguments[k] = DecHexa4(*adresse);
        }
        c.symboles.clear();
        erreur = refusChamps(c);
        if (!erreur.isEmpty()) return false;
    }
    ligne = resolue;
    return true;
}

bool assembleAvant(const LigneCommande& ligne, qsizetype index) {
    for (qsizetype i = 0; i < index && i < ligne.commandes.size(); ++i)
        if (ligne.commandes[i].nom == "assemble") return true;
    return false;
}

std::optional<CommandeCli> resoudreCommande(const LigneCommande& ligne, qsizetype index, TableSymboles& table,
                                            QString& erreur) {
    LigneCommande seule = ligne;
    for (qsizetype i = 0; i < seule.commandes.size(); ++i)
        if (i != index) seule.commandes[i].symboles.clear();
    if (!resoudreSymboles(seule, erreur)) return std::nullopt;
    table = seule.symboles;
    return seule.commandes[index];
}

} // namespace tessaline
