#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tessaline on the simulated board.
# Extra arguments go to the program.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/configure.sh"
cmake --build "$here/build" -j "$(nproc)"
exec "$here/build/bin/tessaline-cli" "$@" info
