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

# Fetches the source with `apt-get source`, reading source lines for the same
# archive the machine already uses from a private apt state: nothing in
# /etc/apt changes, and no root is needed for this step.
qt_win_fetch_source() {
    local work=$1 apt="$1/apt"
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/etc"
    local uris suites src
    src="$apt/etc/sources.list"
    : >"$src"
    if compgen -G "/etc/apt/sources.list.d/*.sources" >/dev/null; then
        # deb822 stanzas: the Debian archive the machine installs from.
        awk '
            /^Types:/ { t=$0 }
            /^URIs:/ { u=$2 }
            /^Suites:/ { $1=""; s=$0 }
            /^Components:/ { $1=""; c=$0 }
            /^Signed-By:/ { k=$2 }
            /^$/ { if (t ~ /deb/ && u ~ /debian/) { n=split(s, a, " "); for (i=1;i<=n;i++) printf "deb-src [signed-by=%s] %s %s%s\n", k, u, a[i], c }; t=u=s=c=k="" }
            END { if (t ~ /deb/ && u ~ /debian/) { n=split(s, a, " "); for (i=1;i<=n;i++) printf "deb-src [signed-by=%s] %s %s%s\n", k, u, a[i], c } }
        ' /etc/apt/sources.list.d/*.sources | grep -v -- '-security' >>"$src" || true
    fi
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb \(.*debian[^ ]*\) \([^ ]*\) \(.*\)$/deb-src \1 \2 \3/p' /etc/apt/sources.list |
            grep -v -- '-security' >>"$src" || true
    fi
    if [ ! -s "$src" ]; then
        echo "No Debian archive found in /etc/apt to take the qt6-base source from." >&2
        return 1
    fi
    local opts=(-o "Dir::Etc::SourceList=$src" -o "Dir::Etc::SourceParts=/dev/null"
                -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
                -o "Debug::NoLocking=1")
    apt-get "${opts[@]}" update -q
    (cd "$work" && apt-get "${opts[@]}" source -q qt6-base)
    # The host Qt and the Windows one must be the same version: moc and rcc
    # come from the host.
    if ! compgen -G "$work/qt6-base-$QT_WIN_VERSION*" >/dev/null; then
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
