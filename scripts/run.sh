#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tessaline on the simulated board
# (the configured chip and crystal, in real time): the windows when there is a
# display, otherwise a demonstration with the command-line front end (download
# of the Talker, check, dump of the EEPROM, disassembly).
# Arguments go to the program: ./scripts/run.sh --settings /tmp/essai.ini
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/configure.sh"
cmake --build "$here/build" -j "$(nproc)"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$here/build/bin/tessaline" --simulate "$@"
fi
echo "No display: running the command-line demonstration on the simulated board instead." >&2
cli="$here/build/bin/tessaline-cli"
eeprom=$("$cli" "$@" info | sed -n 's/^EEPROM: \([0-9A-F]*\)-.*/\1/p')
exec "$cli" --simulate "$@" info -- load-talker -- test-talker -- dump "${eeprom:-FE00}" 80 -- disassemble 0000
