// Reads a lab check file (TOML). Every key is checked: an unknown one, a value of the
// wrong kind or out of range, a stimulus or an expectation past its case's time limit
// is refused with the line it stands on, so that a teacher's typing mistake never
// turns into a check that quietly tests less.
//
// The file, in outline (addresses: a number, "$FE20", or a label of the source):
//
//   titre = "Chenillard"
//   puce = "68HC11F1"          # 68HC11A1, 68HC11E1, 68HC11F1, 68HC11811E2
//   quartz = 8                 # MHz: 2, 4, 8 or 16
//   afficheur = true           # the 2x16 LCD and the 4x4 keypad fitted (default false)
//   depart = "reset"           # or an address
//   limite = 2_000_000         # E cycles a case runs (a case may give its own)
//
//   [[cas]]
//   nom = "période"
//   [[cas.stimulus]]
//   cycle = 500_000            # or  adresse = "boucle" (each time the instruction
//                              #     there runs, right after it)
//   irq = "appui"              # "bas", "haut"; appui lasts duree E cycles (2 000)
//                              # or  xirq = ...,  broche = "PA0" + niveau = 0|1,
//                              #     canal = 3 + tension = 2.5,  sci = "texte\r",
//                              #     touche = "5" (held alone until the next) | "aucune"
//   [[cas.attendu]]
//   cycle = 450_000            # when to look (default: the end of the case)
//   port = "B"                 # + valeur (+ masque)
//   valeur = 0x02
//   points = 2
//   message = "La LED avance toutes les 200 ms."
//   # or  memoire = ADDR / mot = ADDR + valeur (+ masque),  broche = "PB3" + niveau,
//   #     registre = "A" + valeur,  sci = "texte" / sci_contient = "texte",
//   #     atteint = ADDR (+ avant = N cycles),  ecritures = [[0x0100, 0x01FF], ...],
//   #     cop = "servi",  lcd = ["ligne 1", "ligne 2"] (the rows shown, trailing
//   #     blanks aside)
#pragma once

#include "lab_check.h"

#include <optional>
#include <string>
#include <string_view>

namespace tessaline::lab {

// The longest time limit a case may have: 1 000 000 000 E cycles (8 min 20 s of an
// 8 MHz part), run in a few seconds.
inline constexpr uint64_t LimiteMaxCycles = 1'000'000'000;
// How long an IRQ or XIRQ press holds the pin low, unless the stimulus says: 1 ms at
// E = 2 MHz.
inline constexpr uint64_t DureeAppuiParDefaut = 2'000;

// At most this many cases in a check, and stimuli or expectations in a case.
inline constexpr std::size_t MaxParCas = 1000;

struct LectureVerification {
    std::optional<VerificationLab> verification;
    int ligne = 0;      // of the fault, when there is one (0: the file as a whole)
    std::string erreur; // in French, without the file name and the line
};

// Reads the text of a check file.
LectureVerification lireVerification(std::string_view texte);

} // namespace tessaline::lab
