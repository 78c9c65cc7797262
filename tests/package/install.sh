#!/usr/bin/env bash
# Installs into a temporary DESTDIR and starts the installed program there as a new user
# would: offscreen, with a home of its own.
#   install.sh <build folder> <bin dir> <module dir> <data dir>   (relative to the prefix)
set -euo pipefail
build=$1 bindir=$2 moduledir=$3 datadir=$4
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

DESTDIR=$tmp/root cmake --install "$build" --prefix /usr >/dev/null
usr=$tmp/root/usr
for f in "$bindir/taven" "$bindir/tavensim" "$moduledir/libtavensound.so" "$moduledir/libtavenprint.so" \
    "$datadir/data/function.pnt" "$datadir/data/Database/medicam.nam" "$datadir/simulator/example.scn" \
    share/applications/ru.taven.Taven.desktop share/metainfo/ru.taven.Taven.metainfo.xml \
    share/icons/hicolor/scalable/apps/taven.svg share/icons/hicolor/48x48/apps/taven.png; do
    [ -f "$usr/$f" ] || fail "$f is not installed"
done
# A build folder's library path must not follow the program into an installation.
if readelf -d "$usr/$bindir/taven" | grep -q 'R.*PATH'; then
    fail "the installed program keeps a library path: $(readelf -d "$usr/$bindir/taven" | grep 'R.*PATH')"
fi

home=$tmp/home
mkdir -p "$home/cwd" "$tmp/runtime"
chmod 700 "$tmp/runtime"
taven() {
    (cd "$home/cwd" && exec env -i HOME="$home" PATH="$PATH" LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen \
        XDG_RUNTIME_DIR="$tmp/runtime" ${EXTRA_ENV:-} timeout 120 "$usr/$bindir/taven" "$@")
}

# First start: the per-user folder is made and filled with the installed data.
taven --quit-after-show
work=$home/.local/share/taven
diff -r "$usr/$datadir/data" "$work" || fail "the working folder is not the installed data"

# Second start: the user's changed file stays, a removed one comes back.
printf 'changed by the user\r\n' >"$work/taven.txt"
rm "$work/hand_l.bmp"
taven --quit-after-show
[ "$(cat "$work/taven.txt")" = $'changed by the user\r' ] || fail "a second start replaced the user's taven.txt"
cmp -s "$usr/$datadir/data/hand_l.bmp" "$work/hand_l.bmp" || fail "a missing picture was not restored"

# A legacy folder named on the command line is used as it is: its "DataBase" gets no twin.
legacy=$tmp/legacy
mkdir -p "$legacy/DataBase"
# A well-formed file of its own (a broken one is reported at start, in a message box).
LC_ALL=C sed '0,/ D6\r$/s// D12\r/' "$usr/$datadir/data/Database/medicam.nam" >"$legacy/DataBase/medicam.nam"
cp "$legacy/DataBase/medicam.nam" "$tmp/legacy-medicam.nam"
taven --quit-after-show --folder "$legacy"
[ ! -e "$legacy/Database" ] || fail "a second Database folder was made beside DataBase"
cmp -s "$legacy/DataBase/medicam.nam" "$tmp/legacy-medicam.nam" || fail "the legacy medication file was replaced"
[ -f "$legacy/function.pnt" ] || fail "the legacy folder was not completed"

# $TAVEN_HOME names the folder as ./run does.
EXTRA_ENV="TAVEN_HOME=$tmp/envhome" taven --quit-after-show
[ -f "$tmp/envhome/taven.ini" ] || fail "TAVEN_HOME was not used"

# The installed sound module is the one loaded (it sits in the library folder, not beside
# the program); the program runs until ended with SIGTERM.
# Started without the function's extra subshell, so that $! is timeout itself and the
# signal below reaches the program rather than leaving it running.
(cd "$home/cwd" && exec env -i HOME="$home" PATH="$PATH" LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen \
    XDG_RUNTIME_DIR="$tmp/runtime" LD_DEBUG=files LD_DEBUG_OUTPUT="$tmp/ld" \
    timeout 120 "$usr/$bindir/taven") >/dev/null 2>&1 &
pid=$!
# The loader names every path tried; a link map is made only for the one that opened.
loaded="file=$usr/$moduledir/libtavensound.so [0];  generating link map"
for _ in $(seq 100); do
    grep -Fqs "$loaded" "$tmp"/ld.* && break
    sleep 0.2
done
# timeout passes the signal on; the program closes as on a desktop's logout.
kill -TERM "$pid" 2>/dev/null || true
wait "$pid" || true
! pgrep -f "^$usr/$bindir/taven" >/dev/null || fail "the program was still running after SIGTERM"
grep -Fqs "$loaded" "$tmp"/ld.* || fail "the installed sound module was not loaded"
# Printing is loaded when first used, never at start.
! grep -Eqs 'file=[^ ]*(libtavenprint|libQt6PrintSupport)' "$tmp"/ld.* || fail "printing was loaded at start"

# Help in the user's language without any display; a mistyped option is status 2.
out=$(env -i LANG=ru_RU.UTF-8 "$usr/$bindir/taven" --help) || fail "--help failed"
grep -q "Использование: taven" <<<"$out" || fail "no Russian help: $out"
out=$(env -i LANG=en_US.UTF-8 "$usr/$bindir/taven" --version) || fail "--version failed"
grep -q "^taven [0-9]" <<<"$out" || fail "no version: $out"
rc=0
out=$(env -i LANG=C "$usr/$bindir/taven" --bogus 2>&1) || rc=$?
[ "$rc" = 2 ] || fail "an unknown option gave status $rc"
grep -q "Unknown option: --bogus" <<<"$out" || fail "unclear message: $out"
# The installed simulator names the installed program, not the checkout's ./run.
out=$(env -i PATH="$usr/$bindir:$PATH" timeout 3 "$usr/$bindir/tavensim" -e 'pause 0.1s' 2>&1) || true
grep -q "Запуск программы: taven --port /dev/" <<<"$out" || fail "the simulator names no installed program: $out"
out=$("$usr/$bindir/tavensim" --version) || fail "tavensim --version failed"
grep -q "^tavensim [0-9]" <<<"$out" || fail "no simulator version: $out"
echo "installed program: working folder filled, user's files kept, module and options as expected"
