#!/usr/bin/env bash
# Builds the libraries and programs with Clang, warnings as errors, in
# build-clang/: a second compiler catches what GCC lets pass. The fuzzers are
# built there too.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# The same build carries the libFuzzer targets (instrumented for coverage, with
# ASan and UBSan), so that CI's short fuzzing runs need no second Clang build.
CC=clang CXX=clang++ cmake -S "$here" -B "$here/build-clang" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DTESSALINE_WERROR=ON -DTESSALINE_TESTS=OFF -DTESSALINE_BENCH=OFF -DTESSALINE_FUZZ=ON \
    -DTESSALINE_PCH=OFF >/dev/null
cmake --build "$here/build-clang" -j "$(nproc)"
echo "clang: libraries, programs and fuzzers built without a warning"
