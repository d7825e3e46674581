// The serial line over QSerialPort: real ports, USB adapters, pseudo-terminals.
#pragma once

#include "link/serial_line.h"

#include <QSerialPort>

namespace tessaline {

class QtSerialLine : public SerialLine {
    Q_OBJECT
public:
    explicit QtSerialLine(QObject* parent = nullptr);
    // Closes the port, after the bytes sent have left.
    ~QtSerialLine() override;

    bool open(const QString& device, const QString& settings) override;
    void close() override;
    bool isOpen() const override { return port_.isOpen() && !coupee_; }
    int bytesWaiting() override;
    QByteArray readAll() override;
    void sendByte(quint8 octet) override;
    ErreurExecution lastError() const override { return erreur_; }
    bool coupee() const override { return coupee_; }
    QString refusBasseLatence() const override { return refusLatence_; }

private:
    // Asks the driver for low latency (see the .cpp); the reason it refused.
    QString demanderBasseLatence();
    // Waits until the bytes sent have left the port, for as long as the bytes
    // really pending take on the wire.
    void vider();
    void erreurPort(QSerialPort::SerialPortError erreur);

    QSerialPort port_;
    ErreurExecution erreur_;
    bool coupee_ = false;
    QString refusLatence_;
};

} // namespace tessaline
