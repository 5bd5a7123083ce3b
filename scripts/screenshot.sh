#!/usr/bin/env bash
# Takes a screenshot of the real window under Xvfb (with openbox for the frame, when installed).
#   scripts/screenshot.sh FOLDER OUTPUT.png [ACTIONS...]
# The tool starts in FOLDER. Each action is an xdotool key name typed into the window, or
# click:X,Y for a click at X,Y in the window (file list rows are 13 px apart from 117).
set -euo pipefail
folder=$1; out=$(realpath -m "$2"); shift 2
bin=$(realpath "$(dirname "$0")/../build/bin/dessiscope")
tmp=$(mktemp -d)
cleanup() { kill "${app:-}" "${wm:-}" "${xvfb:-}" 2>/dev/null || true; rm -rf "$tmp"; }
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 640x420x24 -nolisten tcp -noreset 3>"$tmp/dpy" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$tmp/dpy" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$tmp/dpy")" XDG_RUNTIME_DIR="$tmp"
unset DBUS_SESSION_BUS_ADDRESS
if command -v openbox >/dev/null; then openbox >/dev/null 2>&1 & wm=$!; sleep 0.5; fi
(cd "$folder" && exec "$bin") >/dev/null 2>&1 &
app=$!
for _ in $(seq 50); do xdotool search --name '^Dessiscope - V 3.0$' >/dev/null 2>&1 && break; sleep 0.1; done
win=$(xdotool search --name '^Dessiscope - V 3.0$' | head -1)
if [ -z "$win" ]; then echo "screenshot: the window did not appear (is the tool in the tray?)" >&2; exit 1; fi
# Let the window manager frame it first.
for _ in $(seq 30); do [ -z "${wm:-}" ] || xprop -id "$win" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '='  && break; sleep 0.1; done
sleep 0.5
for k in "$@"; do
    case $k in
    click:*) xy=${k#click:}; xdotool mousemove --window "$win" "${xy%,*}" "${xy#*,}" click 1 ;;
    *) xdotool key --window "$win" "$k" ;;
    esac
    sleep 0.4
done
sleep 0.5
import -window root "$tmp/root.png"
X=$(xwininfo -id "$win" | sed -n 's/.*Absolute upper-left X: *//p')
Y=$(xwininfo -id "$win" | sed -n 's/.*Absolute upper-left Y: *//p')
WIDTH=$(xwininfo -id "$win" | sed -n 's/.*Width: *//p')
HEIGHT=$(xwininfo -id "$win" | sed -n 's/.*Height: *//p')
# The frame's extents (left, right, top, bottom) when a window manager draws one.
read -r l r t b < <(xprop -id "$win" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ',') || true
l=${l:-0} r=${r:-0} t=${t:-0} b=${b:-0}
convert "$tmp/root.png" -crop "$((WIDTH + l + r))x$((HEIGHT + t + b))+$((X - l))+$((Y - t))" +repage "$out"
echo "$out"
