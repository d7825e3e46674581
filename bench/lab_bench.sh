#!/usr/bin/env bash
# A class of 300 submissions of the LED chaser lab (examples/labs/chenillard), checked
# by tessaline-lab on every core: the wall time, the submissions per second, and the
# report's tally. The 300 are variants of the lab's three submissions: the OC2 period
# (right, or off by 1 % to 50 %), the main loop feeding the COP or not, and a few
# instructions of padding, so that no two are the same program.
# usage: lab_bench.sh BUILD_BIN_DIR [JOBS]
set -euo pipefail
bin=${1:?usage: lab_bench.sh BUILD_BIN_DIR [JOBS]}
jobs=${2:-$(nproc)}
here=$(cd "$(dirname "$0")/.." && pwd)
lab="$here/examples/labs/chenillard"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/classe"
periods=(50000 50000 50000 25000 49500 55000 75000)
for i in $(seq 0 299); do
    period=${periods[$((i % ${#periods[@]}))]}
    source="$lab/submissions/bon.asm"
    [ $((i % 5)) -eq 4 ] && source="$lab/submissions/sans_cop.asm"
    pad=$((i % 13))
    nops=$(printf ' NOP\\n%.0s' $(seq 1 "$pad"))
    sed -e "s/ADDD    #50000/ADDD    #$period/" -e "s/^        CLI$/        CLI\\n${nops}/" "$source" \
        >"$work/classe/eleve$(printf '%03d' "$i").asm"
done
start=$(date +%s.%N)
status=0
"$bin/tessaline-lab" "$lab/lab.toml" "$work/classe" --jobs "$jobs" --csv "$work/r.csv" >"$work/report" || status=$?
end=$(date +%s.%N)
[ "$status" -le 1 ] || { cat "$work/report" >&2; echo "lab_bench: tessaline-lab failed ($status)" >&2; exit 1; }
count=$(ls "$work/classe" | wc -l)
cases=$(($(wc -l <"$work/r.csv") - 1))
awk -v s="$start" -v e="$end" -v n="$count" -v c="$cases" -v j="$jobs" 'BEGIN {
    t = e - s
    printf "lab_bench: %d submissions, %d cases, %d jobs: %.2f s, %.1f submissions/s\n", n, c, j, t, n / t
}'
tail -n 1 "$work/report"
