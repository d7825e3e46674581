#!/usr/bin/env bash
# Assembles the example programs examples/*.s into S-record images linked at the
# 68HC11F1's EEPROM start ($FE00, examples/eeprom.ld).
#   scripts/assemble-examples.sh OUTDIR      write NAME.s19 for each program into OUTDIR
#   scripts/assemble-examples.sh --update    rewrite the stored examples/NAME.s19
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 OUTDIR | --update" >&2; exit 2; }
exec "$here/scripts/assemble-sources.sh" "$here/examples" "$here/examples/eeprom.ld" "$1"
