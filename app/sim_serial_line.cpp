#include "sim_serial_line.h"

namespace tessaline {

SimSerialLine::SimSerialLine(hc11::Board& board, QObject* parent)
    : SerialLine(parent)
    , board_(&board) {}

bool SimSerialLine::open(const QString&, const QString& settings) {
    ParametresLigne p;
    if (!lireParametresLigne(settings, p)) {
        erreur_ = {1, QStringLiteral("Param\u00e8tres de ligne non valides : ") + settings};
        ouvert_ = false;
        return false;
    }
    rattraper();
    baud_ = p.baud;
    board_->hostLineConfigured(p.baud);
    // Whatever the board sent while the port was closed is gone.
    board_->hostReadAll();
    ouvert_ = true;
    debranchee_ = false;
    erreur_ = {};
    reveiller();
    return true;
}

void SimSerialLine::debrancher() {
    if (!ouvert_ || debranchee_) return;
    debranchee_ = true;
    erreur_ = {1, QStringLiteral("C\u00e2ble d\u00e9branch\u00e9")};
    emit dataArrived();
}

int SimSerialLine::bytesWaiting() {
    if (!isOpen()) return 0;
    rattraper();
    return static_cast<int>(board_->hostAvailable());
}

QByteArray SimSerialLine::readAll() {
    if (!isOpen()) return {};
    rattraper();
    const std::vector<uint8_t> octets = board_->hostReadAll();
    return QByteArray(reinterpret_cast<const char*>(octets.data()), static_cast<qsizetype>(octets.size()));
}

void SimSerialLine::sendByte(quint8 octet) {
    if (!isOpen()) return;
    rattraper();
    board_->hostSend(octet);
    reveiller();
}

void SimSerialLine::setCadence(std::function<void()> avant, std::function<void()> apres) {
    rattraper_ = std::move(avant);
    reveiller_ = std::move(apres);
}

void SimSerialLine::signalerDonnees() {
    if (isOpen() && board_->hostAvailable() > 0) emit dataArrived();
}

bool SimSerialLine::sansProgramme() const {
    return board_->phase() != hc11::Board::Phase::Running;
}

void SimSerialLine::changerCarte(hc11::Board& board) {
    board_ = &board;
    if (ouvert_) board_->hostLineConfigured(baud_);
}

} // namespace tessaline
