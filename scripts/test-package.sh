#!/usr/bin/env bash
# Checks the Debian package with lintian (installed from Debian when missing),
# which must report no error and no warning; installs it on this machine, runs
# the programs from the installed paths, reads the manual pages and the bash
# completion, then removes and purges it and checks that nothing is left.
# Needs root, apt-get and a package not yet installed; the machine is left as
# it was found (the package is purged on any failure too). Not part of ctest.
#   scripts/test-package.sh [PACKAGE.deb]   (default: built by scripts/package.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
[ "$(id -u)" -eq 0 ] || { echo "test-package.sh: run as root (it installs and removes the package)" >&2; exit 2; }
if dpkg-query -W -f='${Status}' tessaline 2>/dev/null | grep -q "ok installed"; then
    echo "test-package.sh: tessaline is already installed; remove it first" >&2
    exit 2
fi
deb=${1:-}
[ -n "$deb" ] || deb=$("$here/scripts/package.sh" | tail -n 1)
deb=$(realpath "$deb")
version=$(dpkg-deb -f "$deb" Version)

work=$(mktemp -d)
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME"
installed=no
cleanup() {
    if [ "$installed" = yes ]; then apt-get remove --purge -y -qq tessaline >/dev/null 2>&1 || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "test-package.sh: FAIL: $*" >&2
    exit 1
}
now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b - a }'; }
packages() { dpkg-query -W -f='${Package} ${Status}\n' | grep " installed$" | cut -d' ' -f1 | sort; }

export DEBIAN_FRONTEND=noninteractive
# lintian: every tag shown, errors and warnings fail.
if ! command -v lintian >/dev/null; then
    apt-get update -qq && apt-get install -y -qq lintian >/dev/null || fail "cannot install lintian"
fi
lintian --pedantic --display-info --display-experimental --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log" >&2; fail "lintian"; }

packages >"$work/before"
start=$(now)
installed=yes
# No recommends: the check below wants exactly one more package.
apt-get install -y -qq --no-install-recommends "$deb" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log" >&2; fail "apt-get install"; }
install_time=$(seconds "$start" "$(now)")
packages >"$work/after"
extra=$(comm -13 "$work/before" "$work/after" | tr '\n' ' ')
[ "$extra" = "tessaline " ] || fail "installing pulled in other packages: $extra"
# The files (not the folders, which other packages share) it installed.
dpkg -L tessaline | while read -r path; do [ -d "$path" ] || echo "$path"; done >"$work/files"

# Every program answers --version from /usr/bin.
for p in tessaline tessaline-cli tessaline-sim tessaline-asm tessaline-lab; do
    out=$(env -u DISPLAY -u QT_QPA_PLATFORM "/usr/bin/$p" --version) || fail "$p --version"
    [ "$out" = "$p $version" ] || fail "$p --version printed '$out'"
done

# Each manual page in step with its program's --help, the completion offering
# every command; and man shows tessaline-cli's commands.
bash "$here/tests/install/manual_pages_test.sh" /usr/bin /usr/share/man/man1 \
    /usr/share/bash-completion/completions/tessaline-cli >/dev/null || fail "manual pages or completion"
page=$(MANWIDTH=100 man tessaline-cli 2>/dev/null | col -b) || fail "man tessaline-cli"
for c in $(/usr/bin/tessaline-cli --help | sed -n '/^commands:/,$p' | grep -E '^  [a-z]' | awk '{ print $1 }'); do
    grep -qE "^ +$c( |$)" <<<"$page" || fail "man tessaline-cli does not show the command $c"
done
[ -x /usr/lib/tessaline/tessaline-compile ] || fail "tessaline-compile is not in /usr/lib/tessaline"

# The command line on the simulated board, the EEPROM preloaded with the
# installed example: the dump shows its first bytes.
ini="$work/t.ini"
printf '[Config]\nHardWare=68HC11F1\nQuartz=8\nBaud=9600\n' >"$ini"
dump=$(timeout 60 /usr/bin/tessaline-cli --settings "$ini" --simulate --eeprom /usr/share/tessaline/examples/compteur.s19 \
    load-talker -- dump FE00 10 2>"$work/cli.err") || { cat "$work/cli.err" >&2; fail "tessaline-cli dump"; }
grep -q "^FE00 0E 7F 01 00 7F 01 01 BD FE 15 85 01 26 03 7C 01 " <<<"$dump" || fail "dump: $dump"

# The compile command with the configured defaults: the installed assembler,
# found beside the program, and compile script, in /usr/lib/tessaline.
cp /usr/share/tessaline/examples/compteur.asm "$work/"
timeout 60 /usr/bin/tessaline-cli --settings "$ini" assemble "$work/compteur.asm" >"$work/asm.out" 2>&1 ||
    { cat "$work/asm.out" >&2; fail "tessaline-cli assemble"; }
for f in S19 LST SYM; do [ -s "$work/compteur.$f" ] || fail "assemble left no compteur.$f"; done

# The windows on a virtual X display (the xcb platform plugin of the
# dependencies), with a fresh home: they start and report ready.
start=$(now)
ready=$(env -u QT_QPA_PLATFORM timeout 60 xvfb-run -a /usr/bin/tessaline --simulate --quit-when-ready 2>"$work/gui.err") ||
    { cat "$work/gui.err" >&2; fail "tessaline --simulate under xvfb"; }
[ "$ready" = "ready" ] || fail "tessaline printed '$ready'"
gui_time=$(seconds "$start" "$(now)")

start=$(now)
apt-get remove --purge -y -qq tessaline >"$work/remove.log" 2>&1 || { cat "$work/remove.log" >&2; fail "apt-get remove"; }
installed=no
remove_time=$(seconds "$start" "$(now)")
left=0
while read -r path; do
    if [ -e "$path" ] || [ -L "$path" ]; then
        echo "left behind: $path" >&2
        left=$((left + 1))
    fi
done <"$work/files"
[ "$left" -eq 0 ] || fail "$left installed files left after the purge"
[ ! -e /usr/share/tessaline ] || fail "/usr/share/tessaline left after the purge"
packages >"$work/end"
cmp -s "$work/before" "$work/end" || fail "the installed packages differ from before: $(diff "$work/before" "$work/end" | tr '\n' ' ')"

echo "lintian: $(grep -c '^[A-Z]: ' "$work/lintian.log") tags, none an error or a warning"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes, installed size $(dpkg-deb -f "$deb" Installed-Size) KiB"
echo "depends: $(dpkg-deb -f "$deb" Depends)"
echo "install: ${install_time} s, remove and purge: ${remove_time} s, windows up and down: ${gui_time} s"
echo "installed files:"
sed "s|^|  |" "$work/files"
echo "1 passed, 0 failed"
