# Shared by run.sh and test.sh: installs what is missing and builds.
# shellcheck shell=bash

KVADROLAB_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KVADROLAB_BUILD="$KVADROLAB_ROOT/build"

# What building needs: the compiler, CMake, Qt 6 and the fonts the windows are
# designed for (Liberation stands in for MS Sans Serif and Times New Roman).
BUILD_PACKAGES=(g++ cmake ninja-build qt6-base-dev qt6-svg-dev libgl-dev
                fonts-liberation2 fonts-dejavu-core)

ensure_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build() {
    cmake -S "$KVADROLAB_ROOT" -B "$KVADROLAB_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
    cmake --build "$KVADROLAB_BUILD" -j"$(nproc)"
}
