#!/usr/bin/env bash
# CPU used by the windows on the simulated board at rest: tessaline --simulate
# starts (under Xvfb when xvfb-run is there, else on the offscreen platform),
# loads the Talker, settles, and pidstat measures its CPU over 30 s.
# usage: idle_bench.sh BUILD_BIN_DIR [SECONDS]
set -euo pipefail
bin=${1:?usage: idle_bench.sh BUILD_BIN_DIR [SECONDS]}
seconds=${2:-30}
command -v pidstat >/dev/null || { echo "idle_bench: pidstat missing (Debian package sysstat)" >&2; exit 1; }
work=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
# A first start: no rate stored, the example program in the EEPROM.
printf '[Config]\nTimeout=20\n' >"$work/t.ini"
here=$(cd "$(dirname "$0")/.." && pwd)
run=("$bin/tessaline" --simulate --eeprom "$here/examples/compteur.s19" --settings "$work/t.ini" --load-talker)
if command -v xvfb-run >/dev/null && command -v xauth >/dev/null; then
    platform=Xvfb
    xvfb-run -a -s "-screen 0 1366x900x24" "${run[@]}" >"$work/out" 2>"$work/err" &
else
    platform=offscreen
    QT_QPA_PLATFORM=offscreen "${run[@]}" >"$work/out" 2>"$work/err" &
fi
runner=$!
for _ in $(seq 1 600); do
    grep -q '^talker' "$work/out" 2>/dev/null && break
    sleep 0.1
done
if ! grep -q '^talker loaded' "$work/out"; then
    echo "idle_bench: the Talker did not load: $(cat "$work/out" "$work/err")" >&2
    kill "$runner" 2>/dev/null || true
    exit 1
fi
pid=$(pgrep -n -f -- "$bin/tessaline --simulate" || true)
[ -n "$pid" ] || { echo "idle_bench: tessaline is not running" >&2; exit 1; }
sleep 3 # the start-up's last timers run out
cpu=$(LC_ALL=C pidstat -u -p "$pid" "$seconds" 1 | awk '/^Average:/ && $0 !~ /%CPU/ { print $(NF-2) }')
printf 'tessaline --simulate (%s), Talker loaded, at rest: %s %% of a core over %s s\n' "$platform" "$cpu" "$seconds"
