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
    baud_ = p.baud;
    board_->hostLineConfigured(p.baud);
    // Whatever the board sent while the port was closed is gone.
    board_->hostReadAll();
    ouvert_ = true;
    debranchee_ = false;
    erreur_ = {};
    return true;
}

void SimSerialLine::debrancher() {
    if (!ouvert_ || debranchee_) return;
    debranchee_ = true;
    erreur_ = {1, QStringLiteral("C\u00e2ble d\u00e9branch\u00e9")};
    emit dataArrived();
}

int SimSerialLine::bytesWaiting() {
    return isOpen() ? static_cast<int>(board_->hostAvailable()) : 0;
}

QByteArray SimSerialLine::readAll() {
    if (!isOpen()) return {};
    const std::vector<uint8_t> octets = board_->hostReadAll();
    return QByteArray(reinterpret_cast<const char*>(octets.data()), static_cast<qsizetype>(octets.size()));
}

void SimSerialLine::sendByte(quint8 octet) {
    if (isOpen()) board_->hostSend(octet);
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
