#!/usr/bin/env bash
# Installs what is missing; checks the formatting; builds the libraries and
# programs (and the fuzzers) with Clang; then builds everything under AddressSanitizer and
# UndefinedBehaviorSanitizer with warnings as errors and runs every test; last,
# runs each fuzzer (built by the Clang check) for 30 seconds.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/check-format.sh"
"$here/scripts/check-clang.sh"
"$here/scripts/configure.sh" -DTESSALINE_SANITIZE=ON -DTESSALINE_WERROR=ON
cmake --build "$here/build" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$here/build" --output-on-failure -j "$(nproc)"
# Every parser of outside input under libFuzzer, 30 seconds each.
TESSALINE_FUZZ_BUILD="$here/build-clang" "$here/scripts/fuzz.sh" 30
