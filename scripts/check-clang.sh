#!/usr/bin/env bash
# Builds the libraries and programs with Clang, warnings as errors, in
# build-clang/: a second compiler catches what GCC lets pass.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -f "$here/build-clang/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$here" -B "$here/build-clang" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DTESSALINE_WERROR=ON -DTESSALINE_TESTS=OFF -DTESSALINE_BENCH=OFF >/dev/null
fi
cmake --build "$here/build-clang" -j "$(nproc)"
echo "clang: libraries and programs built without a warning"
