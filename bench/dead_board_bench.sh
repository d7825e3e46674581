#!/usr/bin/env bash
# How long tessaline-cli takes to notice a dead board, at the default settings
# (1200 baud, 200-s time-out): tessaline-sim behind a pseudo-terminal is killed
# (its end of the terminal closes: the host sees a hang-up) or frozen (SIGSTOP:
# the terminal stays, nothing answers, as a board switched off behind a real
# RS-232 port) in the middle of a dump, an EEPROM programming, a run of single
# steps, and a run followed by a stop. Each figure is the time from the board's
# death to the command line's exit, with its exit status.
#   bench/dead_board_bench.sh BUILD_BIN_DIR [killed|frozen ...]
set -euo pipefail
bin=${1:?usage: dead_board_bench.sh BUILD_BIN_DIR [killed|frozen ...]}
shift
modes=("$@")
[ ${#modes[@]} -gt 0 ] || modes=(killed frozen)
here=$(cd "$(dirname "$0")/.." && pwd)
examples="$here/examples"
# A case that takes longer than this is cut short and shown as "> LIMIT s".
limit=${DEAD_BOARD_LIMIT:-600}
work=$(mktemp -d)
sim_pid=
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill -CONT "$sim_pid" 2>/dev/null || true
        kill -KILL "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

now() { date +%s.%N; }

# run_case MODE NAME MARKER DELAY CLI-ARGS...: starts the board and the command
# line, waits for MARKER on the command line's standard error, then DELAY
# seconds, kills or freezes the board, and times the command line's end.
run_case() {
    local mode=$1 name=$2 marker=$3 delay=$4
    shift 4
    rm -f "$work"/sim.out "$work"/cli.err "$work"/t.ini
    mkfifo "$work/sim.in" 2>/dev/null || true
    "$bin/tessaline-sim" --chip 68HC11F1 --eeprom "$examples/compteur.s19" <"$work/sim.in" >"$work/sim.out" 2>/dev/null &
    sim_pid=$!
    disown "$sim_pid" # its death is the point: no job report for it
    exec 7>"$work/sim.in" # the simulator runs until its standard input closes
    local pts=
    for _ in $(seq 100); do
        pts=$(head -n 1 "$work/sim.out" 2>/dev/null || true)
        [ -n "$pts" ] && break
        sleep 0.05
    done
    TESSALINE_COM2=$pts timeout "$limit" "$bin/tessaline-cli" --settings "$work/t.ini" "$@" \
        >/dev/null 2>"$work/cli.err" &
    local cli_pid=$!
    until grep -q "$marker" "$work/cli.err" 2>/dev/null; do
        if ! kill -0 "$cli_pid" 2>/dev/null; then
            echo "$name ($mode): the command line ended before \"$marker\":" >&2
            tail -n 5 "$work/cli.err" >&2
            kill -KILL "$sim_pid" 2>/dev/null || true
            sim_pid=
            exec 7>&-
            return 0
        fi
        sleep 0.02
    done
    sleep "$delay"
    local start
    start=$(now)
    if [ "$mode" = killed ]; then kill -KILL "$sim_pid"; else kill -STOP "$sim_pid"; fi
    local status=0
    wait "$cli_pid" || status=$?
    local end
    end=$(now)
    kill -CONT "$sim_pid" 2>/dev/null || true
    kill -KILL "$sim_pid" 2>/dev/null || true
    while kill -0 "$sim_pid" 2>/dev/null; do sleep 0.02; done
    sim_pid=
    exec 7>&-
    local seconds
    seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }')
    if [ "$status" = 124 ]; then seconds="> $limit"; fi
    printf '%-10s %-8s %8s s  exit %s\n' "$name" "$mode" "$seconds" "$status"
}

echo "== time from a dead board to the end of tessaline-cli ($bin), default settings"
for mode in "${modes[@]}"; do
    # 255 bytes and their handshakes: over 4 s on the wire at 1200 baud.
    run_case "$mode" dump $'\tMemDump' 0.5 load-talker -- dump 0000 FF
    # 167 bytes, each written, programmed and read back.
    run_case "$mode" program $'\tLoad chenillard' 1.0 load-talker -- program "$examples/chenillard.s19"
    run_case "$mode" step $'\tStep' 0.3 load-talker -- step 50
    # The board dies while the program runs; Stop follows the wait.
    run_case "$mode" run+stop $'\tRun' 0.2 load-talker -- run FE00 -- wait 500 -- stop
done
