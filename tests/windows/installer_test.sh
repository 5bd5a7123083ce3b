#!/usr/bin/env bash
# The Windows installer as a user runs it, under Wine in a fresh prefix that has nothing else:
# silent installations for the current user and for every user, what each leaves (files, Start-menu
# shortcut, log-on entry, thumbnail handler, entry in "Apps & features"), the installed program
# started with its icon in a real tray, then silent uninstallations that leave nothing behind and
# another program's association of .dwg as it was; then updates and uninstallations over a running
# copy and over files another program holds. Also checks the portable archive's contents.
#   installer_test.sh BUILD_DIR
set -u
build=$(realpath "$1")
here=$(cd "$(dirname "$0")/../.." && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
setup=$build/Dessiscope-$version-win64-setup.exe
portable=$build/Dessiscope-$version-win64-portable.zip
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WINEPATH
# shellcheck source=../e2e/trayer-panel.sh
. "$here/tests/e2e/trayer-panel.sh"
trap end_wine_desktop EXIT
failed=0
passed=0
ok() { if "$@" >/dev/null 2>&1; then :; else echo "installer: FAILED: $step: $*"; failed=$((failed + 1)); fi; }
check() { step=$1; shift; wait_for "$@" || { echo "installer: FAILED at $step"; exit 1; }; }
regval() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }
regdefault() { wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | awk '/REG_SZ/ { sub(/.*REG_SZ +/, ""); print }'; }
has_key() { wine reg query "$1" >/dev/null 2>&1; }
no_key() { ! has_key "$1"; }
unix() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }

for f in "$setup" "$portable"; do
    [ -f "$f" ] || { echo "installer: FAILED: $f missing (make package-windows)"; exit 1; }
done
# The archive: the same files as the installer puts in place, under one folder.
step="portable archive"
python3 - "$portable" <<'PY' || failed=$((failed + 1))
import sys, zipfile
names = set(zipfile.ZipFile(sys.argv[1]).namelist())
top = sys.argv[1].rsplit("/", 1)[-1][:-4] + "/"
want = ["dessiscope.exe", "dessiscope-thumbnail.exe", "dessiscope-thumbs.dll", "Qt6Core.dll", "Qt6Gui.dll",
        "Qt6Widgets.dll", "Qt6Network.dll", "platforms/qwindows.dll", "styles/qwindowsvistastyle.dll",
        "imageformats/qgif.dll", "imageformats/qico.dll", "translations/qtbase_fr.qm", "qt.conf",
        "libstdc++-6.dll", "libgcc_s_seh-1.dll", "libwinpthread-1.dll"]
missing = [w for w in want if top + w not in names]
if missing:
    print("installer: FAILED: portable archive lacks", missing)
    sys.exit(1)
PY

start_tray_desktop
check "tray host up" 50 panel_up
wineboot --init >/dev/null 2>&1
wineserver -w

classes_key() { echo "$1\\Software\\Classes"; }
thumb_ext() { echo "$(classes_key "$1")\\$2\\ShellEx\\{e357fccd-a995-4576-b01f-234630154e96}"; }
clsid='{6F2B7C3E-8A4D-4E1B-9C5F-2D7A1E3B4C60}'
uninst='Software\Microsoft\Windows\CurrentVersion\Uninstall\Dessiscope'
run='Software\Microsoft\Windows\CurrentVersion\Run'

