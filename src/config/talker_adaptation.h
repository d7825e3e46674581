// Adapting the Talker to the board's crystal and the working baud rate.
//
// The Talker image is stored for an 8 MHz crystal at 1200 baud. The SCI rate
// is E/(16 x prescaler x 2^SCR) with E = crystal / 4 (M68HC11 RM 9-8,
// MC68HC11A8 TD tables 5-1/5-2), so the BAUD value the Talker loads depends on
// both. The EEPROM programming delay is a loop count that must last 10 ms at
// any E clock (MC68HC11A8 TD 3-6), so it scales with the crystal. The boot ROM
// listens at E/(16 x 13 x 8): 1200 baud at 8 MHz, proportionally at the others.
#pragma once

#include "link/session_state.h"

#include <QString>
#include <QVector>

namespace tessaline {

// The working rates the Talker can run at with `quartz` ("2", "4", "8" or
// "16", in MHz), ascending; empty for any other text. The options dialog
// offers exactly these.
QVector<int> ratesPourQuartz(const QString& quartz);

// Prepares config.TalkerPrepare (the sync byte $FF and the 256 image bytes)
// for config.Quartz and config.Baud, and sets config.BootBaud from the crystal.
// A crystal and rate the Talker cannot run at leave the image as stored (8 MHz,
// 1200 baud) and BootBaud as it was.
void AdapteTalker(Configuration& config);

} // namespace tessaline
