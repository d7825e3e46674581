// Adapting the Talker to the board's crystal and the working baud rate.
//
// The Talker image is stored for an 8 MHz crystal at 1200 baud. The BAUD value
// it loads, its EEPROM programming delay and the boot ROM's rate all follow the
// crystal (and the BAUD value the rate too): the values are in the crystal
// table (crystal_table.h).
#pragma once

#include "link/session_state.h"

namespace tessaline {

// Prepares config.TalkerPrepare (the sync byte $FF and the 256 image bytes)
// for config.Quartz and config.Baud, and sets config.BootBaud from the crystal.
// A crystal and rate the Talker cannot run at leave the image as stored (8 MHz,
// 1200 baud) and BootBaud as it was. Records the pair in QuartzTalker and
// BaudTalker.
void AdapteTalker(Configuration& config);

// AdapteTalker when the prepared Talker was made for another crystal or rate
// than the configured ones (or never made).
void AdapteTalkerSiChange(Configuration& config);

} // namespace tessaline
