#include "scripted_serial_line.h"

#include <algorithm>
#include <limits>

namespace tessaline::test {

void ScriptedSerialLine::injecter(const QByteArray& octets, double apres) {
    prevus_.push_back({t_ + apres, octets});
    std::stable_sort(prevus_.begin(), prevus_.end(),
                     [](const Prevu& a, const Prevu& b) { return a.quand < b.quand; });
    if (apres <= 0) advance(0);
}

bool ScriptedSerialLine::open(const QString& device, const QString& settings) {
    ouvertures << device + u'|' + settings;
    if (refuserOuverture) {
        erreur_ = {2, QStringLiteral("Permission denied")};
        ouvert_ = false;
        return false;
    }
    erreur_ = {};
    ouvert_ = true;
    recus_.clear();
    return true;
}

QByteArray ScriptedSerialLine::readAll() {
    QByteArray r = recus_;
    recus_.clear();
    return r;
}

void ScriptedSerialLine::sendByte(quint8 octet) {
    envoyes.append(static_cast<char>(octet));
    if (!repondre) return;
    const QByteArray reponse = repondre(octet);
    if (!reponse.isEmpty()) injecter(reponse, 0.001); // a millisecond later
}

double ScriptedSerialLine::secondsToNextEvent() const {
    if (prevus_.empty()) return std::numeric_limits<double>::infinity();
    return std::max(0.0, prevus_.front().quand - t_);
}

void ScriptedSerialLine::advance(double seconds) {
    t_ += seconds;
    bool arrive = false;
    while (!prevus_.empty() && prevus_.front().quand <= t_ + 1e-12) {
        if (ouvert_) recus_ += prevus_.front().octets;
        prevus_.pop_front();
        arrive = true;
    }
    if (arrive) emit dataArrived();
}

} // namespace tessaline::test
