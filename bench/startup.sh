#!/usr/bin/env bash
# Start-up time and peak memory of the program against a bare Qt window, run alternately.
# Usage: bench/startup.sh [build dir] [pairs]   (default: build, 15 pairs)
# Each run goes from process start until the main window is shown (the program quits right
# after showing it, with the first meridian laid out), on the offscreen platform.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
pairs=${2:-15}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R "$src/data/." "$work/"
cd "$work"

# Time and memory come from separate runs: the memory meter's own start-up would blur
# the time.
measure() {  # prints "seconds kilobytes"
    local t0 t1
    t0=$EPOCHREALTIME
    "$@" >/dev/null 2>&1
    t1=$EPOCHREALTIME
    /usr/bin/time -f "%M" -o "$work/t" "$@" >/dev/null 2>&1
    echo "$(awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.4f", b - a}') $(tail -n 1 "$work/t")"
}

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

: > prog.txt
: > bare.txt
measure "$build/src/taven" --quit-after-show >/dev/null  # warm the file cache
for ((k = 0; k < pairs; k++)); do
    measure "$build/bench/barewindow" >> bare.txt
    measure "$build/src/taven" --quit-after-show >> prog.txt
done

pt=$(cut -d' ' -f1 prog.txt | median); bt=$(cut -d' ' -f1 bare.txt | median)
pm=$(cut -d' ' -f2 prog.txt | median); bm=$(cut -d' ' -f2 bare.txt | median)
echo "pairs: $pairs"
echo "start-up median: program ${pt} s, bare window ${bt} s, ratio $(awk -v a="$pt" -v b="$bt" 'BEGIN {printf "%.2f", a / b}') (target <= 1.3)"
echo "peak memory median: program ${pm} KiB, bare window ${bm} KiB, ratio $(awk -v a="$pm" -v b="$bm" 'BEGIN {printf "%.2f", a / b}') (target <= 1.5)"
