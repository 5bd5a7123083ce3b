#!/usr/bin/env bash
# Draws the window's four pictures with ImageMagick. Run from anywhere:
#   bash art/draw.sh            (writes into src/app/pictures/)
# art/dessiscope.svg is the same logo drawn by hand, installed as the scalable icon.
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/src/app/pictures"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out"
BOLD=$(fc-match -f '%{file}' 'Liberation Sans:bold')
SERIF=$(fc-match -f '%{file}' 'Liberation Serif:bold:italic')

# Program icon: a purple tile, a white letter, a yellow plus sign; transparent corners.
tile() { # size
    local s=$1
    convert -size "${s}x${s}" xc:none \
        -fill '#6a1b9a' -stroke '#3c0d5c' -strokewidth $((s / 16 > 0 ? s / 16 : 1)) \
        -draw "roundrectangle 1,1 $((s - 2)),$((s - 2)) $((s / 6)),$((s / 6))" \
        -stroke none -fill white -font "$BOLD" -pointsize $((s * 7 / 10)) \
        -gravity center -annotate "+$((-s / 10))+0" 'D' \
        -fill '#ffd600' -draw "rectangle $((s * 19 / 32)),$((s * 5 / 32)) $((s * 22 / 32)),$((s * 14 / 32))" \
        -draw "rectangle $((s * 16 / 32)),$((s * 8 / 32)) $((s * 25 / 32)),$((s * 11 / 32))" \
        "$2"
}
for s in 16 32 48 256; do tile "$s" "$out/dessiscope-$s.png"; done
convert "$out/dessiscope-32.png" "$out/dessiscope-16.png" "$out/dessiscope-48.png" "$out/dessiscope.ico"

# Recycle bin: grey bin, green recycling arrows, a sheet of paper sticking out; 16 colours.
convert -size 32x32 xc:none \
    -fill white -stroke '#606060' -strokewidth 1 -draw "polygon 13,1 24,3 21,11 11,9" \
    -draw "line 15,4 21,5" -draw "line 14,6 20,7" \
    -fill '#a0a0a0' -stroke '#404040' -draw "polygon 6,9 26,9 24,30 8,30" \
    -fill '#c8c8c8' -draw "rectangle 4,7 28,10" \
    -stroke '#008000' -strokewidth 2 -fill none \
    -draw "arc 11,14 21,24 200,340" -draw "arc 11,14 21,24 20,160" \
    -fill '#00a000' -stroke none -draw "polygon 20,14 23,18 18,18" -draw "polygon 12,24 9,20 14,20" \
    -colors 16 "$tmp/bin.png"
convert "$tmp/bin.png" "$out/poubelle.ico"

# Send to the tray: a small window top left, a big yellow arrow outlined in red pointing down to
# the right, the program's tile bottom right. 24-bit bitmap, no transparency.
convert -size 36x36 xc:'#80ffff' \
    -fill white -stroke '#000080' -strokewidth 1 -draw "rectangle 1,1 14,11" \
    -fill '#000080' -stroke none -draw "rectangle 1,1 14,3" \
    -fill '#ffff00' -stroke '#ff0000' -strokewidth 1 \
    -draw "polygon 6,12 10,8 20,18 23,15 24,24 15,23 18,20" \
    \( "$out/dessiscope-16.png" -background '#80ffff' -flatten \) -geometry +19+19 -composite \
    -type TrueColor "BMP3:$out/icone.bmp"

# Publisher logo: lettering on light blue; the light blue is the transparent colour.
convert -size 120x34 xc:'#c0c0ff' \
    -fill '#000040' -font "$SERIF" -pointsize 15 -gravity center -annotate +0-6 'Le Grenier des' \
    -fill '#ff00ff' -pointsize 13 -annotate +0+9 'Planotiers' \
    +antialias -transparent '#c0c0ff' -interlace GIF "$out/logo.gif"
echo "pictures written to $out"
