// A lab check: what a teacher asks of every program handed in for one lab, read from a
// TOML check file (lab_check_reader.h). One check holds the board (chip, crystal), where
// the program starts, a time limit in E cycles and one or more cases; each case starts
// from a fresh board, drives its inputs (stimuli) at given cycles or when the program
// reaches an address, and weighs what it sees against its expectations, each worth some
// points. Everything is timed in E cycles of the simulated board, never in wall time,
// so that a check gives the same result on every run and every machine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tessaline::lab {

// An address as the check file gives it: a number, or a label the submission's source
// defines (resolved when the case runs; an S-record submission has no labels).
struct AdresseLab {
    std::optional<uint16_t> valeur;
    std::string etiquette;
    std::string texte() const; // "$FE20" or the label
};

// When a stimulus comes: at an E cycle, or each time the program is about to execute
// the instruction at an address.
struct Declencheur {
    std::optional<uint64_t> cycle;
    std::optional<AdresseLab> adresse;
};

// The board's inputs a stimulus can drive.
struct NiveauBroche { // a level on an input pin (PA0, PC3, PE7...)
    char port = 'A';
    int bit = 0;
    bool haut = false;
};
struct LigneInterruption { // IRQ or XIRQ, active low
    bool xirq = false;
    enum class Action { Appui, Bas, Haut } action = Action::Appui;
    uint64_t duree = 0; // Appui: E cycles the pin is held low
};
struct TensionAnalogique { // a voltage on A/D channel 0-7
    int canal = 0;
    double volts = 0;
};
struct OctetsSci { // bytes into the SCI receiver, at the rate the program set
    std::string texte;
};
struct Touche { // the keypad: key 0-F held down alone, or -1: every key released
    int touche = -1;
};

struct Stimulus {
    int ligne = 0; // in the check file
    Declencheur quand;
    std::variant<NiveauBroche, LigneInterruption, TensionAnalogique, OctetsSci, Touche> action;
};

// What an expectation looks at.
struct ValeurMemoire { // a byte, or a word (high byte first)
    AdresseLab adresse;
    bool mot = false;
    uint16_t valeur = 0, masque = 0xFFFF;
};
struct ValeurPort { // a port's pins (A to E), under a mask
    char port = 'B';
    uint8_t valeur = 0, masque = 0xFF;
};
struct ValeurBroche {
    char port = 'B';
    int bit = 0;
    bool haut = false;
};
struct ValeurRegistre { // A, B, D, X, Y, SP, PC or CCR
    std::string nom;
    uint16_t valeur = 0, masque = 0xFFFF;
};
struct TexteSci { // what the SCI sent during the case, whole or in part
    std::string texte;
    bool contient = false;
};
struct AdresseAtteinte { // the program reaches an address within a number of E cycles
    AdresseLab adresse;
    uint64_t avant = 0;
};
struct EcrituresPermises { // the program writes nowhere but inside these ranges
    std::vector<std::pair<uint16_t, uint16_t>> zones;
};
struct CopServi { // the COP watchdog (turned on for the case) never resets the chip
};
struct TexteAfficheur { // the LCD's rows as shown (trailing blanks aside)
    std::vector<std::string> lignes;
};

struct Attente {
    int ligne = 0;
    int points = 1;
    std::string message; // the teacher's word to the student, shown when it fails
    // When to look: at this cycle, or at the end of the case. Reaching an address, the
    // writes and the COP span the whole case.
    std::optional<uint64_t> cycle;
    std::variant<ValeurMemoire, ValeurPort, ValeurBroche, ValeurRegistre, TexteSci, AdresseAtteinte,
                 EcrituresPermises, CopServi, TexteAfficheur>
        quoi;
};

// Where the program starts: at the reset vector ($FFFE, in the EEPROM of the F1 and
// the 811E2), or at an address.
struct Depart {
    std::optional<AdresseLab> adresse; // none: the reset vector
};

struct CasLab {
    int ligne = 0;
    std::string nom;
    Depart depart;
    uint64_t limite = 0; // E cycles
    std::vector<Stimulus> stimuli;
    std::vector<Attente> attentes;
    int pointsMax() const;
    bool copEnMarche() const; // one of its expectations needs the COP on
};

struct VerificationLab {
    std::string titre;
    std::string puce = "68HC11F1";
    unsigned quartzMHz = 8;
    // The board's 2x16 LCD and 4x4 keypad are fitted (wired as the simulated board's
    // panel shows: LCD on port C and PD2-PD4, keypad rows PB0-PB3, columns PE4-PE7).
    bool afficheur = false;
    std::vector<CasLab> cas;
    int pointsMax() const;
};

} // namespace tessaline::lab
