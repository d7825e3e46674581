#include "sim_serial_line.h"

#include "sim/registers.h"

#include <cmath>

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
    suivreProgramme_ = false;
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
    suivreSci();
    return static_cast<int>(board_->hostAvailable());
}

QByteArray SimSerialLine::readAll() {
    if (!isOpen()) return {};
    rattraper();
    suivreSci();
    const std::vector<uint8_t> octets = board_->hostReadAll();
    return QByteArray(reinterpret_cast<const char*>(octets.data()), static_cast<qsizetype>(octets.size()));
}

void SimSerialLine::sendByte(quint8 octet) {
    if (!isOpen()) return;
    rattraper();
    suivreSci();
    board_->hostSend(octet);
    reveiller();
}

void SimSerialLine::setCadence(std::function<void()> avant, std::function<void()> apres) {
    rattraper_ = std::move(avant);
    reveiller_ = std::move(apres);
}

void SimSerialLine::signalerDonnees() {
    suivreSci();
    if (isOpen() && board_->hostAvailable() > 0) emit dataArrived();
}

bool SimSerialLine::sansProgramme() const {
    return board_->phase() != hc11::Board::Phase::Running;
}

void SimSerialLine::changerCarte(hc11::Board& board) {
    board_ = &board;
    if (ouvert_) board_->hostLineConfigured(baud_);
}

namespace {
// The SCI of a running program with its receiver or transmitter on (SCCR2 RE,
// TE, RM 9-11): its exact rate, E / (16 * P * 2^SCR) from the BAUD register
// (A8TD table 5-2); otherwise 0.
double debitSci(hc11::Board& board) {
    if (board.phase() != hc11::Board::Phase::Running) return 0;
    hc11::Sci& sci = board.sci();
    if (!(sci.peek(hc11::reg::SCCR2) & (hc11::sccr2::TE | hc11::sccr2::RE))) return 0;
    return board.eClockHz() / sci.bitCycles();
}
} // namespace

int SimSerialLine::debitProgramme() const {
    rattraper();
    return static_cast<int>(std::lround(debitSci(*board_)));
}

int SimSerialLine::bitsProgramme() const {
    return board_->sci().dataBits();
}

bool SimSerialLine::recepteurProgramme() const {
    rattraper();
    return board_->phase() == hc11::Board::Phase::Running &&
           (board_->sci().peek(hc11::reg::SCCR2) & hc11::sccr2::RE);
}

void SimSerialLine::suivreProgramme(bool suivre) {
    suivreProgramme_ = suivre;
    suivreSci();
}

void SimSerialLine::suivreSci() {
    if (!suivreProgramme_ || !isOpen()) return;
    // The exact rate, as a terminal at the program's rate samples its bits.
    const double debit = debitSci(*board_);
    if (debit > 0 && board_->hostBaud() != debit) board_->setHostBaud(debit);
}

} // namespace tessaline
