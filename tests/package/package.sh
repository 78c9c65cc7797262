#!/usr/bin/env bash
# Builds the Debian package with CPack and checks its control data, its file list, the
# desktop entry and the AppStream metainfo in it, and runs lintian on it. Needs dpkg-dev,
# desktop-file-utils, appstream, file and lintian (./test --package installs them).
#   package.sh <build folder>
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

(cd "$build" && cpack -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1) || {
    cat "$tmp/cpack.log" >&2
    fail "cpack failed"
}
debs=("$tmp"/out/taven_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "no single taven_*.deb: ${debs[*]}"
deb=${debs[0]}

[ "$(dpkg-deb -f "$deb" Package)" = taven ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture"
depends=$(dpkg-deb -f "$deb" Depends)
# Found by dpkg-shlibdeps in the program, the simulator and the sound and print modules.
names=$(sed 's/ *([^)]*)//g; s/, */\n/g' <<<"$depends")
for lib in libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6serialport6 libqt6multimedia6 libqt6printsupport6 \
    qt6-translations-l10n; do
    grep -Fqx "$lib" <<<"$names" || fail "Depends lacks $lib: $depends"
done

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$tmp/files"
for f in /usr/bin/taven /usr/bin/tavensim /usr/lib/taven/libtavensound.so /usr/lib/taven/libtavenprint.so \
    /usr/share/taven/data/function.pnt \
    /usr/share/taven/data/taven.ini /usr/share/taven/data/Database/medicam.nam /usr/share/taven/data/hand_l.bmp \
    /usr/share/applications/ru.taven.Taven.desktop /usr/share/metainfo/ru.taven.Taven.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/taven.svg /usr/share/icons/hicolor/16x16/apps/taven.png \
    /usr/share/icons/hicolor/256x256/apps/taven.png; do
    grep -qx "$f" "$tmp/files" || fail "$f is not in the package"
done
outside=$(grep -v '^/usr/\|^/$\|^/usr/$' "$tmp/files" || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
! grep -q '^/usr/local' "$tmp/files" || fail "files under /usr/local"

dpkg-deb -x "$deb" "$tmp/root"
file "$tmp/root/usr/bin/taven" | grep -q ', stripped' || fail "the program is not stripped"
desktop-file-validate "$tmp/root/usr/share/applications/ru.taven.Taven.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$tmp/root/usr/share/metainfo/ru.taven.Taven.metainfo.xml" || fail "metainfo"
! dpkg-deb -f "$deb" Description | grep -q ';' || fail "a stray ; in the description: $(dpkg-deb -f "$deb" Description)"
# Errors (a missing copyright file or changelog among them) fail, and so does a program
# without its manual page; the rest is shown.
lintian --tag-display-limit 0 --display-info "$deb" 2>&1 | tee "$tmp/lintian"
! grep -E '^E: |no-manual-page' "$tmp/lintian" || fail "lintian"

echo "$(basename "$deb"): $(du -k "$deb" | cut -f1) KiB, $(grep -vc '/$' "$tmp/files") files"
echo "Depends: $depends"
dpkg-deb -f "$deb" Recommends Section Installed-Size
if [ -n "${TAVEN_PACKAGE_OUT:-}" ]; then
    cp "$deb" "$TAVEN_PACKAGE_OUT/"
    echo "copied to $TAVEN_PACKAGE_OUT/$(basename "$deb")"
fi
