#!/usr/bin/env bash
# Installs into a throw-away prefix and checks what a desktop sees of it: the tree, the menu entry
# and AppStream data, the file types, the file-manager thumbnailer.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAILED: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/dessiscope bin/dessiscope-thumbnail share/applications/dessiscope.desktop \
    share/metainfo/fr.dessiscope.Dessiscope.metainfo.xml share/mime/packages/dessiscope.xml \
    share/thumbnailers/dessiscope.thumbnailer share/man/man1/dessiscope-thumbnail.1.gz \
    share/icons/hicolor/16x16/apps/dessiscope.png share/icons/hicolor/32x32/apps/dessiscope.png \
    share/icons/hicolor/48x48/apps/dessiscope.png share/icons/hicolor/256x256/apps/dessiscope.png \
    share/icons/hicolor/scalable/apps/dessiscope.svg; do
    [ -f "$prefix/$f" ] || fail "missing $f"
done
[ -x "$prefix/bin/dessiscope-thumbnail" ] || fail "dessiscope-thumbnail is not executable"
file "$prefix/share/icons/hicolor/48x48/apps/dessiscope.png" | grep -q '48 x 48' || fail "48 px icon"
desktop-file-validate "$prefix/share/applications/dessiscope.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/fr.dessiscope.Dessiscope.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate"
echo "installed tree, menu entry and AppStream data: ok"

# File types, from the installed XML only, on files written by the test writers.
mkdir -p "$work/data/mime/packages" "$work/files"
cp "$prefix/share/mime/packages/dessiscope.xml" "$work/data/mime/packages/"
update-mime-database "$work/data/mime" 2>/dev/null
"$build/bin/fuzz_make_seeds" "$work/seeds" >/dev/null
cp "$work/seeds/slide/example_v2le.sld" "$work/files/slide.bin"
cp "$work/seeds/slidelibrary/two_members.slb" "$work/files/library.bin"
cp "$work/seeds/dwgpreview/bmp8.dwg" "$work/files/drawing-without-extension"
type_of() { XDG_DATA_HOME=$work/data XDG_DATA_DIRS=/usr/share gio info -a standard::content-type "$1" |
    sed -n 's/.*content-type: //p'; }
[ "$(type_of "$work/files/slide.bin")" = image/x-autocad-slide ] || fail "slide type: $(type_of "$work/files/slide.bin")"
[ "$(type_of "$work/files/library.bin")" = application/x-autocad-slide-library ] || fail "library type"
[ "$(type_of "$work/files/drawing-without-extension")" = image/vnd.dwg ] || fail "drawing type"
echo "file types: ok"

# The thumbnailer, run exactly as a file manager runs it: its Exec line with %s %i %o filled in.
exec_line=$(sed -n 's/^Exec=//p' "$prefix/share/thumbnailers/dessiscope.thumbnailer")
for input in slide.bin library.bin drawing-without-extension; do
    out=$work/thumb-$input.png
    cmd=${exec_line//%s/128}
    cmd=${cmd//%i/\'$work/files/$input\'}
    cmd=${cmd//%o/\'$out\'}
    (export XDG_DATA_HOME=$work/data PATH="$prefix/bin:$PATH"; eval "$cmd") || fail "thumbnailer on $input"
    geometry=$(file "$out" | sed -n 's/.*PNG image data, \([0-9]*\) x \([0-9]*\).*/\1 \2/p')
    read -r w h <<<"$geometry"
    [ -n "$w" ] && [ "$w" -le 128 ] && [ "$h" -le 128 ] && { [ "$w" = 128 ] || [ "$h" = 128 ] || [ "$input" = drawing-without-extension ]; } ||
        fail "thumbnail of $input is $geometry"
done
echo "thumbnailer: ok"
