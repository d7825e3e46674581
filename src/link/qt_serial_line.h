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
    bool isOpen() const override { return port_.isOpen(); }
    int bytesWaiting() override;
    QByteArray readAll() override;
    void sendByte(quint8 octet) override;
    ErreurExecution lastError() const override { return erreur_; }

private:
    // Waits until the bytes sent have left the port (bounded).
    void vider();

    QSerialPort port_;
    ErreurExecution erreur_;
};

} // namespace tessaline
