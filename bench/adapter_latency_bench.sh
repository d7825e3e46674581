#!/usr/bin/env bash
# What a USB serial adapter's latency timer costs the Talker's exchanges: a
# 255-byte dump at 9600 baud from tessaline-cli to tessaline-sim behind a
# pseudo-terminal, without latency, with the 1 ms a low-latency driver sets and
# with the 16 ms the common adapters start with. Each figure is the median of
# three dumps (the Talker loaded once before), in seconds.
#   bench/adapter_latency_bench.sh BUILD_BIN_DIR
set -euo pipefail
bin=${1:?usage: adapter_latency_bench.sh BUILD_BIN_DIR}
work=$(mktemp -d)
sim_pid=
cleanup() {
    [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# The board's panel reads its standard input until it closes: a pipe held open
# here, with nobody writing.
mkfifo "$work/panneau"
exec 3<>"$work/panneau"

for latence in 0 1 16; do
    options=(--chip 68HC11F1 --link "$work/tty")
    [ "$latence" = 0 ] || options+=(--latency "$latence")
    rm -f "$work/tty"
    "$bin/tessaline-sim" "${options[@]}" <&3 >/dev/null 2>&1 &
    sim_pid=$!
    for _ in $(seq 50); do [ -e "$work/tty" ] && break; sleep 0.1; done
    cli=("$bin/tessaline-cli" --settings "$work/t.ini" --port "$work/tty" --baud 9600 --timeout 50)
    "${cli[@]}" load-talker >/dev/null 2>&1
    temps=()
    for _ in 1 2 3; do
        debut=$(date +%s.%N)
        "${cli[@]}" dump 0000 FF >/dev/null 2>&1
        temps+=("$(echo "$(date +%s.%N) - $debut" | bc)")
    done
    mediane=$(printf '%s\n' "${temps[@]}" | sort -n | sed -n 2p)
    printf 'latency %2s ms: dump of 255 bytes %.2f s (runs: %s)\n' "$latence" "$mediane" "${temps[*]}"
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=
done
