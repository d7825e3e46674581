// The in-process simulated board as the windows see it (BoardControl): it owns
// the board and the host's line to it, presses RESET, and builds the board
// anew when the options name another chip or crystal. The line stays the same
// object; the board behind it changes.
#pragma once

#include "sim/board.h"
#include "sim_serial_line.h"
#include "ui/board_control.h"

#include <memory>

namespace tessaline {

class SimBoardControl : public BoardControl {
public:
    SimBoardControl(const hc11::ChipDescription& puce, uint32_t quartzHz);

    QString description() const override;
    void reset() override;
    void suivreOptions(const QString& puce, double quartzHz) override;

    hc11::Board& board() { return *board_; }
    SimSerialLine& ligne() { return ligne_; }
    // Goes up by one each time the board is built anew.
    int generation() const { return generation_; }

private:
    std::unique_ptr<hc11::Board> board_;
    SimSerialLine ligne_;
    int generation_ = 0;
};

} // namespace tessaline
