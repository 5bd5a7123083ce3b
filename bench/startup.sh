#!/usr/bin/env bash
# Start to tray icon, and memory when idle in the tray: the real program on Xvfb with trayer.
#   bench/startup.sh BUILD_DIR [RUNS]
set -u
build=$(realpath "$1"); runs=${2:-10}
work=$(mktemp -d)
trap 'kill $trayer $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/dpy" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/dpy" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$work/dpy")"
trayer --edge top --align right --widthtype request --height 32 --SetDockType true >/dev/null 2>&1 &
trayer=$!
for _ in $(seq 50); do "$build/bin/selowner" >/dev/null 2>&1 && break; sleep 0.1; done
starts=(); rss=(); hwm=()
for ((i = 0; i < runs; i++)); do
    t0=$(date +%s%N)
    "$build/bin/dessiscope" >/dev/null 2>&1 &
    app=$!
    until xdotool search --onlyvisible --classname '^dessiscope$' >/dev/null 2>&1; do sleep 0.005; done
    t1=$(date +%s%N)
    starts+=($(((t1 - t0) / 1000000)))
    sleep 2 # idle in the tray
    rss+=($(awk '/VmRSS/ {print $2}' "/proc/$app/status"))
    hwm+=($(awk '/VmHWM/ {print $2}' "/proc/$app/status"))
    kill "$app"; wait "$app" 2>/dev/null
    sleep 0.3
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }
printf '%-40s %10s %10s %10s\n' measure median min max
printf '%-40s %8s ms %8s ms %8s ms\n' "start to icon in the tray" "$(median "${starts[@]}")" \
    "$(printf '%s\n' "${starts[@]}" | sort -n | head -1)" "$(printf '%s\n' "${starts[@]}" | sort -n | tail -1)"
printf '%-40s %8s MB %8s MB %8s MB\n' "resident memory idle in the tray" "$(($(median "${rss[@]}") / 1024))" \
    "$(($(printf '%s\n' "${rss[@]}" | sort -n | head -1) / 1024))" "$(($(printf '%s\n' "${rss[@]}" | sort -n | tail -1) / 1024))"
printf '%-40s %8s MB %8s MB %8s MB\n' "peak resident memory up to then" "$(($(median "${hwm[@]}") / 1024))" \
    "$(($(printf '%s\n' "${hwm[@]}" | sort -n | head -1) / 1024))" "$(($(printf '%s\n' "${hwm[@]}" | sort -n | tail -1) / 1024))"
