#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages needed to build, run and test Dessiscope.
# Does nothing when everything is already present.
set -euo pipefail

PACKAGES=(
    cmake make g++ pkg-config ninja-build
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libglib2.0-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-dev clang-format
    xvfb xauth x11-utils xdotool trayer imagemagick libx11-dev
    fonts-liberation fontconfig locales
    netpbm shared-mime-info desktop-file-utils appstream libglib2.0-bin dpkg-dev file lintian openbox
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Locales the tests format dates under.
if ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf8$'; then
    echo "install-deps: generating fr_FR.UTF-8"
    $SUDO sed -i 's/^# *fr_FR.UTF-8 UTF-8/fr_FR.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^fr_FR.UTF-8 UTF-8' /etc/locale.gen || echo 'fr_FR.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi
