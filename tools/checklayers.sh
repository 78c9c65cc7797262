#!/usr/bin/env bash
# Fails when a source file includes a layer above its own: common is the floor, the
# catalogue and the data formats sit on it, the windows on top; only the main window's
# own folder includes frmmain.h.
set -uo pipefail
src=$(cd "$(dirname "$0")/../src" && pwd)
status=0
forbid() {  # forbid <folder> <pattern of includes it must not have>
    local hits
    hits=$(grep -rnE "#include \"($2)/" "$src/$1" 2>/dev/null)
    if [ -n "$hits" ]; then
        echo "src/$1 reaches up to $2:" >&2
        echo "$hits" >&2
        status=1
    fi
}
forbid common 'catalogue|medications|patients|measurement|help'
forbid catalogue 'medications|patients|measurement|help'
forbid medications 'patients|measurement|help'
# The database store sits on the patient formats; the windows reach it through an interface.
for folder in common catalogue medications patients; do
    forbid $folder clinicdb
done
forbid clinicdb 'catalogue|medications|measurement|help'
hits=$(grep -rln 'frmmain\.h' "$src" | grep -v "^$src/measurement/")
if [ -n "$hits" ]; then
    echo "frmmain.h included outside src/measurement:" >&2
    echo "$hits" >&2
    status=1
fi
exit $status
