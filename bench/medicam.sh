#!/usr/bin/env bash
# Medication editor figures: opening a file of every point with 50 medications each and
# leaving after one addition, against reading and writing the same bytes (atomic write).
# Builds nothing: build the target bench_medicam first.
# Usage: bench/medicam.sh [build dir] [runs]   (default: build, 21 runs)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
if [ ! -x "$build/bench/bench_medicam" ]; then
    echo "$build/bench/bench_medicam is missing: cmake --build $build --target bench_medicam" >&2
    exit 1
fi
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/bench_medicam" "${2:-21}"
