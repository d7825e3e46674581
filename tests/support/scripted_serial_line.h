// A serial line whose far end is a script: the test states what the target
// answers to each byte the host sends, and when.
#pragma once

#include "link/serial_line.h"
#include "virtual_clock.h"

#include <QStringList>

#include <deque>
#include <functional>

namespace tessaline::test {

class ScriptedSerialLine : public SerialLine, public VirtualTimeSource {
    Q_OBJECT
public:
    // Answer to each byte the host sends (none by default).
    std::function<QByteArray(quint8)> repondre;
    // Bytes arriving on their own, `apres` seconds from now.
    void injecter(const QByteArray& octets, double apres = 0);

    bool open(const QString& device, const QString& settings) override;
    void close() override { ouvert_ = false; }
    bool isOpen() const override { return ouvert_ && !coupee_; }
    int bytesWaiting() override { return recus_.size(); }
    QByteArray readAll() override;
    void sendByte(quint8 octet) override;
    ErreurExecution lastError() const override { return erreur_; }
    bool coupee() const override { return coupee_; }
    QString refusBasseLatence() const override { return refusLatence; }
    // The far end hangs up, `apres` seconds from now: the line breaks.
    void couper(double apres = 0);

    double secondsToNextEvent() const override;
    void advance(double seconds) override;

    // Opening fails with error 2, "Permission denied", when set.
    bool refuserOuverture = false;
    // What the driver says when asked for low latency (empty: granted).
    QString refusLatence;

    QByteArray envoyes;     // every byte the host sent
    QStringList ouvertures; // "device|settings" of each open

private:
    struct Prevu {
        double quand;
        QByteArray octets;
    };
    bool ouvert_ = false;
    bool coupee_ = false;
    double t_ = 0;
    double coupure_ = -1; // when the far end hangs up; -1: never
    std::deque<Prevu> prevus_;
    QByteArray recus_;
    ErreurExecution erreur_;
};

} // namespace tessaline::test
