#!/usr/bin/env bash
# The real program in a Wayland session: Weston's headless compositor, a private D-Bus session with
# a StatusNotifier watcher and host of ours (snihost) and the accessibility bus. The panel's clicks
# are the item's Activate and ContextMenu; what is on screen is read through the accessibility bus
# (no X server runs), and the compositor's screenshot is kept for a person to look at.
#   wayland_e2e.sh BUILD_DIR [SCREENSHOT]
set -u
build=$(realpath "$1")
shot=${2:-}
work=$(mktemp -d)
chmod 700 "$work"
cleanup() { kill "${app:-}" "${host:-}" "${weston:-}" 2>/dev/null; [ -n "${bus:-}" ] && kill "$bus" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
export XDG_RUNTIME_DIR=$work LC_ALL=fr_FR.UTF-8
unset DISPLAY
wait_for() { local n=$1; shift; for ((i = 0; i < n; i++)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done; return 1; }
check() { step=$1; shift; wait_for "$@" || { echo "Wayland end-to-end: FAILED at $step"; tail -n 5 "$work/app.log" "$work/weston.log"; exit 1; }; }

weston --backend=headless-backend.so --socket=wayland-e2e --use-pixman --debug --width=800 --height=600 \
    --idle-time=0 --no-config >"$work/weston.log" 2>&1 &
weston=$!
check "the compositor starts" 100 test -S "$work/wayland-e2e"
export WAYLAND_DISPLAY=wayland-e2e
dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$work/bus" >/dev/null 2>&1 &
bus=$!
check "the session bus starts" 50 test -s "$work/bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")
# The accessibility bus, as a desktop session has it running.
a11y=$(gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus --method org.a11y.Bus.GetAddress |
    sed -n "s/^('\(.*\)',)$/\1/p")
[ -n "$a11y" ] || { echo "Wayland end-to-end: FAILED at the accessibility bus"; exit 1; }
"$build/bin/snihost" >"$work/items" 2>"$work/host.log" &
host=$!
(cd "$work" && QT_QPA_PLATFORM=wayland QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec "$build/bin/dessiscope") \
    >"$work/app.log" 2>&1 &
app=$!

# The accessibility bus, read as a screen reader does.
acall() { gdbus call --address "$a11y" --dest "$1" --object-path "$2" --method "$3" "${@:4}" 2>/dev/null; }
children() { acall "$1" "$2" org.a11y.atspi.Accessible.GetChildren | grep -o "/org/a11y/atspi/accessible/[0-9a-z]*"; }
name() { acall "$1" "$2" org.freedesktop.DBus.Properties.Get org.a11y.atspi.Accessible Name | sed -n "s/^(<'\(.*\)'>,)$/\1/p"; }
role() { acall "$1" "$2" org.a11y.atspi.Accessible.GetRoleName | sed -n "s/^('\(.*\)',)$/\1/p"; }
showing() { # the SHOWING state, bit 25 of the first state word
    local s
    s=$(acall "$1" "$2" org.a11y.atspi.Accessible.GetState | sed -n 's/^(\[uint32 \([0-9]*\),.*/\1/p')
    [ -n "$s" ] && (((s >> 25) & 1))
}
press() { acall "$1" "$2" org.a11y.atspi.Action.DoAction 0 >/dev/null; }
app_on_a11y() {
    for n in $(acall org.a11y.atspi.Registry /org/a11y/atspi/accessible/root org.a11y.atspi.Accessible.GetChildren |
        grep -o "'[^']*', \(objectpath \)\?'/" | cut -d"'" -f2); do
        [ "$(name "$n" /org/a11y/atspi/accessible/root)" = Dessiscope ] && { echo "$n"; return 0; }
    done
    return 1
}
main_window() {
    for p in $(children "$svc" /org/a11y/atspi/accessible/root); do
        [ "$(name "$svc" "$p")" = "Dessiscope - V 3.0" ] && { echo "$p"; return 0; }
    done
    return 1
}
main_shown() { local w; w=$(main_window) && showing "$svc" "$w"; }
main_hidden() { ! main_shown; }
# Qt lists popups under no parent: their objects are found by number, from the first one.
shown_menu() {
    for ((i = 0; i < 200; i++)); do
        local p=/org/a11y/atspi/accessible/$((2147483648 + i))
        [ "$(role "$svc" "$p")" = "popup menu" ] && showing "$svc" "$p" && { echo "$p"; return 0; }
    done
    return 1
}
menu_shown() { shown_menu >/dev/null; }
item_named() { # the child of $2 named $3
    for p in $(children "$svc" "$2"); do
        [ "$(name "$svc" "$p")" = "$3" ] && { echo "$p"; return 0; }
    done
    return 1
}
sni_call() {
    local item service path
    item=$(tail -1 "$work/items"); service=${item%%/*}; path=/${item#*/}; [ "$path" = "/$item" ] && path=/StatusNotifierItem
    gdbus call --session --dest "$service" --object-path "$path" --method "org.kde.StatusNotifierItem.$1" 500 10 >/dev/null
}

check "item registered with the watcher" 100 test -s "$work/items"
check "the program is on the accessibility bus" 100 app_on_a11y
svc=$(app_on_a11y)
check "no window at start" 1 main_hidden
sni_call Activate
check "primary click (Activate) opens the window" 50 main_shown
if [ -n "$shot" ]; then
    sleep 0.5
    (cd "$work" && weston-screenshooter) && cp "$work"/wayland-screenshot-*.png "$shot"
fi
tray_button=$(item_named "$svc" "$(main_window)" "Ranger dans la zone de notification")
press "$svc" "$tray_button"
check "the tray button hides the window" 50 main_hidden
check "the item is back" 50 test "$(wc -l <"$work/items")" -ge 2
sni_call ContextMenu
check "secondary click (ContextMenu) shows the menu" 50 menu_shown
quit=$(item_named "$svc" "$(shown_menu)" "Désactiver")
[ -n "$quit" ] || { echo "Wayland end-to-end: FAILED at the menu's Désactiver"; exit 1; }
press "$svc" "$quit"
check "Désactiver ends the program" 50 eval '! kill -0 '"$app"
wait "$app"
status=$?
[ "$status" = 0 ] || { echo "Wayland end-to-end: FAILED, exit status $status"; tail -n 20 "$work/app.log"; exit 1; }
grep -qi "xcb\|could not connect" "$work/app.log" && { echo "Wayland end-to-end: FAILED, not on Wayland"; exit 1; }
echo "Wayland end-to-end: 1 passed, 0 failed"
