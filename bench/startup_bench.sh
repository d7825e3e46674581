#!/usr/bin/env bash
# Time from process start to the main window ready (start-up sequence done) on
# the simulated board, offscreen, median of 5 runs. The Talker check at start-up
# waits for its time-out when no Talker runs: the settings give it 0.1 s.
set -euo pipefail
bin=${1:?usage: startup_bench.sh BUILD_BIN_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '[Config]\nTimeout=1\n' >"$work/t.ini"
times=()
for i in 1 2 3 4 5; do
    start=$(date +%s.%N)
    QT_QPA_PLATFORM=offscreen "$bin/tessaline" --simulate --settings "$work/t.ini" --quit-when-ready >/dev/null 2>&1
    end=$(date +%s.%N)
    times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')")
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
printf 'start-up to ready on the simulated board: median %.3f s of 5 runs (%s), including the 0.1 s Talker check\n' \
    "$median" "$(printf '%.3f ' "${times[@]}")"
