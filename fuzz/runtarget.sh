#!/usr/bin/env bash
# runtarget.sh <fuzzer> <seed folder> <work folder>
# Runs one fuzz target for $TAVEN_FUZZ_SECONDS (30 by default). The committed seeds run
# first, so a regression input fails at once; new inputs go to the work folder, never to
# the seeds, and a failing input is kept there as crash-*.
# The log is kept as <work folder>.log; its last lines carry the executions and coverage.
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3
seconds=${TAVEN_FUZZ_SECONDS:-30}
mkdir -p "$work/corpus"
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work/corpus" "$seeds" > "$work.log" 2>&1 || {
    tail -n 60 "$work.log"
    exit 1
}
grep -E '^#[0-9]+[[:space:]]+DONE|^stat::number_of_executed_units' "$work.log" | tail -n 2
