// What the windows may know of a simulated board: its description, its RESET
// button, and that it follows the chip and crystal of the options. The
// program's entry point implements it over the board; the windows never see
// the simulator itself.
#pragma once

#include <QString>

#include <functional>

namespace tessaline {

class BoardControl {
public:
    enum class Evenement {
        Reset,        // the chip left reset in bootstrap mode: no program runs
        Reconstruite, // another chip or crystal, held in reset: no program runs
    };
    using Ecouteur = std::function<void(Evenement)>;

    virtual ~BoardControl() = default;
    // "68HC11F1, quartz 8 MHz".
    virtual QString description() const = 0;
    // The user presses RESET with the board wired for bootstrap mode.
    virtual void reset() = 0;
    // The board becomes `puce` (kept when the simulator has no such chip) with
    // a crystal of `quartzHz`, when either differs from what it is.
    virtual void suivreOptions(const QString& puce, double quartzHz) = 0;

    // Told of every reset and rebuild (one listener; empty to stop).
    void setEcouteur(Ecouteur ecouteur) { ecouteur_ = std::move(ecouteur); }

protected:
    void signaler(Evenement e) {
        if (ecouteur_) ecouteur_(e);
    }

private:
    Ecouteur ecouteur_;
};

} // namespace tessaline
