#!/usr/bin/env bash
# Builds the fuzzers with Clang in build-fuzz/ and runs each for SECONDS
# (default 30) on a scratch copy of its seed corpus (fuzz/corpus/<target>/; the
# tree's corpus never grows). Prints each target's executions, speed and
# coverage; fails when a target crashes, leaks or times out.
#   scripts/fuzz.sh [SECONDS] [TARGET...]   targets: s19 srecord hex disasm settings asm cli panel lab
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(s19 srecord hex disasm settings asm cli panel lab)

# TESSALINE_FUZZ_BUILD: an existing Clang build configured with -DTESSALINE_FUZZ=ON
# (CI uses the Clang check's); by default build-fuzz/, optimised for long runs.
build="${TESSALINE_FUZZ_BUILD:-$here/build-fuzz}"
if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTESSALINE_FUZZ=ON -DTESSALINE_WERROR=ON -DTESSALINE_TESTS=OFF -DTESSALINE_BENCH=OFF >/dev/null
fi
# Runs of this script for different targets may share the build directory.
flock "$build" cmake --build "$build" --target tessaline_fuzzers -j "$(nproc)"

# Longest input per target: whole files for the file readers and the
# assembler, a line or an argument vector for the others.
max_len() {
    case $1 in
    s19 | srecord | asm | settings | lab) echo 65536 ;;
    *) echo 4096 ;;
    esac
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export QT_QPA_PLATFORM=offscreen
failed=()
for t in "${targets[@]}"; do
    [ -x "$build/bin/${t}_fuzzer" ] || { echo "fuzz: no target $t" >&2; exit 2; }
    mkdir -p "$scratch/$t/corpus" "$scratch/$t/artifacts"
    cp "$here/fuzz/corpus/$t/"* "$scratch/$t/corpus/"
    # The example programs seed the file readers and the assembler too.
    case $t in
    s19 | srecord) cp "$here"/examples/*.s19 "$scratch/$t/corpus/" ;;
    asm) cp "$here"/examples/*.asm "$scratch/$t/corpus/" ;;
    esac
    dict=()
    [ -f "$here/fuzz/dict/$t.dict" ] && dict=("-dict=$here/fuzz/dict/$t.dict")
    status=0
    (cd "$scratch/$t" && "$build/bin/${t}_fuzzer" -max_total_time="$seconds" -max_len="$(max_len "$t")" \
        -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 -artifact_prefix="$scratch/$t/artifacts/" \
        "${dict[@]}" corpus >"$scratch/$t/log" 2>&1) || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$scratch/$t/log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$scratch/$t/log")
    cov=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$scratch/$t/log" | tail -n 1)
    printf '%-9s %10s runs %7s exec/s  %s\n' "$t" "${runs:-?}" "${speed:-?}" "${cov:-cov: ? ft: ?}"
    if [ "$status" -ne 0 ]; then
        failed+=("$t")
        mkdir -p "$here/build-fuzz/findings/$t"
        cp "$scratch/$t/artifacts/"* "$here/build-fuzz/findings/$t/" 2>/dev/null || true
        tail -n 60 "$scratch/$t/log" >&2
        echo "fuzz: $t failed; its input is in build-fuzz/findings/$t/" >&2
    fi
done
[ ${#failed[@]} -eq 0 ] || { echo "fuzz: failed: ${failed[*]}" >&2; exit 1; }
echo "fuzz: ${#targets[@]} targets, ${seconds} s each, nothing found"
