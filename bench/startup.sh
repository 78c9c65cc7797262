#!/usr/bin/env bash
# Start-up time and peak memory of the program against two yardsticks, run alternately:
# an empty window, and a window with the same widgets as the program and no logic
# (samewidgets, built from the widget list widgetcensus writes). Offscreen first, then on
# a real X server (Xvfb) when one can be started.
# Usage: bench/startup.sh [build dir] [runs]   (default: build, 15 runs of each)
# Each run goes from process start until the window has been painted once.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
runs=${2:-15}

for b in src/taven bench/barewindow bench/samewidgets bench/widgetcensus; do
    if [ ! -x "$build/$b" ]; then
        echo "$build/$b is missing: cmake --build $build --target taven barewindow samewidgets widgetcensus" >&2
        exit 1
    fi
done

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
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

# One set of runs on the platform in QT_QPA_PLATFORM; $1 names it in the output.
run_set() {
    local where=$1 k
    "$build/bench/widgetcensus" > widgets.txt 2>/dev/null
    : > prog.txt; : > bare.txt; : > same.txt
    measure "$build/src/taven" --quit-after-show >/dev/null  # warm the file cache
    for ((k = 0; k < runs; k++)); do
        measure "$build/bench/barewindow" >> bare.txt
        measure "$build/bench/samewidgets" widgets.txt >> same.txt
        measure "$build/src/taven" --quit-after-show >> prog.txt
    done
    local pt bt st pm bm
    pt=$(cut -d' ' -f1 prog.txt | median); bt=$(cut -d' ' -f1 bare.txt | median)
    st=$(cut -d' ' -f1 same.txt | median)
    pm=$(cut -d' ' -f2 prog.txt | median); bm=$(cut -d' ' -f2 bare.txt | median)
    echo "[$where] runs: $runs, widgets in the window: $(($(wc -l < widgets.txt) - 1))"
    echo "[$where] start-up median: program ${pt} s, empty window ${bt} s, same-widget window ${st} s"
    echo "[$where] ratio to the empty window $(ratio "$pt" "$bt"), to the same-widget window $(ratio "$pt" "$st")"
    # The floor under the first ratio: the same widgets with no logic, against the empty window.
    echo "[$where] the same-widget window itself: $(ratio "$st" "$bt") of the empty window"
    echo "[$where] peak memory median: program ${pm} KiB, empty window ${bm} KiB, ratio $(ratio "$pm" "$bm")"
}

if [ "${TAVEN_STARTUP_ON_X:-}" = 1 ]; then
    export QT_QPA_PLATFORM=xcb
    run_set "X server"
    exit 0
fi

export QT_QPA_PLATFORM=offscreen
run_set offscreen
if command -v xvfb-run >/dev/null; then
    TAVEN_STARTUP_ON_X=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$src/bench/startup.sh" "$build" "$runs"
else
    echo "[X server] skipped: no xvfb-run; install it with: apt-get install -y --no-install-recommends xvfb"
fi
