#!/usr/bin/env bash
# Chart figures: the visit chart and the trend of a card of 1,000 visits against reading
# the card, and the memory the chart window adds. Builds nothing: build bench_charts first.
# Usage: bench/charts.sh [build dir] [visits] [runs]   (default: build, 1000, 15)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
if [ ! -x "$build/bench/bench_charts" ]; then
    echo "$build/bench/bench_charts is missing: cmake --build $build --target bench_charts" >&2
    exit 1
fi
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/bench_charts" "${2:-1000}" "${3:-15}"