# Installs with the switches given, checks what an installation for HIVE (HKCU or HKLM) into DIR
# leaves, with or without drawings' thumbnails, then starts the installed program.
installed() { # HIVE DIR LINK DWG
    local hive=$1 dir=$2 link=$3 dwg=$4 d
    d=$(unix "$dir")
    for f in dessiscope.exe dessiscope-thumbnail.exe dessiscope-thumbs.dll Qt6Core.dll platforms/qwindows.dll \
        translations/qtbase_fr.qm Uninstall.exe; do
        ok test -f "$d/$f"
    done
    ok test -f "$(unix "$link")"
    ok test "$(regval "$hive\\$run" Dessiscope)" = "\"$dir\\dessiscope.exe\""
    ok test "$(regval "$hive\\$uninst" DisplayName)" = Dessiscope
    ok test "$(regval "$hive\\$uninst" DisplayVersion)" = "$version"
    ok test "$(regval "$hive\\$uninst" UninstallString)" = "\"$dir\\Uninstall.exe\""
    ok test "$(regdefault "$(classes_key "$hive")\\CLSID\\$clsid\\InprocServer32")" = "$dir\\dessiscope-thumbs.dll"
    ok test "$(regdefault "$(thumb_ext "$hive" .sld)")" = "${foreign_sld:-$clsid}"
    ok test "$(regdefault "$(thumb_ext "$hive" .slb)")" = "${foreign_slb:-$clsid}"
    if [ -n "$foreign_dwg" ]; then
        ok test "$(regdefault "$(thumb_ext "$hive" .dwg)")" = "$foreign_dwg"
    elif [ "$dwg" = yes ]; then
        ok test "$(regdefault "$(thumb_ext "$hive" .dwg)")" = "$clsid"
    else
        ok no_key "$(thumb_ext "$hive" .dwg)"
    fi
}
# Runs the installed program from the Start-menu target: its icon docks in the tray; then it ends.
runs() { # DIR
    local d
    d=$(unix "$1")
    (cd "$d" && exec wine "$1\\dessiscope.exe") >"$work/app.log" 2>&1 &
    app=$!
    step="installed program's icon in the tray"
    wait_for 600 icon_present || { echo "installer: FAILED: $step"; tail -5 "$work/app.log"; failed=$((failed + 1)); }
    kill "$app" 2>/dev/null
    wineserver -k 2>/dev/null
    wait "$app" 2>/dev/null
    app=
    wait_for 50 icon_absent
}
uninstalled() { # HIVE DIR LINK
    local hive=$1 dir=$2 link=$3
    wine "$dir\\Uninstall.exe" /S >/dev/null 2>&1
    # The uninstaller runs on from a copy of itself: wait for it.
    step="uninstall"
    wait_for 300 eval "! test -e '$(unix "$dir")'" || ok false
    wineserver -w
    ok test ! -e "$(unix "$link")"
    ok test -z "$(regval "$hive\\$run" Dessiscope)"
    ok no_key "$hive\\$uninst"
    ok no_key "$(classes_key "$hive")\\CLSID\\$clsid"
    for e in sld slb dwg; do
        local theirs
        eval "theirs=\${foreign_$e:-}"
        if [ -n "$theirs" ]; then
            ok test "$(regdefault "$(thumb_ext "$hive" ".$e")")" = "$theirs"
            # Theirs taken away again; .dwg keeps the other program's association.
            if [ "$e" = dwg ]; then
                wine reg delete "$(thumb_ext "$hive" .dwg)" /f >/dev/null 2>&1
            else
                wine reg delete "$(classes_key "$hive")\\.$e" /f >/dev/null 2>&1
            fi
        elif [ "$e" = dwg ]; then
            ok no_key "$(thumb_ext "$hive" .dwg)"
        else
            ok no_key "$(classes_key "$hive")\\.$e"
        fi
    done
}

# One installation and its removal: WHO SWITCHES HIVE DIR LINK DWG.
round() {
    local who=$1 switches=$2 hive=$3 dir=$4 link=$5 dwg=$6
    step="install for $who"
    wine "$setup" /S $switches >/dev/null 2>&1
    wineserver -w
    installed "$hive" "$dir" "$link" "$dwg"
    if [ "$hive" = HKCU ]; then
        step="nothing for every user"
        ok no_key "HKLM\\$uninst"
    fi
    runs "$dir"
    uninstalled "$hive" "$dir" "$link"
    passed=$((passed + 1))
}
winenv() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }

# Another program's thumbnail handler, registered before us, and what the silent run says of it.
foreign='{00000000-1111-2222-3333-555555555555}'
foreign_sld='' foreign_slb='' foreign_dwg=''
claimed() { # HIVE EXT
    wine reg add "$(thumb_ext "$1" "$2")" /ve /d "$foreign" /f >/dev/null 2>&1
}
told() { # TEXT
    iconv -f UTF-16LE -t UTF-8 "$(unix "$(winenv TEMP)")/Dessiscope-setup.log" 2>/dev/null | grep -qF -- "$1"
}

