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
    coupee_ = false;
    coupure_ = -1;
    recus_.clear();
    return true;
}

void ScriptedSerialLine::couper(double apres) {
    coupure_ = t_ + apres;
    advance(0);
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
    double prochain = std::numeric_limits<double>::infinity();
    if (!prevus_.empty()) prochain = prevus_.front().quand;
    if (coupure_ >= 0 && !coupee_) prochain = std::min(prochain, coupure_);
    return std::max(0.0, prochain - t_);
}

void ScriptedSerialLine::advance(double seconds) {
    t_ += seconds;
    if (ouvert_ && !coupee_ && coupure_ >= 0 && coupure_ <= t_ + 1e-12) {
        coupee_ = true;
        recus_.clear();
        erreur_ = {5, QStringLiteral("Input/output error")};
        emit dataArrived();
        return;
    }
    bool arrive = false;
    while (!prevus_.empty() && prevus_.front().quand <= t_ + 1e-12) {
        if (ouvert_) recus_ += prevus_.front().octets;
        prevus_.pop_front();
        arrive = true;
    }
    if (arrive) emit dataArrived();
}

} // namespace tessaline::test
