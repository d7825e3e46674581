#include "cli/cli_interruption.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace tessaline {

namespace {

volatile std::sig_atomic_t signalNote = 0;
// Written by the handler, read by the notifier; -1 while no catcher lives.
int tubeEcriture = -1;
int tubeLecture = -1;

extern "C" void noterSignal(int numero) {
    signalNote = numero;
    if (tubeEcriture >= 0) {
        const char octet = 1;
        // Nothing to do if the pipe is full: one byte already wakes the loop.
        [[maybe_unused]] const ssize_t n = write(tubeEcriture, &octet, 1);
    }
}

void installer(void (*gestionnaire)(int)) {
    struct sigaction action {};
    action.sa_handler = gestionnaire;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

SignauxInterruption::SignauxInterruption() {
    int tube[2];
    if (pipe2(tube, O_CLOEXEC | O_NONBLOCK) == 0) {
        tubeLecture = tube[0];
        tubeEcriture = tube[1];
        notificateur_ = std::make_unique<QSocketNotifier>(tubeLecture, QSocketNotifier::Read);
        // Only wakes the loop; the clock below reads the signal.
        connect(notificateur_.get(), &QSocketNotifier::activated, this, [] {
            char tampon[16];
            while (read(tubeLecture, tampon, sizeof tampon) > 0) {
            }
        });
    }
    signalNote = 0;
    installer(noterSignal);
}

SignauxInterruption::~SignauxInterruption() {
    installer(SIG_DFL);
    notificateur_.reset();
    if (tubeLecture >= 0) {
        close(tubeLecture);
        close(tubeEcriture);
    }
    tubeLecture = tubeEcriture = -1;
}

int SignauxInterruption::signalRecu() {
    return signalNote;
}

void transmettreSignal(Session& session) {
    if (session.liaison.attenteArret)
        session.demanderAnnulation();
    else
        session.demanderInterruption();
}

HorlogeInterruptible::HorlogeInterruptible(EventClock& interne, std::function<void()> surSignal)
    : interne_(interne)
    , surSignal_(std::move(surSignal)) {}

void HorlogeInterruptible::processEvents() {
    interne_.processEvents();
    transmettre();
}

void HorlogeInterruptible::waitForEvents(double maxSeconds) {
    interne_.waitForEvents(maxSeconds);
    transmettre();
}

void HorlogeInterruptible::transmettre() {
    if (transmis_ || SignauxInterruption::signalRecu() == 0) return;
    transmis_ = true;
    if (surSignal_) surSignal_();
}

} // namespace tessaline
