#!/usr/bin/env bash
# Assembles every DIR/*.s with the 68HC11 binutils (MRI syntax) and links it with
# LDSCRIPT into an S-record image NAME.s19.
#   scripts/assemble-sources.sh DIR LDSCRIPT OUTDIR      write the images into OUTDIR
#   scripts/assemble-sources.sh DIR LDSCRIPT --update    rewrite the stored DIR/NAME.s19
set -euo pipefail
if [ $# -ne 3 ]; then
    echo "usage: $0 DIR LDSCRIPT OUTDIR|--update" >&2
    exit 2
fi
sources=$(cd "$1" && pwd)
ldscript=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ "$3" = "--update" ]; then
    out="$sources"
else
    out=$(cd "$3" && pwd)
fi

for source in "$sources"/*.s; do
    name=$(basename "$source" .s)
    m68hc11-as -M --short-branches -o "$work/$name.o" "$source"
    # A flat image in one segment is readable, writable and executable by design.
    m68hc11-ld --no-warn-rwx-segments -T "$ldscript" -o "$work/$name.elf" "$work/$name.o"
    # objcopy names its output file in the S0 header: write it under its final name.
    (cd "$work" && m68hc11-objcopy -O srec "$name.elf" "$name.s19")
    cp "$work/$name.s19" "$out/$name.s19"
done
