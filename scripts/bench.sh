#!/usr/bin/env bash
# Builds a release tree without sanitizers in build-release/ and runs the
# benchmarks, printing their figures.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSALINE_TESTS=OFF >/dev/null
cmake --build "$here/build-release" -j "$(nproc)"
for b in "$here"/build-release/bin/*_bench; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b"
done
