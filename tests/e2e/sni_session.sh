# Sourced by the StatusNotifierItem end-to-end tests: a private D-Bus session with our watcher and
# host (snihost, items in $work/items), Xvfb, and the real program started in $work.
# Expects: build, work, name (for messages). Sets: app_bin, title, bus, host, xvfb, app.
# shellcheck source=xwindow.sh
. "$(dirname "${BASH_SOURCE[0]}")/xwindow.sh"
app_bin=$build/bin/dessiscope
title='^Dessiscope - V 3.0$'
cleanup() { kill "${app:-}" "${host:-}" "${bus:-}" "${xvfb:-}" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
export XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb LC_ALL=fr_FR.UTF-8
unset WAYLAND_DISPLAY
wait_for() { local n=$1; shift; for ((i = 0; i < n; i++)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done; return 1; }
fail() { echo "$name end-to-end: FAILED at $1"; tail -5 "$work/app.log"; exit 1; }
check() { step=$1; shift; wait_for "$@" || fail "$step"; }
main_window() { xdotool search --onlyvisible --name "$title" 2>/dev/null | head -1; }
main_shown() { [ -n "$(main_window)" ]; }
main_hidden() { [ -z "$(main_window)" ]; }

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
