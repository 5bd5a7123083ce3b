#!/usr/bin/env bash
# dessiscope.exe under Wine in a real XEmbed tray: Xvfb, trayer, real input with xdotool. Wine's
# explorer.exe docks the icon, so the icon is found by its place in trayer's panel.
#   tray_e2e_windows.sh BUILD_DIR [SCREENSHOT.png]
# Starts in the tray with no window; a double-click on the icon opens the window; the tray button
# hides it again; a second start shows the running copy's window and ends; a right click shows one
# menu; "Désactiver" ends the program and leaves no icon.
set -u
build=$(realpath "$1"); shot=${2:-}
here=$(cd "$(dirname "$0")/../.." && pwd)
title='^Dessiscope - V 3.0$'
work=$(mktemp -d)
export DESSISCOPE_WINDOWS_BUILD=$build WINEPREFIX=$build/wineprefix
# shellcheck source=trayer-panel.sh
. "$here/tests/e2e/trayer-panel.sh"
trap end_wine_desktop EXIT
step=start
check() { step=$1; shift; wait_for "$@" || { echo "tray end-to-end (Windows): FAILED at $step"; sed 's/^/  app: /' "$work/app.log" | grep -v 'Read access denied' | tail -5; exit 1; }; }

start_tray_desktop
check "tray host up" 50 panel_up
main_window() { xdotool search --onlyvisible --name "$title" 2>/dev/null | head -1; }
main_shown() { [ -n "$(main_window)" ]; }
main_hidden() { [ -z "$(main_window)" ]; }
menu_window() { # a visible window of the program that is not the main one and is menu-sized
    for w in $(xdotool search --onlyvisible --classname 'dessiscope.exe' 2>/dev/null); do
        [ "$w" = "$(main_window)" ] && continue
        geometry_of "$w" || continue
        [ "$WIDTH" -gt 48 ] && [ "$HEIGHT" -gt 20 ] && [ "$HEIGHT" -lt 200 ] && { echo "$w"; return 0; }
    done
    return 1
}
menu_shown() { [ -n "$(menu_window)" ]; }
menus() { # how many menu-sized windows of the program are visible
    local n=0
    for w in $(xdotool search --onlyvisible --classname 'dessiscope.exe' 2>/dev/null); do
        [ "$w" = "$(main_window)" ] && continue
        geometry_of "$w" || continue
        [ "$WIDTH" -gt 48 ] && [ "$HEIGHT" -gt 20 ] && [ "$HEIGHT" -lt 200 ] && n=$((n + 1))
    done
    echo "$n"
}
one_menu() { [ "$(menus)" = 1 ]; }
app_ended() { ! kill -0 "$app" 2>/dev/null; }
click_icon() { # BUTTON [REPEAT]
    geometry_of "$(icon)" || return 1
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click --repeat "${2:-1}" --delay 80 "$1"
}

mkdir -p "$work/Dessins"
printf 'AC1032\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0' >"$work/Dessins/plan.dwg"
sample=$here/../shared/samples/dwg/r2013_example.dwg
[ -f "$sample" ] && cp "$sample" "$work/Dessins/Façade Ω 平面.dwg" # a real preview, for the screenshot
(cd "$work/Dessins" && exec "$here/tests/windows/wine-run.sh" "$build/bin/dessiscope.exe") >"$work/app.log" 2>&1 &
app=$!
check "icon docked at start" 600 icon_present
check "no window at start" 1 main_hidden
sleep 1
click_icon 1 2
check "double-click opens the window" 100 main_shown
check "icon removed" 50 icon_absent
if [ -n "$shot" ]; then
    sleep 1
    win=$(main_window)
    xdotool mousemove --window "$win" 40 118 click 1 # the first file
    sleep 1.5
    geometry_of "$win" || { echo "tray end-to-end (Windows): FAILED at the screenshot"; exit 1; }
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$shot"
fi
win=$(main_window)
sleep 0.5
xdotool mousemove --window "$win" 268 260 click 1
check "tray button hides the window" 50 main_hidden
check "icon back" 100 icon_present
# A second start hands over: the running copy shows its window, the second one ends with status 0.
DESSISCOPE_WINE_JOIN=1 timeout 60 "$here/tests/windows/wine-run.sh" "$build/bin/dessiscope.exe" >"$work/second.log" 2>&1
second=$?
[ "$second" = 0 ] || { echo "tray end-to-end (Windows): FAILED, second start's status $second"; exit 1; }
check "a second start shows the running window" 100 main_shown
check "and adds no icon" 50 icon_absent
win=$(main_window)
sleep 0.5
xdotool mousemove --window "$win" 268 260 click 1
check "tray button hides the window again" 50 main_hidden
check "icon back again" 100 icon_present
sleep 0.5
click_icon 3
check "menu on right click" 50 menu_shown
sleep 0.5
check "exactly one menu" 1 one_menu
menu=$(menu_window)
geometry_of "$menu" || { echo "tray end-to-end (Windows): FAILED at the menu's place"; exit 1; }
xdotool mousemove $((X + 30)) $((Y + HEIGHT - 10)) click 1
check "Désactiver ends the program" 100 app_ended
check "no icon left" 50 icon_absent
echo "tray end-to-end (Windows): 1 passed, 0 failed"
