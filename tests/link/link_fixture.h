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

    explicit ScriptedSession(double debut = 10 * 3600.0)
        : horloge(debut) {
        horloge.addSource(&ligne);
        ligne.open(QStringLiteral("/dev/scripted"), QStringLiteral("1200,N,8,1"));
    }
};

} // namespace tessaline::test
