// The in-process simulated board as the windows see it (BoardControl): it owns
// the board and the host's line to it, presses RESET, and builds the board
// anew when the options name another chip or crystal. The line stays the same
// object; the board behind it changes. It remembers what the outside holds on
// the pins (switches, buttons, voltages), so that a new board and a board
// after RESET see the same.
#pragma once

#include "sim/board.h"
#include "sim_board_tools.h"
#include "sim_serial_line.h"
#include "ui/board_control.h"

#include <array>
#include <functional>
#include <memory>

namespace tessaline {

class SimBoardControl : public BoardControl {
public:
    SimBoardControl(const hc11::ChipDescription& puce, uint32_t quartzHz);

    QString description() const override;
    void reset() override;
    void resetMonopuce() override;
    void suivreOptions(const QString& puce, double quartzHz) override;
    uint8_t niveaux(char port) override;
    uint8_t sorties(char port) override;
    void poserEntree(char port, int bit, bool haut) override;
    void poserIrq(bool bas) override;
    void poserXirq(bool bas) override;
    void poserTension(int canal, double volts) override;
    bool auRepos() override;
    bool aAfficheurEtClavier() const override { return true; }
    Afficheur afficheur() override;
    void poserTouche(int ligne, int colonne, bool enfoncee) override;
    // The program's cycles, its history (InstructionsHistorique instructions) and
    // watchpoints, on whichever board is current.
    BoardTools* outils() override { return &outils_; }
    SciProgramme sciProgramme() override {
        return {ligne_.debitProgramme(), ligne_.bitsProgramme(), ligne_.recepteurProgramme()};
    }
    void suivreSciProgramme(bool suivre) override { ligne_.suivreProgramme(suivre); }

    // What runs the board in real time (RealTimeBoard), for the board and its
    // line: `rattrapage` brings the board up to the present before anything
    // looks at it or acts on it; `reveil` is told when something from outside
    // may have given it work. Unset, the board runs only when its owner runs it.
    void setCadence(std::function<void()> rattrapage, std::function<void()> reveil);
    // Tells the panel that the pins may change again: said by whatever runs
    // the board, after a run that left it busy.
    using BoardControl::signalerActivite;

    hc11::Board& board() { return *board_; }
    SimSerialLine& ligne() { return ligne_; }
    // Goes up by one each time the board is built anew.
    int generation() const { return generation_; }

private:
    // Drives on the board what the outside holds.
    void appliquerExterieur();
    void avant() const {
        if (avant_) avant_();
    }
    // Something from outside acted on the board.
    void apres();

    std::unique_ptr<hc11::Board> board_;
    SimSerialLine ligne_;
    SimBoardTools outils_;
    int generation_ = 0;
    // Levels held on the input pins of ports A, C, D and E (index port - 'A').
    std::array<uint8_t, 5> entrees_{};
    bool irqBas_ = false;
    bool xirqBas_ = false;
    std::array<double, 8> tensions_{};
    uint16_t touches_ = 0; // keys held, bit 4 * row + column
    std::function<void()> avant_;
    std::function<void()> apres_;
};

} // namespace tessaline
