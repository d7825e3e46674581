// The delay that every wait on the target is built from.
#pragma once

#include "link/event_clock.h"

namespace tessaline {

// Returns once `delai` seconds have passed on the clock, processing window events
// meanwhile (sleeping between them). A delay of 0 processes pending events once.
// Gives up early when the application's last window has closed.
void Tempo(EventClock& horloge, float delai);

} // namespace tessaline
