#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages Dessiscope needs; does nothing when they are all there.
#   install-deps.sh run    what building and running the program needs
#   install-deps.sh test   that, plus what the tests, benchmarks and fuzzers need (the default)
#   install-deps.sh windows  what the Windows build and its tests under Wine need
set -euo pipefail
what=${1:-test}

RUN_PACKAGES=(
    cmake make g++ pkg-config ninja-build
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n qt6-qpa-plugins qt6-wayland libglib2.0-dev libspng-dev
    fonts-liberation fontconfig
)
TEST_PACKAGES=(
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-dev clang-format
    xvfb xauth x11-utils xdotool trayer imagemagick libx11-dev openbox
    locales netpbm shared-mime-info desktop-file-utils appstream libglib2.0-bin dpkg-dev file lintian time
    dbus-daemon weston at-spi2-core python3-pil
)
# The Windows build: the cross compiler, Wine to run its tests, what the Qt cross build needs, and
# NSIS for the installer.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 xz-utils dpkg-dev nsis qt6-translations-l10n)
case $what in
run) wanted=("${RUN_PACKAGES[@]}") ;;
test) wanted=("${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
windows) wanted=("${WINDOWS_PACKAGES[@]}") ;;
*) echo "usage: install-deps.sh [run|test|windows]" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
need_locale=0
if [ "$what" = test ] && ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf8$'; then
    need_locale=1
fi
[ ${#missing[@]} -eq 0 ] && [ $need_locale = 0 ] && exit 0

# As root, or through sudo; otherwise say once what to do.
if [ "$(id -u)" -eq 0 ]; then
    as_root=(env DEBIAN_FRONTEND=noninteractive)
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo env DEBIAN_FRONTEND=noninteractive)
else
    todo=""
    [ ${#missing[@]} -gt 0 ] && todo="apt-get install ${missing[*]}"
    [ $need_locale = 1 ] && todo="${todo:+$todo, then }enable fr_FR.UTF-8 in /etc/locale.gen and run locale-gen"
    echo "install-deps: some packages are missing and neither root nor sudo is at hand; as root, run: $todo" >&2
    exit 1
fi

if [ ${#missing[@]} -gt 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    "${as_root[@]}" apt-get update -qq
    "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The tests format dates under a French locale.
if [ $need_locale = 1 ]; then
    echo "install-deps: generating fr_FR.UTF-8"
    "${as_root[@]}" sed -i 's/^# *fr_FR.UTF-8 UTF-8/fr_FR.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^fr_FR.UTF-8 UTF-8' /etc/locale.gen || echo 'fr_FR.UTF-8 UTF-8' | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
    "${as_root[@]}" locale-gen >/dev/null
fi
