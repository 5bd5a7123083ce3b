#!/usr/bin/env bash
# The real program on a desktop whose panel shows the item's exported menu itself and never asks
# the item for one (GNOME's AppIndicator extension, XFCE's panel): a private D-Bus session with a
# watcher of ours (snihost), Xvfb for the window, dbusmenuclick for the panel's menu clicks. A
# later start of the program hands over to the running copy.
#   tray_dbusmenu_e2e.sh BUILD_DIR
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
fail() { echo "DBusMenu end-to-end: FAILED at $1"; tail -5 "$work/app.log"; exit 1; }
check() { step=$1; shift; wait_for "$@" || fail "$step"; }

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
latest() { item=$(tail -1 "$work/items"); service=${item%%/*}; path=/${item#*/}; [ "$path" = "/$item" ] && path=/StatusNotifierItem; }
# An item is on the bus while its service has an owner.
item_gone() { ! dbus-send --session --print-reply --dest="$service" "$path" org.freedesktop.DBus.Peer.Ping; }
click() { "$build/bin/dbusmenuclick" "$service" "$path" "$1" >>"$work/menu.log" 2>&1; }

check "item registered with the watcher" 100 test -s "$work/items"
latest
check "no window at start" 1 main_hidden
click Agrandir || { cat "$work/menu.log"; fail "the menu's Agrandir"; }
check "Agrandir opens the window" 50 main_shown
check "the item is gone" 50 item_gone
xdotool mousemove --window "$(main_window)" 268 260 click 1
check "tray button hides the window" 50 main_hidden
check "the item is back" 50 test "$(wc -l <"$work/items")" -ge 2
latest
# A second start: the running copy shows its window, the second one ends at once and adds nothing.
timeout 30 "$app_bin" >"$work/second.log" 2>&1
second=$?
[ "$second" = 0 ] || fail "second start's exit status $second"
check "a second start shows the running copy's window" 50 main_shown
[ "$(wc -l <"$work/items")" = 2 ] || fail "a second item"
xdotool mousemove --window "$(main_window)" 268 260 click 1
check "tray button hides the window again" 50 main_hidden
check "the item is back again" 50 test "$(wc -l <"$work/items")" -ge 3
latest
click Désactiver || { cat "$work/menu.log"; fail "the menu's Désactiver"; }
check "Désactiver ends the program" 50 eval '! kill -0 '"$app"
wait "$app"
status=$?
[ "$status" = 0 ] || fail "exit status $status"
item_gone || fail "an item left"
echo "DBusMenu end-to-end: 1 passed, 0 failed"
