#!/usr/bin/env bash
# Builds the Debian package and checks it: its contents and dependencies, lintian, the tool run from
# the unpacked package. Only on CI (CI=true, as root) is it also installed system-wide with dpkg,
# used from /usr/bin, removed and purged: a developer's own Dessiscope is never replaced.
#   deb_test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
fail() { echo "FAILED: $*"; exit 1; }
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/dessiscope_*_*.deb | head -1)
[ -f "$deb" ] || fail "no package built"
echo "built $(basename "$deb")"

dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "dependencies not computed"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/dessiscope ./usr/bin/dessiscope-thumbnail ./usr/share/applications/dessiscope.desktop \
    ./usr/share/mime/packages/dessiscope.xml ./usr/share/thumbnailers/dessiscope.thumbnailer \
    ./usr/share/icons/hicolor/48x48/apps/dessiscope.png ./usr/share/doc/dessiscope/copyright \
    ./usr/share/doc/dessiscope/changelog.gz; do
    grep -qx -- "$f" <<<"$contents" || fail "missing $f in the package"
done
if command -v lintian >/dev/null; then
    if lintian --fail-on error --suppress-tags-from-file /dev/null "$deb" >"$build/lintian.log" 2>&1; then
        echo "lintian: no errors ($(grep -c '^W:' "$build/lintian.log" || true) warnings)"
    else
        cat "$build/lintian.log"; fail "lintian errors"
    fi
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bin/fuzz_make_seeds" "$work/samples" >/dev/null
dpkg-deb -x "$deb" "$work/root"
"$work/root/usr/bin/dessiscope-thumbnail" --info "$work/samples/dwgpreview/bmp8.dwg" | grep -q '"version": "AC1018"' ||
    fail "the packaged tool"
echo "package contents and the unpacked tool: ok"

if [ "${CI:-}" != true ] || [ "$(id -u)" -ne 0 ]; then
    echo "deb_test: system-wide install left to CI (CI=true, as root)"
    exit 0
fi
if dpkg-query -W -f='${Status}' dessiscope 2>/dev/null | grep -q 'install ok installed'; then
    fail "a dessiscope package is already installed on this CI machine"
fi
trap 'dpkg -P dessiscope >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
dpkg -i "$deb" >/dev/null
/usr/bin/dessiscope-thumbnail --info "$work/samples/dwgpreview/bmp8.dwg" | grep -q '"version": "AC1018"' ||
    fail "the installed tool"
grep -q 'x-autocad-slide' /usr/share/mime/packages/dessiscope.xml
dpkg -P dessiscope >/dev/null # removed and purged: nothing left behind
[ ! -e /usr/bin/dessiscope-thumbnail ] || fail "not removed"
echo "package installed, used and removed: ok"
