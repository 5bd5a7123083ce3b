# Shared by the Windows end-to-end scripts (sourced): Xvfb with a trayer panel, and the icon docked
# in it, found by its size among the panel's windows. Expects wait_for and a `work` folder.

# Starts Xvfb and trayer; exports DISPLAY; sets xvfb and trayer to their process ids.
start_tray_desktop() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/dpy" 2>/dev/null &
    xvfb=$!
    wait_for 50 test -s "$work/dpy"
    export DISPLAY=":$(head -1 "$work/dpy")"
    trayer --edge top --align right --widthtype request --height 32 --transparent false --tint 0x404040 \
        --SetDockType true >/dev/null 2>&1 &
    trayer=$!
}
panel() { xwininfo -root -tree 2>/dev/null | awk '/"panel": \("panel" "trayer"\)/ {print $1; exit}'; }
panel_up() { [ -n "$(panel)" ]; }
# The icon: a window of icon size inside trayer's panel (never ask xwininfo without an id: it would
# wait for a click).
icon() {
    local p; p=$(panel)
    [ -n "$p" ] && xwininfo -tree -id "$p" 2>/dev/null | awk '/^ +0x/ {
        for (i = 2; i <= NF; ++i) if ($i ~ /^[0-9]+x[0-9]+\+/) { split($i, g, /[x+]/); if (g[1] >= 8 && g[2] >= 8) { print $1; exit } } }'
}
icon_present() { [ -n "$(icon)" ]; }
icon_absent() { [ -z "$(icon)" ]; }