# 1. For the current user, as a user without administrator rights gets it.
claimed HKCU .slb
foreign_slb=$foreign
round "the current user" /CURRENTUSER HKCU "$(winenv LOCALAPPDATA)\\Programs\\Dessiscope" \
    "$(winenv APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Dessiscope.lnk" no

# 2. For every user (Wine's user is an administrator), drawings' thumbnails chosen; another CAD
# program's association of .dwg is there before and must be there after.
step="another program's .slb handler told"
ok told ".slb ($foreign)"
foreign_slb=
wine reg add 'HKLM\Software\Classes\.dwg' /ve /d OtherCAD.Drawing /f >/dev/null 2>&1
claimed HKLM .dwg
foreign_dwg=$foreign
round "every user" /DWG HKLM "$(winenv ProgramFiles)\\Dessiscope" \
    "$(winenv ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs\\Dessiscope.lnk" yes
step="another program's .dwg association"
ok test "$(regdefault 'HKLM\Software\Classes\.dwg')" = OtherCAD.Drawing
foreign_dwg=

# 3. Into a folder other programs' files share (/D=): ours goes into a Dessiscope folder in it, and
# theirs, one of them named as one of ours, are as they were after the uninstallation.
shared=$(unix 'C:\shared')
mkdir -p "$shared"
echo theirs >"$shared/Qt6Core.dll"
echo theirs >"$shared/notes.txt"
round "a shared folder" "/CURRENTUSER /D=C:\shared" HKCU 'C:\shared\Dessiscope' \
    "$(winenv APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Dessiscope.lnk" no
step="another program's files in the shared folder"
ok test "$(cat "$shared/Qt6Core.dll")" = theirs
ok test "$(cat "$shared/notes.txt")" = theirs

# Over a running copy. The tool starts at log-on, so an update finds it running: the installer and
# the uninstaller ask it to end (its quit event), wait for its files, and only then replace or
# remove them. Another program holding a file of ours makes a silent installation fail, leaving the
# installation as it was; the uninstaller then leaves that file to the next restart.
staged=$build/_CPack_Packages/win64/NSIS/Dessiscope-$version-win64-setup
holdfile=$build/bin/holdfile.exe
dir="$(winenv LOCALAPPDATA)\\Programs\\Dessiscope"
d=$(unix "$dir")
link="$(winenv APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Dessiscope.lnk"
# The installed copy marked as an earlier one: its program's bytes and its version entry differ.
mark_old() {
    printf 'earlier' >>"$d/dessiscope.exe"
    wine reg add "HKCU\\$uninst" /v DisplayVersion /d 0.0-earlier /f >/dev/null 2>&1
}
same_as_new() { cmp -s "$staged/$1" "$d/$1"; }
# Starts the installed program as log-on does; waits for its icon in the tray.
start_installed() {
    (cd "$d" && exec wine "$dir\\dessiscope.exe") >"$work/app.log" 2>&1 &
    app=$!
    wait_for 600 icon_present
}
app_ended() { ! kill -0 "$app" 2>/dev/null; }
# A copy still running after its check failed goes, so that the checks after it start clean.
end_app() { app_ended || { kill "$app" 2>/dev/null; wait "$app" 2>/dev/null; }; app=; }
# Holds FILE (a Windows path) as another program would, for up to a minute.
hold() { # FILE [--load]
    rm -f "$work/held"
    wine "$holdfile" ${2:-} "$1" "$(winepath -w "$work/held" 2>/dev/null | tr -d '\r')" 60 >"$work/hold.log" 2>&1 &
    holder=$!
    wait_for 300 test -e "$work/held"
}
let_go() { kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null; holder=; }

