#!/usr/bin/env bash
# Builds the Debian package, installs it, uses it from /usr/bin, removes and purges it.
#   deb_test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
if [ "$(id -u)" -ne 0 ]; then echo "deb_test: skipped, installing a package needs root"; exit 0; fi
if dpkg-query -W -f='${Status}' dessiscope 2>/dev/null | grep -q 'install ok installed'; then
    echo "deb_test: skipped, a dessiscope package is already installed here"; exit 0
fi
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/dessiscope_*_*.deb | head -1)
[ -f "$deb" ] || { echo "FAILED: no package built"; exit 1; }
echo "built $(basename "$deb")"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || { echo "FAILED: dependencies not computed"; exit 1; }
if command -v lintian >/dev/null; then
    if lintian --fail-on error --suppress-tags-from-file /dev/null "$deb" >"$build/lintian.log" 2>&1; then
        echo "lintian: no errors ($(grep -c '^W:' "$build/lintian.log" || true) warnings)"
    else
        cat "$build/lintian.log"; echo "FAILED: lintian errors"; exit 1
    fi
fi
trap 'dpkg -P dessiscope >/dev/null 2>&1 || true' EXIT
dpkg -i "$deb" >/dev/null
sample=$(mktemp -d)
"$build/bin/fuzz_make_seeds" "$sample" >/dev/null
/usr/bin/dessiscope-thumbnail --info "$sample/dwgpreview/bmp8.dwg" | grep -q '"version": "AC1018"' ||
    { echo "FAILED: the installed tool"; exit 1; }
grep -q 'x-autocad-slide' /usr/share/mime/packages/dessiscope.xml
dpkg -P dessiscope >/dev/null # removed and purged: nothing left behind
[ ! -e /usr/bin/dessiscope-thumbnail ] || { echo "FAILED: not removed"; exit 1; }
rm -rf "$sample"
echo "package installed, used and removed: ok"
