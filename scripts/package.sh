#!/usr/bin/env bash
# Builds the Debian package: a Release build of the programs in build-package/
# (no tests) with the distribution's hardening flags (dpkg-buildflags: stack
# protector, fortified functions, read-only relocations bound at start-up), then
# tessaline_<version>_amd64.deb there. Prints its path.
# Install it with: sudo apt-get install ./build-package/tessaline_*.deb
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-package"
"$here/scripts/install-deps.sh"
# The package's dependencies on the Qt libraries come from dpkg-shlibdeps.
command -v dpkg-shlibdeps >/dev/null || { echo "package.sh: dpkg-shlibdeps is missing (dpkg-dev)" >&2; exit 1; }
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
# A fresh configuration, so that the flags are the ones given here.
rm -f "$build/CMakeCache.txt"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSALINE_TESTS=OFF \
    -DTESSALINE_BENCH=OFF -DTESSALINE_WERROR=ON -DCMAKE_CXX_FLAGS="$cxxflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/tessaline_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/tessaline_*.deb
