#!/usr/bin/env bash
# The real program on a desktop whose panel shows the item's exported menu itself and never asks
# the item for one (GNOME's AppIndicator extension, XFCE's panel): a private D-Bus session with a
# watcher of ours (snihost), Xvfb for the window, dbusmenuclick for the panel's menu clicks. A
# later start of the program hands over to the running copy.
#   tray_dbusmenu_e2e.sh BUILD_DIR
set -u
build=$(realpath "$1")
work=$(mktemp -d)
name=DBusMenu
. "$(dirname "$0")/sni_session.sh"
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
