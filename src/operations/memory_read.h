// Reading target memory through the Talker's read-memory command.
#pragma once

#include "link/session.h"

namespace tessaline {

// Up to 64 bytes from `adresse` (four hex digits) as two upper-case hex digits
// per byte. A larger count is cut to 64; a count below 1 reads nothing. Empty
// when the command is not echoed ("Erreur LoadMem", then the Talker check) or
// when a byte does not come (after the time-out report).
QString LoadMem(Session& session, const QString& adresse, int count);
// The same read inside `operation`, whose name the failure gives ("Erreur "
// + operation).
QString LoadMem(Session& session, const QString& adresse, int count, const QString& operation);

// The memory dump of the console: at most 255 bytes from CmdAdresse as dump
// lines in the memory window; CmdAdresse then moves on past the full lines.
void MemDump(Session& session);

// One dump line: the address, the bytes in hex, the bytes as characters.
struct LigneDump {
    QString adresse;    // "FE00 "
    QString octets;     // "41 42 ... " (3 characters a byte, padded for a short line)
    QString caracteres; // one per byte, then CR LF
};
LigneDump ligneDump(int adresse, const QByteArray& octets);

// How a byte shows in the character column: "." below 32, otherwise the
// character of that code in the Windows code page of the memory window.
QChar caractereDump(quint8 octet);

} // namespace tessaline
