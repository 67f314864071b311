#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows program, built and tested on Debian 12: installs what is missing,
# builds once a static Qt for 64-bit Windows from Debian's qt6-base source
# and static GMP, MPFR, FLINT and Arb for the proof engine from Debian's
# sources (both kept in ~/.cache/kvadrolab), cross-compiles Квадролаб and its
# tests into build-win64/, runs the whole suite on the Windows binaries under
# Wine in both locales, and packs a zip and an installer there.
#   scripts/windows.sh              everything
#   scripts/windows.sh --no-tests   build and pack only
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$KVADROLAB_ROOT/scripts/windows-qt.sh"
source "$KVADROLAB_ROOT/scripts/windows-arb.sh"

run_tests=1
for arg in "$@"; do
    case "$arg" in
        --no-tests) run_tests=0 ;;
        *) echo "usage: scripts/windows.sh [--no-tests]" >&2; exit 2 ;;
    esac
done

WIN_BUILD="$KVADROLAB_ROOT/build-win64"

ensure_packages "${BUILD_PACKAGES[@]}" g++-mingw-w64-x86-64-posix wine64 nsis p7zip-full \
    dpkg-dev m4 xvfb xauth xdotool x11-utils locales
# Wine follows LANG only for a generated locale.
ensure_locales ru_RU.UTF-8 en_US.UTF-8

start=$(date +%s)
qt_win_build
arb_win_build
toolchain_done=$(date +%s)

# The native build supplies the tool that renders the SVG pictures, which the
# Windows build (without Qt Svg) embeds as PNGs, and the proof engine's
# numbers that the Windows suite must match (provensame).
build
cmake -S "$KVADROLAB_ROOT" -B "$WIN_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$QT_WIN_PREFIX/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$KVADROLAB_ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DKVADROLAB_SVG_RENDERER="$KVADROLAB_BUILD/tools/svgrender" \
    -DKVADROLAB_ARB_PREFIX="$ARB_WIN_PREFIX" \
    -DKVADROLAB_NATIVE_PROVENVALUES="$KVADROLAB_BUILD/tools/provenvalues" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$KVADROLAB_ROOT/tools/wine/run.sh"
cmake --build "$WIN_BUILD" -j"$(nproc)"
(cd "$WIN_BUILD" && cpack -G ZIP && cpack -G NSIS)
built=$(date +%s)

status=0
if [ "$run_tests" = 1 ]; then
    # A private Wine prefix and a private X display: nothing of the user's
    # own Wine or desktop is touched.
    export KVADROLAB_WINEPREFIX="$WIN_BUILD/wineprefix"
    display=90
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
        display=$((display + 1))
    done
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$WIN_BUILD/xvfb.log" 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null || true; WINEPREFIX="$KVADROLAB_WINEPREFIX" /usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
    export DISPLAY=":$display"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
    if [ ! -f "$KVADROLAB_WINEPREFIX/.kvadrolab-ready" ]; then
        rm -rf "$KVADROLAB_WINEPREFIX"
        (
            export WINEPREFIX="$KVADROLAB_WINEPREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
            /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
            # No window manager runs on the private display: unmanaged windows
            # spare each hide the seconds Wine waits for one to answer.
            /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
            /usr/lib/wine/wineserver -w
        )
        touch "$KVADROLAB_WINEPREFIX/.kvadrolab-ready"
    fi
    ctest --test-dir "$WIN_BUILD" --output-on-failure -j1 || status=$?
fi
finished=$(date +%s)

echo "Windows toolchain: $((toolchain_done - start)) s; build and pack: $((built - toolchain_done)) s; tests: $((finished - built)) s"
ls -l "$WIN_BUILD"/kvadrolab-*-win64.zip "$WIN_BUILD"/kvadrolab-*-win64-setup.exe
exit $status
