#include "link/tempo.h"

namespace tessaline {

void Tempo(EventClock& horloge, float delai) {
    const double debut = horloge.now();
    for (;;) {
        horloge.processEvents();
        const double passe = ecoule(debut, horloge.now());
        if (passe >= delai || !horloge.applicationAlive()) return;
        horloge.waitForEvents(delai - passe);
    }
}

} // namespace tessaline
