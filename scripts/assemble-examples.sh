#!/usr/bin/env bash
# Assembles the example programs examples/*.s with the 68HC11 binutils into S-record
# images linked at the 68HC11F1's EEPROM start ($FE00, examples/eeprom.ld).
#   scripts/assemble-examples.sh OUTDIR      write NAME.s19 for each program into OUTDIR
#   scripts/assemble-examples.sh --update    rewrite the stored examples/NAME.s19
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
examples="$here/examples"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ "${1:-}" = "--update" ]; then
    out="$examples"
elif [ -n "${1:-}" ]; then
    out=$(cd "$1" && pwd)
else
    echo "usage: $0 OUTDIR | --update" >&2
    exit 2
fi

for source in "$examples"/*.s; do
    name=$(basename "$source" .s)
    m68hc11-as -M --short-branches -o "$work/$name.o" "$source"
    m68hc11-ld -T "$examples/eeprom.ld" -o "$work/$name.elf" "$work/$name.o"
    # objcopy names its output file in the S0 header: write it under its final name.
    (cd "$work" && m68hc11-objcopy -O srec "$name.elf" "$name.s19")
    cp "$work/$name.s19" "$out/$name.s19"
done
