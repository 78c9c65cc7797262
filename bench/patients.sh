#!/usr/bin/env bash
# Patient file figures: the store's operations against read and write floors measured in
# the same run, on a generated database in a temporary folder (about 500 MB with the
# defaults). Builds nothing: build the target bench_patients first.
# Usage: bench/patients.sh [build dir] [patients] [visits] [big visits] [runs]
#        (default: build, 10000, 20, 1000, 15)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
if [ ! -x "$build/bench/bench_patients" ]; then
    echo "$build/bench/bench_patients is missing: cmake --build $build --target bench_patients" >&2
    exit 1
fi
"$build/bench/bench_patients" "${2:-10000}" "${3:-20}" "${4:-1000}" "${5:-15}"
