#!/usr/bin/env bash
# The working folder ./run prepares from the checkout's data: filled where empty, and a
# user's folder keeps its own files under any case of their names.
set -euo pipefail
source "$(dirname "$0")/../../tools/setup.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
data=$TAVEN_SRC/data

taven_prepare_workdir "$tmp/new"
diff -r "$data" "$tmp/new" || fail "a new working folder is not the bundled data"

# A legacy folder: "DataBase" with the user's own medication file, a picture named in
# capitals, a changed text; one picture missing.
old=$tmp/old
mkdir -p "$old/DataBase"
printf 'the user'"'"'s medications\r\n' >"$old/DataBase/medicam.nam"
printf 'the user'"'"'s picture' >"$old/HAND_L.BMP"
printf 'changed by the user\r\n' >"$old/taven.txt"
taven_prepare_workdir "$old"
[ ! -e "$old/Database" ] || fail "a second Database folder was made beside DataBase"
[ ! -e "$old/hand_l.bmp" ] || fail "hand_l.bmp was copied beside HAND_L.BMP"
[ "$(cat "$old/DataBase/medicam.nam")" = $'the user\'s medications\r' ] || fail "medicam.nam was replaced"
[ "$(cat "$old/HAND_L.BMP")" = "the user's picture" ] || fail "HAND_L.BMP was replaced"
[ "$(cat "$old/taven.txt")" = $'changed by the user\r' ] || fail "taven.txt was replaced"
cmp -s "$data/hand_r.bmp" "$old/hand_r.bmp" || fail "a missing picture was not copied"
[ "$(find "$old" -type f | wc -l)" -eq "$(find "$data" -type f | wc -l)" ] || fail "files were added twice: $(find "$old" -type f)"
echo "working folder: ok"
