# SPDX-License-Identifier: GPL-3.0-or-later
# Builds, once, the static Qt 6.4.2 for x86_64-w64-mingw32 that the Windows
# program links against, from Debian's own qt6-base source package.
# shellcheck shell=bash

QT_WIN_VERSION=6.4.2
QT_WIN_CACHE="${XDG_CACHE_HOME:-$HOME/.cache}/kvadrolab"
QT_WIN_PREFIX="$QT_WIN_CACHE/qt-$QT_WIN_VERSION-win64-static"

# A finished toolchain carries this stamp, written only after the install has
# completed; an interrupted build never has it and is started again from scratch.
qt_win_ready() {
    [ -f "$QT_WIN_PREFIX/.kvadrolab-complete" ] &&
        [ -f "$QT_WIN_PREFIX/lib/cmake/Qt6/Qt6Config.cmake" ]
}

# Debian's qt6-base source into $1; the host Qt and the Windows one must be
# the same version, since moc and rcc come from the host.
qt_win_fetch_source() {
    fetch_debian_source "$1" qt6-base
    if ! compgen -G "$1/qt6-base-$QT_WIN_VERSION*" >/dev/null; then
        echo "The archive's qt6-base is not $QT_WIN_VERSION." >&2
        return 1
    fi
}

qt_win_build() {
    qt_win_ready && return 0
    local work="$QT_WIN_CACHE/work-qt-$QT_WIN_VERSION"
    rm -rf "$work" "$QT_WIN_PREFIX"
    mkdir -p "$work"
    echo "Building the static Qt $QT_WIN_VERSION for Windows once (about an hour on 2 cores)."
    echo "  source and build: $work"
    echo "  toolchain:        $QT_WIN_PREFIX"
    qt_win_fetch_source "$work"
    local srcdir
    srcdir=$(find "$work" -maxdepth 1 -type d -name "qt6-base-*" | head -1)
    [ -n "$srcdir" ] || { echo "apt-get source gave no qt6-base directory" >&2; return 1; }
    # Tablet events need wintab.h, which Debian's source and mingw leave out;
    # OpenGL stays on (dynamic), since the windows plugin does not build without it.
    cmake -S "$srcdir" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$KVADROLAB_ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$QT_WIN_PREFIX" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DBUILD_SHARED_LIBS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
        -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_icu=OFF -DFEATURE_tabletevent=OFF \
        -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    cmake --build "$work/build" -j"$(nproc)"
    cmake --install "$work/build"
    touch "$QT_WIN_PREFIX/.kvadrolab-complete"
    rm -rf "$work"
}
