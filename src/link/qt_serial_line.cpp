#include "link/qt_serial_line.h"

namespace tessaline {

namespace {

QSerialPort::Parity parite(char p) {
    switch (p) {
    case 'E': return QSerialPort::EvenParity;
    case 'O': return QSerialPort::OddParity;
    case 'M': return QSerialPort::MarkParity;
    case 'S': return QSerialPort::SpaceParity;
    default: return QSerialPort::NoParity;
    }
}

} // namespace

QtSerialLine::QtSerialLine(QObject* parent)
    : SerialLine(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &SerialLine::dataArrived);
}

bool QtSerialLine::open(const QString& device, const QString& settings) {
    close();
    ParametresLigne p;
    if (!lireParametresLigne(settings, p)) {
        erreur_ = {int(QSerialPort::UnsupportedOperationError),
                   QStringLiteral("Param\u00e8tres de ligne non valides : ") + settings};
        return false;
    }
    port_.setPortName(device);
    port_.setBaudRate(p.baud);
    port_.setDataBits(static_cast<QSerialPort::DataBits>(p.bitsDonnees));
    port_.setParity(parite(p.parite));
    port_.setStopBits(p.bitsStop == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        erreur_ = {int(port_.error()), port_.errorString()};
        return false;
    }
    // open() keeps whatever the device had received before: drop it. The modem
    // lines are left alone; a pseudo-terminal has none, and failing to set them
    // ("inappropriate ioctl") is no failure to open.
    port_.clear(QSerialPort::AllDirections);
    erreur_ = {};
    return true;
}

void QtSerialLine::close() {
    if (port_.isOpen()) port_.close();
}

int QtSerialLine::bytesWaiting() {
    return port_.isOpen() ? static_cast<int>(port_.bytesAvailable()) : 0;
}

QByteArray QtSerialLine::readAll() {
    return port_.isOpen() ? port_.readAll() : QByteArray();
}

void QtSerialLine::sendByte(quint8 octet) {
    if (!port_.isOpen()) return;
    const char c = static_cast<char>(octet);
    port_.write(&c, 1);
    // write() only queues; push the byte to the device now rather than at the
    // next turn of the event loop.
    port_.flush();
}

} // namespace tessaline
