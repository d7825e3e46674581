#!/usr/bin/env bash
# Builds a release tree without sanitizers in build-release/ and runs the
# benchmarks, printing their figures.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSALINE_TESTS=OFF >/dev/null
cmake --build "$here/build-release" -j "$(nproc)"
bin="$here/build-release/bin"

for b in link_bench cpu_bench board_history_bench disasm_bench serial_path_bench step_bench eeprom_programming_bench watch_bench breakpoint_bench; do
    echo "== $b"
    "$bin/$b"
done

# The simulated board on a CPU-bound program (bench/cpu_mix.asm, assembled by the
# build), headless, in virtual time.
echo "== tessaline-sim --run (CPU-bound mix, 68HC11F1)"
for i in 1 2 3; do
    "$bin/tessaline-sim" --run "$here/build-release/bench/cpu_mix.S19" --chip 68HC11F1 --max-cycles 3000000000 |
        tail -n 2
done

# The same mix with the main timer's interrupts on (OC2 every 1000 E cycles, RTI).
echo "== tessaline-sim --run (the mix with timer interrupts, 68HC11F1)"
for i in 1 2 3; do
    "$bin/tessaline-sim" --run "$here/build-release/bench/timer_mix.S19" --chip 68HC11F1 \
        --max-cycles 3000000000 | tail -n 2
done

# The LED chaser example as stored: a main loop feeding the COP, an OC2 interrupt every
# 50,000 E cycles and a port B write every eighth.
echo "== tessaline-sim --run (examples/chenillard.s19, the LED chaser, 68HC11F1)"
for i in 1 2 3; do
    "$bin/tessaline-sim" --run "$here/examples/chenillard.s19" --chip 68HC11F1 --max-cycles 3000000000 | tail -n 2
done

echo "== tessaline-lab: a class of 300 chaser submissions"
"$here/bench/lab_bench.sh" "$bin"

echo "== compile_bench"
QT_QPA_PLATFORM=offscreen "$bin/compile_bench"

echo "== start-up of the windows"
"$here/bench/startup_bench.sh" "$bin"
"$here/bench/dead_board_bench.sh" "$bin"
echo "== a USB adapter's latency timer (tessaline-sim --latency)"
"$here/bench/adapter_latency_bench.sh" "$bin"
echo "== the windows at rest on the simulated board, Talker loaded"
"$here/bench/idle_bench.sh" "$bin"
if [ -x "$bin/trace_append_bench" ]; then
    echo "== trace_append_bench"
    QT_QPA_PLATFORM=offscreen "$bin/trace_append_bench"
fi
