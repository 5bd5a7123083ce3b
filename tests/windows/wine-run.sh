#!/usr/bin/env bash
# Runs a Windows test program under Wine, in a throw-away prefix of the build's own, with the Qt and
# mingw-w64 runtime DLLs on the search path. CMake's emulator for the Windows build.
#   wine-run.sh PROGRAM.exe [ARGS...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=${DESSISCOPE_WINDOWS_BUILD:-$(pwd)}
cache=${DESSISCOPE_WINDOWS_CACHE:-$HOME/.cache/dessiscope-windows}
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winemenubuilder.exe=d"}
gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
export WINEPATH="$(winpath "$cache/qt6-mingw/bin");$(winpath "$gcc_dir");$(winpath /usr/x86_64-w64-mingw32/lib)"
# One prefix per build, made once (the first start of Wine takes a while), used by one test at a time.
# A second program in the same test (a second start beside the running one) sets
# DESSISCOPE_WINE_JOIN=1: it joins the prefix the first one holds.
if [ -z "${DESSISCOPE_WINE_JOIN:-}" ]; then
    exec 9>"$WINEPREFIX.lock"
    flock 9
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1
    wineserver -w
    # The fonts of a Windows desktop, by their metric-compatible stand-ins.
    fonts=$WINEPREFIX/drive_c/windows/Fonts
    mkdir -p "$fonts"
    cp /usr/share/fonts/truetype/liberation/*.ttf "$fonts/" 2>/dev/null || true
    for pair in "Times New Roman=Liberation Serif" "Arial=Liberation Sans" "Courier New=Liberation Mono" \
        "MS Sans Serif=Liberation Sans" "MS Shell Dlg=Liberation Sans" "MS Shell Dlg 2=Liberation Sans"; do
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
            /v "${pair%%=*}" /d "${pair#*=}" /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${pair%%=*}" /d "${pair#*=}" /f >/dev/null 2>&1
    done
    # Wine hands no QT_ variable of ours to Windows programs: the user's environment in the registry
    # gives Qt's offscreen platform (the tests') its fonts.
    wine reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /d "$(winpath /usr/share/fonts/truetype/liberation)" \
        /f >/dev/null 2>&1
    wineserver -w
fi
wine "$@"
status=$?
exit $status
