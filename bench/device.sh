#!/usr/bin/env bash
# Device link figures: CPU time per byte through the reading processor (median of 15 runs
# over a simulated stream), then bytes and latency through a pseudo-terminal at the full
# line rate, first for the link alone, then through the main window. Builds nothing: build
# the targets bench_processor, bench_devicelink and bench_window first.
# Usage: bench/device.sh [build dir] [seconds]   (default: build, 30 s)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
seconds=${2:-30}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

for b in bench_devicelink bench_window; do
    if [ ! -x "$build/bench/$b" ]; then
        echo "$build/bench/$b is missing: cmake --build $build --target bench_processor bench_devicelink bench_window" >&2
        exit 1
    fi
done

if [ -x "$build/bench/bench_processor" ]; then
    "$build/bench/bench_processor"
else
    echo "bench_processor skipped: Google Benchmark was not found when the build was configured"
fi
echo
"$build/bench/bench_devicelink" --seconds "$seconds"
echo
"$build/bench/bench_window" --seconds "$seconds"
