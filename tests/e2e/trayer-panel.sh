# Shared by the end-to-end scripts (sourced): waiting for a condition, Xvfb with a trayer panel and
# the icon docked in it (found by its size among the panel's windows), and the end of a Wine run.
# Expects a `work` folder.
# shellcheck source=xwindow.sh
. "$(dirname "${BASH_SOURCE[0]}")/xwindow.sh"

wait_for() { # TENTHS CMD...: polls CMD every 0.1 s
    local n=$1; shift
    for ((i = 0; i < n; i++)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}

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

# At exit of a Windows script: the program, Wine, the desktop and the work folder go.
end_wine_desktop() {
    kill "${app:-}" 2>/dev/null
    wineserver -k 2>/dev/null
    kill "${trayer:-}" "${xvfb:-}" 2>/dev/null
    rm -rf "$work"
}
