#!/usr/bin/env bash
# Patient file figures: the store's operations against read and write floors measured in
# the same run, on a generated database in a temporary folder (about 500 MB with the
# defaults); then the patient list window: opening, choosing, memory; then a keystroke in
# its find line on 30,000 patients.
# Builds nothing: build the targets bench_patients, bench_patientwin and bench_namefilter first.
# Usage: bench/patients.sh [build dir] [patients] [visits] [big visits] [runs]
#        (default: build, 10000, 20, 1000, 15)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
for b in bench_patients bench_patientwin bench_namefilter; do
    if [ ! -x "$build/bench/$b" ]; then
        echo "$build/bench/$b is missing: cmake --build $build --target bench_patients bench_patientwin bench_namefilter" >&2
        exit 1
    fi
done
"$build/bench/bench_patients" "${2:-10000}" "${3:-20}" "${4:-1000}" "${5:-15}"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/bench_patientwin" "${2:-10000}" "${3:-20}" "${5:-15}"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/bench_namefilter" 30000 "${5:-15}"
