#include "sim_board_control.h"

#include "sim/chip.h"

#include <cmath>
#include <optional>

namespace tessaline {

namespace {
std::optional<hc11::Port> portDe(char port) {
    switch (port) {
    case 'B': return hc11::Port::B;
    case 'C': return hc11::Port::C;
    case 'D': return hc11::Port::D;
    case 'E': return hc11::Port::E;
    default: return std::nullopt;
    }
}
} // namespace

SimBoardControl::SimBoardControl(const hc11::ChipDescription& puce, uint32_t quartzHz)
    : board_(std::make_unique<hc11::Board>(puce, quartzHz))
    , ligne_(*board_)
    , outils_([this]() -> hc11::Board& { return *board_; }, [this] { avant(); },
              [this] {
                  // A step back puts the ports' inputs back as they were: the outside
                  // still holds what it holds.
                  appliquerExterieur();
                  apres();
              }) {
    board_->fitLcdAndKeypad();
    board_->setHistoryCapacity(InstructionsHistorique);
}

QString SimBoardControl::description() const {
    const std::string_view nom = board_->chip().name;
    return QString::fromLatin1(nom.data(), static_cast<qsizetype>(nom.size())) +
           QStringLiteral(", quartz %1 MHz").arg(board_->crystalHz() / 1'000'000);
}

void SimBoardControl::reset() {
    avant();
    board_->resetBootstrap();
    appliquerExterieur();
    apres();
    signaler(Evenement::Reset);
}

void SimBoardControl::resetMonopuce() {
    avant();
    board_->resetSingleChip();
    appliquerExterieur();
    apres();
    signaler(Evenement::ResetMonopuce);
}

void SimBoardControl::setCadence(std::function<void()> rattrapage, std::function<void()> reveil) {
    avant_ = rattrapage;
    apres_ = reveil;
    ligne_.setCadence(std::move(rattrapage), std::move(reveil));
}

void SimBoardControl::apres() {
    if (apres_) apres_();
    signalerActivite();
}

bool SimBoardControl::auRepos() {
    avant();
    return board_->resting() && !board_->timerDrivesPins();
}

uint8_t SimBoardControl::niveaux(char port) {
    avant();
    if (port == 'A') return board_->portAPins();
    const auto p = portDe(port);
    return p ? board_->portPins(*p) : 0;
}

uint8_t SimBoardControl::sorties(char port) {
    avant();
    if (port == 'A') return board_->portAOutputs();
    const auto p = portDe(port);
    return p ? board_->portOutputs(*p) : 0;
}

void SimBoardControl::poserEntree(char port, int bit, bool haut) {
    if (port < 'A' || port > 'E' || port == 'B' || bit < 0 || bit > 7) return;
    avant();
    uint8_t& e = entrees_[static_cast<std::size_t>(port - 'A')];
    e = haut ? uint8_t(e | (1u << bit)) : uint8_t(e & ~(1u << bit));
    if (port == 'A')
        board_->setPortAInput(bit, haut);
    else
        board_->setPortInput(*portDe(port), bit, haut);
    apres();
}

void SimBoardControl::poserIrq(bool bas) {
    avant();
    irqBas_ = bas;
    board_->setIrqPinLow(bas);
    apres();
}

void SimBoardControl::poserXirq(bool bas) {
    avant();
    xirqBas_ = bas;
    board_->setXirqPinLow(bas);
    apres();
}

void SimBoardControl::poserTension(int canal, double volts) {
    if (canal < 0 || canal > 7) return;
    avant();
    tensions_[static_cast<std::size_t>(canal)] = volts;
    board_->setAnalogInput(canal, volts);
    apres();
}

BoardControl::Afficheur SimBoardControl::afficheur() {
    avant();
    const hc11::Lcd& lcd = board_->lcd();
    Afficheur a;
    a.allume = lcd.displayOn();
    for (int ligne = 0; ligne < hc11::Lcd::kRows; ++ligne) {
        const std::string codes = lcd.visibleRow(ligne);
        a.lignes[static_cast<std::size_t>(ligne)] =
            QByteArray(codes.data(), static_cast<qsizetype>(codes.size()));
    }
    if (lcd.cursorOn() || lcd.blinkOn()) {
        a.curseurLigne = lcd.cursorRow();
        a.curseurColonne = a.curseurLigne < 0 ? -1 : lcd.cursorColumn();
    }
    a.clignote = lcd.blinkOn();
    return a;
}

void SimBoardControl::poserTouche(int ligne, int colonne, bool enfoncee) {
    if (ligne < 0 || ligne > 3 || colonne < 0 || colonne > 3) return;
    avant();
    const auto bit = static_cast<uint16_t>(1u << (4 * ligne + colonne));
    touches_ = enfoncee ? uint16_t(touches_ | bit) : uint16_t(touches_ & ~bit);
    if (enfoncee)
        board_->pressKey(ligne, colonne);
    else
        board_->releaseKey(ligne, colonne);
    apres();
}

void SimBoardControl::appliquerExterieur() {
    for (int bit = 0; bit < 8; ++bit) {
        const auto haut = [&](char port) {
            return bool((entrees_[static_cast<std::size_t>(port - 'A')] >> bit) & 1);
        };
        board_->setPortAInput(bit, haut('A'));
        for (const char port : {'C', 'D', 'E'})
            board_->setPortInput(*portDe(port), bit, haut(port));
        board_->setAnalogInput(bit, tensions_[static_cast<std::size_t>(bit)]);
    }
    board_->setIrqPinLow(irqBas_);
    board_->setXirqPinLow(xirqBas_);
    for (int touche = 0; touche < 16; ++touche)
        if (touches_ >> touche & 1) board_->pressKey(touche / 4, touche % 4);
}

void SimBoardControl::suivreOptions(const QString& puce, double quartzHz) {
    const hc11::ChipDescription* description = hc11::findChip(puce.toStdString());
    if (!description) description = &board_->chip();
    const auto hz = static_cast<uint32_t>(std::llround(quartzHz));
    if (description->name == board_->chip().name && hz == board_->crystalHz()) return;
    avant();
    // A new board, as after a change of chip or crystal on the bench: powered
    // up held in reset. The line tells it the host's rate.
    auto nouvelle = std::make_unique<hc11::Board>(*description, hz);
    nouvelle->fitLcdAndKeypad();
    nouvelle->setHistoryCapacity(InstructionsHistorique);
    nouvelle->setWatchpoints(board_->watchpoints());
    // Another crystal under the same chip: its EEPROM keeps what was
    // programmed (an --eeprom image, bytes written since).
    if (description->name == board_->chip().name)
        for (uint32_t a = description->eepromStart; a <= description->eepromEnd(); ++a)
            nouvelle->poke(static_cast<uint16_t>(a), board_->peek(static_cast<uint16_t>(a)));
    ligne_.changerCarte(*nouvelle);
    board_ = std::move(nouvelle);
    appliquerExterieur();
    ++generation_;
    apres();
    signaler(Evenement::Reconstruite);
}

} // namespace tessaline
