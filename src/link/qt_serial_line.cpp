#include "link/qt_serial_line.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <termios.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>

#include <cerrno>
#include <cstring>
#endif

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

// Time left to the far end to take the last character before the line's
// settings change, beyond the character's own time.
constexpr double MargeFermeture = 0.05;
// Beyond twice their time on the wire, what the bytes pending at close may
// take to leave: a simulated board on a busy machine reads its pseudo-terminal
// a little late.
constexpr qint64 MargeVidageMs = 500;

// The port errors after which nothing more can come: a pseudo-terminal whose
// other end closed (poll reports a hang-up, read returns 0: ReadError; or EIO:
// ResourceError), an adapter pulled out (ResourceError), a write the device
// refuses (WriteError). The others (an unsupported modem-line call on a
// pseudo-terminal, a failed open) leave the line as it was.
bool coupure(QSerialPort::SerialPortError erreur) {
    return erreur == QSerialPort::ResourceError || erreur == QSerialPort::ReadError ||
           erreur == QSerialPort::WriteError;
}

// How long one character takes on the wire: start bit, data, parity, stop bits.
double tempsCaractere(const QSerialPort& port) {
    const int bits = 1 + port.dataBits() + (port.parity() == QSerialPort::NoParity ? 0 : 1) +
                     (port.stopBits() == QSerialPort::TwoStop ? 2 : 1);
    return bits / double(std::max<qint32>(1, port.baudRate()));
}

} // namespace

QtSerialLine::~QtSerialLine() {
    close();
}

QtSerialLine::QtSerialLine(QObject* parent)
    : SerialLine(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &SerialLine::dataArrived);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialLine::erreurPort);
}

void QtSerialLine::erreurPort(QSerialPort::SerialPortError erreur) {
    if (!port_.isOpen() || coupee_ || !coupure(erreur)) return;
    coupee_ = true;
    // The port's own text is that of the last system call, often an older
    // one (a modem-line call refused on a pseudo-terminal): the cause is said
    // from the error itself.
    const QString cause = erreur == QSerialPort::ReadError ? QStringLiteral("l'autre bout a raccroch\u00e9")
                          : erreur == QSerialPort::WriteError ? QStringLiteral("\u00e9criture refus\u00e9e")
                                                              : QStringLiteral("le port a disparu");
    erreur_ = {int(erreur), cause};
    // The port's read notifier would report the hang-up again at every turn
    // of the event loop, a core spent for nothing: the port is closed, once
    // this notification is over (not from inside it).
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (coupee_) port_.close();
        },
        Qt::QueuedConnection);
    emit dataArrived();
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
    coupee_ = false;
    refusLatence_ = demanderBasseLatence();
    return true;
}

// A USB serial adapter's driver holds the bytes it receives until its latency
// timer runs out (16 ms by default on the common chips) or a packet is full:
// the Talker's exchanges, one byte answering another, then cost that much a
// byte. The serial_struct's ASYNC_LOW_LATENCY flag asks the driver to hand
// bytes over at once (the common adapters' driver then sets its timer to
// 1 ms). A device that is no serial driver (a pseudo-terminal) has nothing to
// lower: ENOTTY or EINVAL is no refusal.
QString QtSerialLine::demanderBasseLatence() {
#ifdef Q_OS_LINUX
    const int fd = int(port_.handle());
    serial_struct serie{};
    if (::ioctl(fd, TIOCGSERIAL, &serie) != 0)
        return errno == ENOTTY || errno == EINVAL ? QString() : QString::fromLocal8Bit(std::strerror(errno));
    if (serie.flags & ASYNC_LOW_LATENCY) return {};
    serie.flags |= ASYNC_LOW_LATENCY;
    if (::ioctl(fd, TIOCSSERIAL, &serie) != 0)
        return errno == ENOTTY || errno == EINVAL ? QString() : QString::fromLocal8Bit(std::strerror(errno));
#endif
    return {};
}

void QtSerialLine::close() {
    if (!port_.isOpen()) return;
    // A broken line carries nothing more: no bytes to wait for.
    if (!coupee_) vider();
    port_.close();
}

void QtSerialLine::vider() {
    // Closing the port restores the terminal settings found at open, and a
    // reopening changes the rate: a byte still in the output queue would then
    // leave at the wrong rate, or not at all. The last handshake byte of an
    // exchange is such a byte, and the Talker waits for it. So the queue is
    // drained first: Qt's buffer, then the driver's, then the character in the
    // UART's shift register. The bytes pending are counted once, and the wait
    // is bounded by twice their time on the wire: a far end that takes
    // nothing (a frozen board behind a pseudo-terminal) cannot hold us longer.
    const double caractere = tempsCaractere(port_);
    port_.flush();
    QElapsedTimer montre;
    montre.start();
    qint64 enAttente = port_.bytesToWrite();
#ifdef Q_OS_UNIX
    int pilote = 0;
    if (::ioctl(port_.handle(), TIOCOUTQ, &pilote) == 0) enAttente += pilote;
#endif
    const qint64 limiteMs = MargeVidageMs + qint64(2 * caractere * 1000 * enAttente);
    // A line that breaks meanwhile takes nothing more.
    while (!coupee_ && port_.bytesToWrite() > 0 && montre.elapsed() < limiteMs)
        port_.waitForBytesWritten(10);
    if (coupee_) return;
#ifdef Q_OS_UNIX
    int restant = 0;
    while (::ioctl(port_.handle(), TIOCOUTQ, &restant) == 0 && restant > 0 && montre.elapsed() < limiteMs)
        QThread::usleep(static_cast<unsigned long>(std::max(1.0, restant * caractere * 1e6 / 2)));
#endif
    // The last character: in the shift register of a UART, or, on a
    // pseudo-terminal, not yet taken by the simulated board's receiver, which
    // reads the line's rate as it takes each character and may be a few
    // milliseconds late when the machine is busy.
    QThread::usleep(static_cast<unsigned long>((2 * caractere + MargeFermeture) * 1e6));
}

int QtSerialLine::bytesWaiting() {
    return port_.isOpen() ? static_cast<int>(port_.bytesAvailable()) : 0;
}

QByteArray QtSerialLine::readAll() {
    return port_.isOpen() ? port_.readAll() : QByteArray();
}

void QtSerialLine::sendByte(quint8 octet) {
    if (!isOpen()) return;
    const char c = static_cast<char>(octet);
    port_.write(&c, 1);
    // write() only queues; push the byte to the device now rather than at the
    // next turn of the event loop.
    port_.flush();
}

} // namespace tessaline
