#include "link/session.h"

#include "link/serial_port.h"

namespace tessaline {

Session::Session(SerialLine& ligne, EventClock& horloge, Screen& ecran)
    : profils(profilsIntegres())
    , ligne_(ligne)
    , horloge_(horloge)
    , ecran_(ecran)
    , surveillance_(std::make_unique<LinkWatch>(*this)) {}

Session::~Session() = default;

void Session::demanderAbandon() {
    liaison.abandon = true;
    horloge_.wake();
}

void Session::demanderInterruption() {
    liaison.interruption = true;
    horloge_.wake();
}

void Session::demanderAnnulation() {
    liaison.annulation = true;
    horloge_.wake();
}

} // namespace tessaline
