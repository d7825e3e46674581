#!/usr/bin/env bash
# Installs what is missing, builds what it starts, and starts Tessaline on the
# simulated board (the configured chip and crystal, in real time): the windows
# when there is a display, otherwise a demonstration with the command-line front
# end (download of the Talker, check, dump and disassembly of the EEPROM). On a
# 68HC11F1 (the default chip) the board starts with the example program
# examples/compteur.asm in its EEPROM.
# Arguments go to the program: ./scripts/run.sh --settings /tmp/essai.ini
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/configure.sh"
# Only the programs it starts and the examples they load (built by the
# assembler): the command line, and with a display the windows, whose Compile
# runs the assembler through the compile script. scripts/test.sh builds the
# rest, tests and benchmarks included.
cibles=(tessaline-cli examples)
fenetres=no
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    fenetres=yes
    cibles+=(tessaline tessaline-asm tessaline-compile)
fi
cmake --build "$here/build" -j "$(nproc)" --target "${cibles[@]}"
cli="$here/build/bin/tessaline-cli"
eeprom=$("$cli" "$@" info | sed -n 's/^EEPROM: \([0-9A-F]*\)-.*/\1/p')
exemple=()
if [ "$eeprom" = FE00 ] && [[ " $* " != *" --eeprom "* ]]; then
    exemple=(--eeprom "$here/build/examples/compteur.S19")
fi
if [ $fenetres = yes ]; then
    exec "$here/build/bin/tessaline" --simulate "${exemple[@]}" "$@"
fi
echo "No display: running the command-line demonstration on the simulated board instead." >&2
exec "$cli" --simulate "${exemple[@]}" "$@" info -- load-talker -- test-talker -- dump "${eeprom:-FE00}" 80 \
    -- disassemble "${eeprom:-FE00}"
