// The Serial line seam: exactly the serial-port operations the program relies
// on. Implementations: the QSerialPort adapter (real ports, pseudo-terminals)
// and the in-process line attached to the simulated board.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace tessaline {

// A failure as the error report shows it: a number and its description.
struct ErreurExecution {
    int numero = 0;
    QString description;
};

class SerialLine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialLine() override = default;

    // Opens `device` with a settings text such as "1200,N,8,1" (rate, parity,
    // data bits, stop bits): binary input, no flow control, input flushed.
    // Returns false and keeps the reason in lastError() when it cannot.
    virtual bool open(const QString& device, const QString& settings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Received bytes waiting to be read.
    virtual int bytesWaiting() = 0;
    // All waiting bytes, oldest first, removed from the receive buffer.
    virtual QByteArray readAll() = 0;
    virtual void sendByte(quint8 octet) = 0;
    virtual ErreurExecution lastError() const = 0;
    // A line that is bound to one device whatever port the user chose (the
    // in-process simulated board) names it here; empty for a real port.
    virtual QString peripheriqueFixe() const { return {}; }
    // A line that sees its device (the in-process simulated board) says here
    // when no program runs there (held in reset, or in its boot ROM): nothing
    // can answer a Talker command. A real port cannot know: false.
    virtual bool sansProgramme() const { return false; }
    // After open(): empty when the driver holds no byte back (low latency
    // granted, or nothing to ask); otherwise why it could not be asked.
    virtual QString refusBasseLatence() const { return {}; }
    // True once the line is broken: its far end hung up (a pseudo-terminal
    // whose other side closed, a USB adapter pulled out) or the port failed.
    // Nothing can come from it any more; the line is closed, lastError() says
    // why, and only a new open() mends it. Every wait ends at once on it. A
    // real RS-232 line whose board is off is not broken: it is only silent.
    virtual bool coupee() const = 0;

signals:
    // Bytes arrived, or the line broke: ends a wait in progress.
    void dataArrived();
};

// The line settings of a settings text.
struct ParametresLigne {
    int baud = 0;
    char parite = 'N';
    int bitsDonnees = 8;
    int bitsStop = 1;
};

// Parses "1200,N,8,1"; false when the text is not of that form.
bool lireParametresLigne(const QString& texte, ParametresLigne& resultat);

} // namespace tessaline
