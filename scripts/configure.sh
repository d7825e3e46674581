#!/usr/bin/env bash
# Configures build/ once with the given CMake options; later runs keep the
# existing configuration unless options are given again.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -f "$here/build/CMakeCache.txt" ] || [ $# -gt 0 ]; then
    cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
fi
