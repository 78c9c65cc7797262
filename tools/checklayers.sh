#!/usr/bin/env bash
# Fails when a source file includes a layer above its own: common is the floor, the
# catalogue, the printing and the data formats sit on it, the windows on top; only the main
# window's own folder includes frmmain.h. Every folder under src/ has a rule, and a new
# folder without one fails too.
set -uo pipefail
src=$(cd "$(dirname "$0")/../src" && pwd)
status=0
ruled=()
report() {  # report <what> <hits>
    if [ -n "$2" ]; then
        echo "$1:" >&2
        echo "${2//$src/src}" >&2
        status=1
    fi
}
includes() {  # includes <files or folders...>: every include of the program's own headers
    grep -rnE --include='*.cpp' --include='*.h' '^\s*#\s*include\s*"' "$@" 2>/dev/null
}
# The platform's units are the floor under everything: any folder may include them.
allow() {  # allow <folder> <folders its includes may name> [files of the folder, default all]
    local folder=$1 allowed=$2
    shift 2
    local files=("$@")
    [ ${#files[@]} -eq 0 ] && files=("$src/$folder"/*.cpp "$src/$folder"/*.h)
    ruled+=("$folder")
    report "src/$folder includes what it must not reach" \
        "$(includes "${files[@]}" | grep -vE "#\s*include\s*\"($allowed|common/platform)/[a-z0-9_]+\.h\"")"
}
allow common/platform 'common/platform'
allow common 'common'
allow catalogue 'common|catalogue'
allow medications 'common|catalogue|medications'
# The card's layout, rendering, print windows and module: a leaf on common. A chart reaches
# the printer as pages painted by a function, not as a chart.
allow printing 'common|printing'
allow patients 'common|printing|patients'
# The patient files, their checks and store stay below every window, the printer included.
allow patients 'common|patients' "$src"/patients/patient*.cpp "$src"/patients/patient*.h \
    "$src"/patients/namefilter.cpp "$src"/patients/namefilter.h
# The charts sit on the patient store; the patient windows never include them, and they
# never include the patient windows: the list asks the main window to open them, and the
# card window is handed its chart page by its opener.
allow charts 'common|catalogue|printing|patients|charts'
report 'src/charts reaches the patient windows' "$(includes "$src/charts" | grep -E '"patients/(frm|namefilterline)')"
# The database store sits on the patient formats; the windows reach it through an interface.
allow clinicdb 'common|patients|clinicdb'
report 'src/clinicdb reaches the patient windows' "$(includes "$src/clinicdb" | grep -E '"patients/(frm|namefilterline)')"
allow help 'common|help'
allow measurement 'common|catalogue|medications|printing|patients|charts|clinicdb|help|measurement'
for dir in $(cd "$src" && find . -mindepth 1 -type d | sed 's|^\./||' | sort); do
    [[ " ${ruled[*]} " == *" $dir "* ]] || report 'a folder under src/ without a rule in tools/checklayers.sh' "src/$dir"
done
report 'frmmain.h included outside src/measurement' \
    "$(grep -rln 'frmmain\.h' "$src" | grep -v "^$src/measurement/")"
exit $status
