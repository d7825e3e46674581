#!/usr/bin/env bash
# Installs what is missing, builds, and runs Tessaline on the simulated board:
# the Talker is downloaded into a simulated 68HC11 (the configured chip and
# crystal), checked, and the start of its EEPROM is dumped. Options such as
# --hardware 68HC11E1 --quartz 16 --baud 9600 go to tessaline-cli.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/configure.sh"
cmake --build "$here/build" -j "$(nproc)"
cli="$here/build/bin/tessaline-cli"
eeprom=$("$cli" "$@" info | sed -n 's/^EEPROM: \([0-9A-F]*\)-.*/\1/p')
exec "$cli" --simulate "$@" info -- load-talker -- test-talker -- dump "${eeprom:-FE00}" 80 -- disassemble 0000
