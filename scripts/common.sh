# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the scripts here: installs what is missing, builds, and fetches
# Debian source packages for the Windows toolchain.
# shellcheck shell=bash

KVADROLAB_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KVADROLAB_BUILD="$KVADROLAB_ROOT/build"

# What building needs: the compiler, CMake, Qt 6 with its Russian translation
# (compiled into the program) and the fonts the windows are designed for
# (Liberation stands in for MS Sans Serif and Times New Roman).
BUILD_PACKAGES=(g++ cmake ninja-build qt6-base-dev qt6-svg-dev libgl-dev
                qt6-translations-l10n fonts-liberation2 fonts-dejavu-core
                libxsimd-dev libflint-arb-dev)

# What the test suite needs besides: an X server and its tools for the real
# window, CPack's and the desktop files' checkers, and poppler's tools that
# read the study sheet's PDF back (pdftotext, pdfimages).
TEST_PACKAGES=(xvfb xauth xdotool x11-utils dpkg-dev file desktop-file-utils appstream
               poppler-utils)

# Whether this user may run apt-get through sudo: without a password, or with
# one typed on a terminal (a session without a terminal cannot give one).
can_sudo() {
    command -v sudo >/dev/null 2>&1 || return 1
    sudo -n true 2>/dev/null && return 0
    (exec </dev/tty) 2>/dev/null || return 1
    sudo -v
}

ensure_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! can_sudo; then
            echo "scripts/$(basename "$0"): missing Debian packages, and sudo cannot install them here (none, not allowed, or no terminal for the password); as root, run: apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
            exit 1
        fi
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build() {
    cmake -S "$KVADROLAB_ROOT" -B "$KVADROLAB_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
    cmake --build "$KVADROLAB_BUILD" -j"$(nproc)"
}

# Generates the named glibc locales where they are missing (Debian's locales
# package), for programs that take their locale from LANG.
ensure_locales() {
    local missing=() l
    for l in "$@"; do
        locale -a 2>/dev/null | grep -qix "$(echo "$l" | sed 's/\.UTF-8$/.utf8/I')" ||
            missing+=("$l")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    for l in "${missing[@]}"; do
        "${sudo[@]}" sed -i "s/^# *\($l .*\)/\1/" /etc/locale.gen
        grep -q "^$l " /etc/locale.gen || echo "$l UTF-8" | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
    done
    "${sudo[@]}" locale-gen
}

# Fetches Debian source packages (the names after $1) into the directory $1
# with `apt-get source`, unpacked with Debian's patches applied. It reads
# source lines for the same archive the machine already uses from a private
# apt state: nothing in /etc/apt changes, and no root is needed for this step.
fetch_debian_source() {
    local work=$1 apt="$1/apt"
    shift
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
        echo "No Debian archive found in /etc/apt to take the source of $* from." >&2
        return 1
    fi
    local opts=(-o "Dir::Etc::SourceList=$src" -o "Dir::Etc::SourceParts=/dev/null"
                -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
                -o "Debug::NoLocking=1")
    apt-get "${opts[@]}" update -q
    (cd "$work" && apt-get "${opts[@]}" source -q "$@")
}
