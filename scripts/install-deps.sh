#!/usr/bin/env bash
# Installs the Debian packages Tessaline needs to build, test and run, when
# they are missing. Safe to run again: it does nothing when all are present.
set -euo pipefail

packages=(
    build-essential dpkg-dev cmake ninja-build ccache clang clang-format
    # Clang's sanitizer and libFuzzer runtimes, which clang only recommends.
    libclang-rt-14-dev
    qt6-base-dev qt6-serialport-dev
    libgtest-dev libbenchmark-dev
    # TOML, the language of tessaline-lab's check files.
    libtomlplusplus-dev
    # Only the BinutilsOracle test uses the 68HC11 binutils (it compares our
    # assembler's bytes with theirs, and skips without them); the build and the
    # package need none.
    binutils-m68hc1x
    srecord
    qt6-translations-l10n fonts-liberation2 fonts-dejavu-core
    xvfb xauth imagemagick x11-utils poppler-utils
    # pidstat, for the benchmark of the windows at rest.
    sysstat
    # A window manager and a way to drive it, for the test of the main
    # window's place across restarts.
    openbox xdotool
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Please install as root: ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
