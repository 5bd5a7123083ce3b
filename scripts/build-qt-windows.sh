#!/usr/bin/env bash
# What the Windows build links, cross-built with mingw-w64 into a cache folder outside the checkout
# and reused when present:
#   - Qt 6.4.2 qtbase (Core, Gui, Widgets, Network) from Debian's own qt6-base source package, the
#     version of Debian's host tools (moc, rcc, uic), which a cross build needs. A copy built this way
#     in ../shared/toolchains is unpacked instead when its SHA-256 matches the .sha256 beside it.
#   - zlib and libspng, from their Debian source packages.
#   scripts/build-qt-windows.sh [CACHE]     (default: $DESSISCOPE_WINDOWS_CACHE or ~/.cache/dessiscope-windows)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cache=${1:-${DESSISCOPE_WINDOWS_CACHE:-$HOME/.cache/dessiscope-windows}}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
qt=$cache/qt6-mingw
deps=$cache/deps
toolchain=$here/cmake/mingw-w64.cmake
log() { echo "build-qt-windows: $*"; }

# Debian source packages, through a sources list and package lists of our own: the system's apt
# configuration is neither read for sources nor changed.
fetch_source() { # PACKAGE DIR
    local work=$cache/apt
    mkdir -p "$work/lists/partial" "$work/parts"
    if [ ! -f "$work/parts/debian-src.sources" ]; then
        local uri
        uri=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
        [ -n "$uri" ] || uri=http://deb.debian.org/debian
        printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
            "$uri" >"$work/parts/debian-src.sources"
        apt-get -qq -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$work/parts" \
            -o Dir::State::Lists="$work/lists" update
    fi
    mkdir -p "$2"
    (cd "$2" && apt-get -qq -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$work/parts" \
        -o Dir::State::Lists="$work/lists" source "$1" 2>&1 | grep -v '^W: Download is performed unsandboxed' || true)
}

# Qt.
if [ -f "$qt/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    log "Qt for Windows already in $qt"
else
    shared=$here/../shared/toolchains/qt-6.4.2-mingw-w64-x86_64.tar.xz
    if [ -f "$shared" ] && [ -f "$shared.sha256" ] &&
        [ "$(sha256sum "$shared" | cut -d' ' -f1)" = "$(awk '{print $1}' "$shared.sha256")" ]; then
        log "unpacking the prebuilt Qt for Windows from $shared"
        tar -xJf "$shared" -C "$cache"
    else
        log "building Qt 6.4.2 for Windows from Debian's qt6-base source: about 45 minutes on 2 cores"
        src=$cache/src/qt
        fetch_source qt6-base "$src"
        qtsrc=$(find "$src" -maxdepth 1 -type d -name 'qt6-base-*' | head -1)
        cmake -G Ninja -S "$qtsrc" -B "$cache/build/qt" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
            -DCMAKE_INSTALL_PREFIX="$qt" -DCMAKE_BUILD_TYPE=Release \
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DBUILD_SHARED_LIBS=ON \
            -DFEATURE_sql=OFF -DFEATURE_printsupport=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF \
            -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_openssl=OFF \
            -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF \
            -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
            -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
            -DFEATURE_system_doubleconversion=OFF
        # Ninja's own progress lines, one in fifty, so a long build shows it is alive.
        cmake --build "$cache/build/qt" --parallel "$(nproc)" | awk 'NR % 50 == 1 {print "build-qt-windows: " $1; fflush()}'
        cmake --install "$cache/build/qt" >/dev/null
        rm -rf "$cache/build/qt" "$src"
    fi
fi

# zlib and libspng, static, for the readers.
if [ -f "$deps/lib/libspng_static.a" ] && [ -f "$deps/lib/libzlibstatic.a" ]; then
    log "zlib and libspng for Windows already in $deps"
else
    src=$cache/src/deps
    rm -rf "$src"
    fetch_source zlib "$src"
    fetch_source libspng "$src"
    zsrc=$(find "$src" -maxdepth 1 -type d -name 'zlib-*' | head -1)
    ssrc=$(find "$src" -maxdepth 1 -type d -name 'libspng-*' | head -1)
    log "building zlib from $(basename "$zsrc")"
    cmake -G Ninja -S "$zsrc" -B "$cache/build/zlib" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" >/dev/null
    cmake --build "$cache/build/zlib" --target zlibstatic >/dev/null
    mkdir -p "$deps/lib" "$deps/include"
    cp "$cache/build/zlib/libzlibstatic.a" "$deps/lib/"
    cp "$zsrc/zlib.h" "$cache/build/zlib/zconf.h" "$deps/include/"
    log "building libspng from $(basename "$ssrc")"
    # One C file: compiled directly (its CMake file cannot make the static library alone).
    mkdir -p "$cache/build/spng"
    x86_64-w64-mingw32-gcc-posix -O2 -DSPNG_STATIC -I"$deps/include" -c "$ssrc/spng/spng.c" \
        -o "$cache/build/spng/spng.o"
    x86_64-w64-mingw32-ar rcs "$deps/lib/libspng_static.a" "$cache/build/spng/spng.o"
    cp "$ssrc/spng/spng.h" "$deps/include/"
    rm -rf "$cache/build/zlib" "$cache/build/spng" "$src"
fi
log "ready: Qt in $qt, zlib and libspng in $deps"
