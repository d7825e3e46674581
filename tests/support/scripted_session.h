// A session over a scripted target, in virtual time.
#pragma once

#include "link/session.h"
#include "recording_screen.h"
#include "scripted_serial_line.h"
#include "virtual_clock.h"

namespace tessaline::test {

struct ScriptedSession {
    ScriptedSerialLine ligne;
    VirtualClock horloge;
    RecordingScreen ecran;
    Session session{ligne, horloge, ecran};

    // The line opened with `parametres` (left closed when null).
    explicit ScriptedSession(const char* parametres = "1200,N,8,1", double debut = 10 * 3600.0)
        : horloge(debut) {
        horloge.addSource(&ligne);
        if (parametres) ligne.open(QStringLiteral("/dev/scripted"), QLatin1String(parametres));
    }
};

} // namespace tessaline::test