# 4. A silent update over the running copy: the copy ends, the new files and version are in place.
step="install before the update"
wine "$setup" /S /CURRENTUSER >/dev/null 2>&1
ok test "$?" = 0
wineserver -w
ok test -f "$d/dessiscope.exe"
mark_old
step="the installed program running"
start_installed || { echo "installer: FAILED: $step"; tail -5 "$work/app.log"; failed=$((failed + 1)); }
step="silent update over the running copy"
wine "$setup" /S /CURRENTUSER >/dev/null 2>&1
rc=$?
ok test "$rc" = 0
ok wait_for 100 app_ended
ok wait_for 100 icon_absent
ok same_as_new dessiscope.exe
ok same_as_new dessiscope-thumbs.dll
ok test "$(regval "HKCU\\$uninst" DisplayVersion)" = "$version"
end_app
step="uninstall while the program runs"
start_installed || { echo "installer: FAILED: $step: not started"; failed=$((failed + 1)); }
wine "$dir\\Uninstall.exe" /S >/dev/null 2>&1
step="the program ended by its uninstallation"
ok wait_for 300 app_ended
end_app
uninstalled HKCU "$dir" "$link"
passed=$((passed + 1))

# 5. Another program holds one of our files: the silent update fails, nothing of the installation
# replaced; once it lets go, the update goes through. Uninstalling while it holds one leaves that
# file to the next restart and says so.
step="install before the held update"
wine "$setup" /S /CURRENTUSER >/dev/null 2>&1
ok test "$?" = 0
wineserver -w
mark_old
step="a file of ours held by another program"
hold "$dir\\Qt6Network.dll" || { echo "installer: FAILED: $step"; cat "$work/hold.log"; failed=$((failed + 1)); }
rm -f "$(unix "$(winenv TEMP)")/Dessiscope-setup.log"
step="silent update while a file is held"
wine "$setup" /S /CURRENTUSER >/dev/null 2>&1
rc=$?
ok test "$rc" = 32
ok test "$(regval "HKCU\\$uninst" DisplayVersion)" = 0.0-earlier
ok test "$(tail -c 7 "$d/dessiscope.exe")" = earlier
ok told "Qt6Network.dll"
let_go
step="silent update once the file is free"
wine "$setup" /S /CURRENTUSER >/dev/null 2>&1
rc=$?
ok test "$rc" = 0
ok same_as_new dessiscope.exe
ok test "$(regval "HKCU\\$uninst" DisplayVersion)" = "$version"
step="uninstall while a file is held"
hold "$dir\\Qt6Network.dll" || ok false
# Run in place (_?=) so that its exit code is its own: 3010, files left to the restart (as 8 bits).
wine "$dir\\Uninstall.exe" /S "_?=$dir" >/dev/null 2>&1
rc=$?
ok test "$rc" = $((3010 % 256))
ok test -e "$d/Qt6Network.dll"
ok test ! -e "$d/dessiscope.exe"
ok test ! -e "$d/platforms/qwindows.dll"
ok no_key "HKCU\\$uninst"
let_go
step="the held file gone at the restart"
wineserver -w
wineboot -r >/dev/null 2>&1
wineserver -w
ok test ! -e "$d"
passed=$((passed + 1))

# 6. The shell holds the thumbnail handler loaded, as Explorer does: the update puts the new one in
# place beside it (the one in use renamed), and the uninstaller removes both.
step="install before the update with the handler loaded"
wine "$setup" /S /CURRENTUSER >/dev/null 2>&1
ok test "$?" = 0
wineserver -w
printf 'earlier' >>"$d/dessiscope-thumbs.dll"
wine reg add "HKCU\\$uninst" /v DisplayVersion /d 0.0-earlier /f >/dev/null 2>&1
step="the thumbnail handler loaded by another program"
hold "$dir\\dessiscope-thumbs.dll" --load || { echo "installer: FAILED: $step"; cat "$work/hold.log"; failed=$((failed + 1)); }
step="silent update with the handler loaded"
wine "$setup" /S /CURRENTUSER >/dev/null 2>&1
rc=$?
ok test "$rc" = 0
ok same_as_new dessiscope-thumbs.dll
ok test "$(tail -c 7 "$d/dessiscope-thumbs.dll.old")" = earlier
ok test "$(regval "HKCU\\$uninst" DisplayVersion)" = "$version"
let_go
step="uninstall after the handler was set aside"
uninstalled HKCU "$dir" "$link"
passed=$((passed + 1))

[ "$failed" = 0 ] || { echo "installer: $failed check(s) failed"; exit 1; }
echo "installer: $passed passed, 0 failed"
