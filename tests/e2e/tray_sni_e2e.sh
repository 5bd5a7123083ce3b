#!/usr/bin/env bash
# The real program on a desktop whose panel speaks StatusNotifierItem: a private D-Bus session with
# a watcher and host of ours (snihost), Xvfb for the window. As Plasma does, the panel's primary
# click is Activate and its secondary click ContextMenu.
#   tray_sni_e2e.sh BUILD_DIR
set -u
build=$(realpath "$1")
app_bin=$build/bin/dessiscope
title='^Dessiscope - V 3.0$'
work=$(mktemp -d)
cleanup() { kill "${app:-}" "${host:-}" "${bus:-}" "${xvfb:-}" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
export XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb LC_ALL=fr_FR.UTF-8
unset WAYLAND_DISPLAY
wait_for() { local n=$1; shift; for ((i = 0; i < n; i++)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done; return 1; }
check() { step=$1; shift; wait_for "$@" || { echo "StatusNotifier end-to-end: FAILED at $step"; tail -5 "$work/app.log"; exit 1; }; }

dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$work/bus" >/dev/null 2>&1 &
bus=$!
wait_for 50 test -s "$work/bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")
"$build/bin/snihost" >"$work/items" 2>"$work/host.log" &
host=$!
Xvfb -displayfd 4 -screen 0 1024x768x24 -nolisten tcp -noreset 4>"$work/dpy" 2>/dev/null &
xvfb=$!
wait_for 50 test -s "$work/dpy"
export DISPLAY=":$(head -1 "$work/dpy")"
sleep 0.5
(cd "$work" && exec "$app_bin") >"$work/app.log" 2>&1 &
app=$!
main_window() { xdotool search --onlyvisible --name "$title" 2>/dev/null | head -1; }
main_shown() { [ -n "$(main_window)" ]; }
main_hidden() { [ -z "$(main_window)" ]; }
menu_shown() {
    for w in $(xdotool search --onlyvisible --classname '^dessiscope$' 2>/dev/null); do
        [ "$w" = "$(main_window)" ] && continue
        eval "$(xdotool getwindowgeometry --shell "$w")"
        [ "$WIDTH" -gt 48 ] && return 0
    done
    return 1
}
check "item registered with the watcher" 100 test -s "$work/items"
item=$(head -1 "$work/items")
service=${item%%/*}
path=/${item#*/}
[ "$path" = "/$item" ] && path=/StatusNotifierItem
check "no window at start" 1 main_hidden
call() { dbus-send --session --type=method_call --dest="$service" "$path" "org.kde.StatusNotifierItem.$1" int32:500 int32:10; }
call Activate
check "primary click (Activate) opens the window" 50 main_shown
xdotool mousemove --window "$(main_window)" 268 260 click 1
check "tray button hides the window" 50 main_hidden
check "the item is back" 50 test "$(wc -l <"$work/items")" -ge 2
item=$(tail -1 "$work/items"); service=${item%%/*}; path=/${item#*/}; [ "$path" = "/$item" ] && path=/StatusNotifierItem
call ContextMenu
check "secondary click (ContextMenu) shows the menu" 50 menu_shown
xdotool key Escape
call Activate
check "Activate again opens the window" 50 main_shown
echo "StatusNotifier end-to-end: 1 passed, 0 failed"
