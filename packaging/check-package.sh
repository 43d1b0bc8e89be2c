#!/usr/bin/env bash
# Builds the Debian package from a build tree into a folder of its own and
# checks what it holds: every file a user needs, dependencies found by
# dpkg-shlibdeps, and what Debian's own checkers say of it (lintian, the
# desktop entry's and the AppStream file's validators): any error or warning
# not overridden with a reason fails. Usage: check-package.sh BUILD_DIR VERSION
set -euo pipefail
BUILD="$1"
VERSION="$2"
OUT="$BUILD/package-check"
rm -rf "$OUT"
mkdir -p "$OUT"
cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$OUT" >"$OUT/cpack.log" 2>&1 || {
    cat "$OUT/cpack.log" >&2
    exit 1
}
DEB="$OUT/quorvik_${VERSION}_amd64.deb"
[ -f "$DEB" ] || { echo "no package $DEB" >&2; ls "$OUT" >&2; exit 1; }

LIST="$(dpkg-deb -c "$DEB" | awk '{print $6}')"
status=0
for path in \
    ./usr/bin/quorvik ./usr/bin/qortool ./usr/bin/quorvik-unitsim \
    ./usr/bin/quorvik-edit ./usr/bin/quorvik-splitbytes ./usr/bin/quorvik-selftest \
    ./usr/share/quorvik/examples/demo/DEMO.QOR ./usr/share/quorvik/examples/demo/DEMO.CNT \
    ./usr/share/quorvik/examples/demo/DEMO.TXT ./usr/share/quorvik/examples/demo/rom.dat \
    ./usr/share/doc/quorvik/README.md ./usr/share/doc/quorvik/run-report.md \
    ./usr/share/applications/quorvik.desktop \
    ./usr/share/icons/hicolor/scalable/apps/quorvik.svg \
    ./usr/share/mime/packages/quorvik.xml \
    ./usr/share/man/man1/qortool.1.gz ./usr/share/man/man1/quorvik.1.gz \
    ./usr/share/man/man1/quorvik-unitsim.1.gz ./usr/share/man/man1/quorvik-edit.1.gz \
    ./usr/share/man/man1/quorvik-splitbytes.1.gz ./usr/share/man/man1/quorvik-selftest.1.gz \
    ./usr/share/doc/quorvik/copyright ./usr/share/doc/quorvik/changelog.gz \
    ./usr/share/metainfo/org.quorvik.quorvik.metainfo.xml \
    ./usr/share/lintian/overrides/quorvik; do
    if ! grep -qxF "$path" <<<"$LIST"; then
        echo "missing from the package: $path" >&2
        status=1
    fi
done
if grep -q '\.bak$' <<<"$LIST"; then
    echo "a backup file went into the package" >&2
    status=1
fi
DEPENDS="$(dpkg-deb -f "$DEB" Depends)"
for lib in libqt6core6 libqt6widgets6 libssl3 libc6 libqt6charts6 libqt6sql6-sqlite \
    libqt6sql6-psql qt6-qpa-plugins; do
    if ! grep -q "$lib" <<<"$DEPENDS"; then
        echo "Depends lacks $lib: $DEPENDS" >&2
        status=1
    fi
done
[ "$(dpkg-deb -f "$DEB" Package)" = quorvik ] || { echo "wrong package name" >&2; status=1; }

for tool in lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed (scripts/setup)" >&2; exit 1; }
done
# lintian: every error and warning fails; informational tags do not.
if ! lintian --fail-on error,warning --tag-display-limit 0 "$DEB" >"$OUT/lintian.log" 2>&1; then
    echo "lintian:" >&2
    grep -v 'running with root privileges' "$OUT/lintian.log" >&2
    status=1
fi
TREE="$OUT/tree"
dpkg-deb -x "$DEB" "$TREE"
if ! desktop-file-validate "$TREE/usr/share/applications/quorvik.desktop" >&2; then
    echo "desktop-file-validate refused the desktop entry" >&2
    status=1
fi
if ! appstreamcli validate --no-net --pedantic \
        "$TREE/usr/share/metainfo/org.quorvik.quorvik.metainfo.xml" >"$OUT/appstream.log" 2>&1; then
    cat "$OUT/appstream.log" >&2
    echo "appstreamcli refused the metainfo file" >&2
    status=1
fi
[ "$status" -eq 0 ] && echo "package OK: $DEB"
exit "$status"
