// What the debugger can do on a simulated board beyond what the Talker offers: the
// board keeps count of its program's own E cycles, keeps a history of its last
// instructions to step back through, and watches addresses. A real board has none of
// this: the session then has no BoardTools.
#pragma once

#include <QString>
#include <QVector>

#include <cstdint>
#include <optional>

namespace tessaline {

class BoardTools {
public:
    virtual ~BoardTools() = default;

    // E cycles the program has run since the board was powered on (the Talker's own
    // work not counted), and the E clock in Hz to turn them into time.
    virtual uint64_t cyclesProgramme() = 0;
    virtual double horlogeE() = 0;

    // The program instructions a step back can undo now.
    virtual std::size_t pasArriereDisponibles() = 0;
    struct Recul {
        std::size_t pas = 0; // instructions undone
        // Nothing undone: the peripheral whose state cannot be put back ("SCI",
        // "EEPROM"), or empty when the history holds nothing.
        QString refus;
    };
    // Undoes the last `nombre` instructions of the stopped program; the board then
    // enters the Talker as a breakpoint there would, so that the Talker sends its
    // stop ($03) and holds the program's frame for the host to read.
    virtual Recul reculer(std::size_t nombre) = 0;

    // The CPU's registers, as the history keeps them.
    struct Registres {
        uint8_t a = 0, b = 0, ccr = 0;
        uint16_t x = 0, y = 0, sp = 0, pc = 0;
    };
    // The host ran the program's last instruction away from its place (a copy in free
    // RAM, around a planted breakpoint): `avant`, its registers at its true place,
    // replace the copy's in the history.
    virtual void corrigerDernierPas(const Registres& avant) = 0;
    // The host did an instruction's work on the register set itself (BRA, JMP, RTS,
    // RTI under a breakpoint): kept as an instruction that wrote nothing.
    virtual void noterPasDeLHote(const Registres& avant) = 0;

    // Watchpoints: the program reading or writing an address in [debut, fin] stops
    // after that instruction, through the Talker as a breakpoint would.
    struct Observation {
        uint16_t debut = 0, fin = 0;
        bool lecture = false, ecriture = true;
        bool operator==(const Observation&) const = default;
    };
    virtual void poserObservations(const QVector<Observation>& observations) = 0;
    virtual QVector<Observation> observations() = 0;
    struct Declenchement {
        uint16_t instruction = 0; // address of the instruction that made the access
        uint16_t adresse = 0;
        bool ecriture = false;
        uint8_t valeur = 0; // the byte read or written
        bool operator==(const Declenchement&) const = default;
    };
    // The watchpoint that stopped the program last, once (cleared by the call).
    virtual std::optional<Declenchement> prendreDeclenchement() = 0;
    // A watchpoint stopped the program and has not been taken yet: the program then
    // stopped right after the instruction, with no SWI run (its PC is not one past one).
    virtual bool declenchementEnAttente() = 0;
};

} // namespace tessaline
