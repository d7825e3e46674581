// The trace window's entries: every entry opens with the time of day to the
// millisecond and a TAB, then the writer's own text ending in CR LF.
#pragma once

#include "link/session.h"

namespace tessaline {

inline const QString FinLigne = QStringLiteral("\r\n");
inline const QString Tab = QStringLiteral("\t");

// The entry head: HH:MM:SS.mmm and a TAB, in red, at the time `t` (seconds since
// midnight) that the caller read just before.
void TraceHeure(Session& session, double t);
// The echo area's text as an entry, bold red.
void TraceEcho(Session& session);
// A command's own text as an entry, bold red as TraceEcho writes the echo (for
// commands whose echo cannot hold what they work on: a file and its range).
void TraceCommande(Session& session, const QString& texte);
// "  <==  " and the echo area's text as an entry in blue, then the register line.
void TraceEchoRetour(Session& session);
// The link state as an entry in blue: the "Talker" panel, a TAB, the "Cible" panel.
void TraceEtat(Session& session);

} // namespace tessaline
