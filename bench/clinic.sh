#!/usr/bin/env bash
# The database store beside the folder store, side by side in one run (bench_clinic): a
# PostgreSQL server of its own in a temporary folder (tools/pgserver.sh), filled by
# taven-clinicgen with COPY (100,000 patients of 3 visits and one of 1,000), against a folder
# of 30,000 patients of 3 visits and one of 1,000 that bench_clinic generates. The server is
# stopped and removed whatever happens. Takes about three minutes; builds nothing: build the
# targets bench_clinic and taven-clinicgen first.
# Usage: bench/clinic.sh [build dir] [runs] [patients] [folder patients]
#        (default: build, 15, 100000, 30000)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
for b in bench/bench_clinic tools/clinicgen/taven-clinicgen; do
    if [ ! -x "$build/$b" ]; then
        echo "$build/$b is missing: cmake --build $build --target bench_clinic taven-clinicgen" >&2
        exit 1
    fi
done
dir=$(mktemp -d /tmp/taven-bench-pg.XXXXXX)
trap '"$src/tools/pgserver.sh" clean "$dir"' EXIT
TAVEN_REQUIRE_DATABASE=1 "$src/tools/pgserver.sh" start "$dir"
createdb -h "$dir" -U postgres clinic
conninfo="host=$dir user=postgres dbname=clinic"
"$build/tools/clinicgen/taven-clinicgen" "$conninfo" "${3:-100000}" 3 1000
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/bench_clinic" "$conninfo" "${4:-30000}" "${2:-15}"
