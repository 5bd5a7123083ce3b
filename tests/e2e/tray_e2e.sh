#!/usr/bin/env bash
# The real program in a real tray: Xvfb, the XEmbed tray host trayer, real input with xdotool.
#   tray_e2e.sh BUILD_DIR [REPS] [SHOTS_DIR]
# Each repetition: starts in the tray with no window; a double-click on the icon opens the window
# and removes the icon; a click on a drawing's thumbnail hides it, brings the icon back and opens the
# drawing in the associated program; the tray button hides the window again; a right click shows the
# menu, exactly one; Escape leaves the tool in the tray; a second start shows the running copy's window
# and ends with status 0; "Désactiver" ends it and leaves no icon.
set -u
build=$(realpath "$1"); reps=${2:-1}; shots=${3:-}
app=$build/bin/dessiscope
selowner=$build/bin/selowner
gap=0.6
title='^Dessiscope - V 3.0$'
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb LC_ALL=fr_FR.UTF-8
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY # XEmbed, on this display only
mkdir -p "$work/Dessins" "$work/data/applications" "$work/config"
printf 'AC1032\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0' >"$work/Dessins/plan.dwg"
# The associated program: writes its working folder and its argument.
cat >"$work/viewer.sh" <<VIEWER
#!/bin/sh
{ pwd; echo "\$1"; } >"$work/marker"
VIEWER
chmod +x "$work/viewer.sh"
printf '[Desktop Entry]\nType=Application\nName=Viewer\nExec=%s %%f\nNoDisplay=true\n' "$work/viewer.sh" \
    >"$work/data/applications/e2e-viewer.desktop"
printf '[Default Applications]\nimage/vnd.dwg=e2e-viewer.desktop\n' >"$work/config/mimeapps.list"
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config

# shellcheck source=trayer-panel.sh
. "$(dirname "$0")/trayer-panel.sh" # before the icon tests of this script, which find the icon otherwise
main_window() { xdotool search --onlyvisible --name "$title" 2>/dev/null | head -1; }
# Visible windows of the program other than the main window, by size: the icon is small.
other_windows() {
    local main; main=$(main_window)
    for w in $(xdotool search --onlyvisible --classname '^dessiscope$' 2>/dev/null); do
        [ "$w" = "$main" ] && continue
        geometry_of "$w" || continue
        if [ "$1" = icon ] && [ "$WIDTH" -le 40 ] && [ "$HEIGHT" -le 40 ]; then echo "$w"; fi
        if [ "$1" = menu ] && [ "$WIDTH" -gt 48 ]; then echo "$w"; fi
    done
}
icon_present() { [ -n "$(other_windows icon)" ]; }
icon_absent() { [ -z "$(other_windows icon)" ]; }
menu_shown() { [ -n "$(other_windows menu)" ]; }
# Exactly one pop-up, holding the two entries and the line between them (taller than one entry).
one_menu() {
    local menus; menus=$(other_windows menu)
    [ "$(echo "$menus" | grep -c .)" = 1 ] || return 1
    geometry_of "$menus" || return 1
    [ "$HEIGHT" -gt 40 ]
}
menu_hidden() { [ -z "$(other_windows menu)" ]; }
main_shown() { [ -n "$(main_window)" ]; }
main_hidden() { [ -z "$(main_window)" ]; }
app_ended() { ! kill -0 "$apppid" 2>/dev/null; }
drawing_opened() { [ "$(cat "$work/marker" 2>/dev/null)" = "$(printf '%s\n%s' "$work/Dessins" "$work/Dessins/plan.dwg")" ]; }

pass=0; fail=0
for ((r = 1; r <= reps; r++)); do
    step=start
    check() { # NAME TENTHS CMD...
        step=$1; shift
        wait_for "$@" || { echo "rep $r: FAILED at $step"; return 1; }
    }
    rm -f "$work/marker"
    : >"$work/dpy"
    start_tray_desktop
    (cd "$work/Dessins" && exec "$app") >"$work/app.log" 2>&1 &
    apppid=$!
    ok=0
    {
        check "tray host up" 50 "$selowner" &&
            check "icon embedded at start" 50 icon_present && check "no window at start" 1 main_hidden &&
            icon=$(other_windows icon | head -1) &&
            xdotool mousemove --window "$icon" 10 10 click --repeat 2 --delay 80 1 &&
            check "double-click opens the window" 50 main_shown && check "icon removed" 30 icon_absent &&
            { [ -z "$shots" ] || [ "$r" != 1 ] || { sleep 0.3; import -window root "$shots/tray_opened.png"; }; } &&
            win=$(main_window) && sleep "$gap" &&
            xdotool mousemove --window "$win" 40 118 click 1 && sleep "$gap" &&
            xdotool mousemove --window "$win" 308 90 click 1 &&
            check "thumbnail click hides the window" 30 main_hidden && check "icon back after the click" 50 icon_present &&
            check "drawing opened in its program, in its folder" 50 drawing_opened &&
            icon=$(other_windows icon | head -1) && sleep "$gap" &&
            xdotool mousemove --window "$icon" 10 10 click --repeat 2 --delay 80 1 &&
            check "double-click opens the window again" 50 main_shown && win=$(main_window) && sleep "$gap" &&
            xdotool mousemove --window "$win" 268 260 click 1 &&
            check "tray button hides the window" 30 main_hidden && check "icon back" 50 icon_present &&
            { timeout 30 "$app" >"$work/second.log" 2>&1; } && check "a second start shows the running window" 50 main_shown &&
            check "and adds no icon" 30 icon_absent && win=$(main_window) && sleep "$gap" &&
            xdotool mousemove --window "$win" 268 260 click 1 &&
            check "tray button hides the window again" 30 main_hidden && check "icon back again" 50 icon_present &&
            icon=$(other_windows icon | head -1) && sleep "$gap" &&
            xdotool mousemove --window "$icon" 10 10 click 3 && check "menu on right click" 30 menu_shown &&
            sleep "$gap" && check "one menu with both entries" 1 one_menu &&
            { [ -z "$shots" ] || [ "$r" != 1 ] || import -window root "$shots/tray_menu.png"; } &&
            xdotool key Escape && check "Escape closes the menu" 30 menu_hidden &&
            check "still in the tray" 1 icon_present && check "window still hidden" 1 main_hidden &&
            sleep "$gap" && xdotool mousemove --window "$icon" 10 10 click 3 && check "menu again" 30 menu_shown &&
            menu=$(other_windows menu | head -1) && geometry_of "$menu" &&
            xdotool mousemove $((X + 30)) $((Y + HEIGHT - 12)) click 1 &&
            check "Désactiver ends the tool" 50 app_ended && check "no icon left" 20 icon_absent && ok=1
    }
    if [ $ok = 1 ]; then pass=$((pass + 1)); else fail=$((fail + 1)); sed 's/^/  app: /' "$work/app.log" | tail -5; fi
    kill "$apppid" "$trayer" 2>/dev/null; wait "$apppid" "$trayer" 2>/dev/null
    kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null
done
rm -rf "$work"
echo "tray end-to-end: $pass passed, $fail failed"
[ "$fail" = 0 ]
