#include "sim_board_control.h"

#include "sim/chip.h"

#include <cmath>

namespace tessaline {

SimBoardControl::SimBoardControl(const hc11::ChipDescription& puce, uint32_t quartzHz)
    : board_(std::make_unique<hc11::Board>(puce, quartzHz))
    , ligne_(*board_) {}

QString SimBoardControl::description() const {
    const std::string_view nom = board_->chip().name;
    return QString::fromLatin1(nom.data(), static_cast<qsizetype>(nom.size())) +
           QStringLiteral(", quartz %1 MHz").arg(board_->crystalHz() / 1'000'000);
}

void SimBoardControl::reset() {
    board_->resetBootstrap();
    signaler(Evenement::Reset);
}

void SimBoardControl::suivreOptions(const QString& puce, double quartzHz) {
    const hc11::ChipDescription* description = hc11::findChip(puce.toStdString());
    if (!description) description = &board_->chip();
    const auto hz = static_cast<uint32_t>(std::llround(quartzHz));
    if (description->name == board_->chip().name && hz == board_->crystalHz()) return;
    // A new board, as after a change of chip or crystal on the bench: powered
    // up held in reset. The line tells it the host's rate.
    auto nouvelle = std::make_unique<hc11::Board>(*description, hz);
    // Another crystal under the same chip: its EEPROM keeps what was
    // programmed (an --eeprom image, bytes written since).
    if (description->name == board_->chip().name)
        for (uint32_t a = description->eepromStart; a <= description->eepromEnd(); ++a)
            nouvelle->poke(static_cast<uint16_t>(a), board_->peek(static_cast<uint16_t>(a)));
    ligne_.changerCarte(*nouvelle);
    board_ = std::move(nouvelle);
    ++generation_;
    signaler(Evenement::Reconstruite);
}

} // namespace tessaline
