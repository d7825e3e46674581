#!/usr/bin/env bash
# Assembles the CPU test programs tests/sim/programs/*.s into S-record images
# linked at $1000.
#   scripts/assemble-test-programs.sh OUTDIR      write NAME.s19 for each program into OUTDIR
#   scripts/assemble-test-programs.sh --update    rewrite the stored tests/sim/programs/NAME.s19
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 OUTDIR | --update" >&2; exit 2; }
exec "$here/scripts/assemble-sources.sh" "$here/tests/sim/programs" "$here/tests/sim/programs/program.ld" "$1"
