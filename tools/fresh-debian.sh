#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The README's commands on a truly fresh Debian 12. Takes a minimal root
# (debootstrap --variant=minbase bookworm from the Debian archive), clones this
# repository's committed HEAD into it, and runs there, with no LANG set and no
# terminal:
#   root "as-root":  scripts/test.sh, then scripts/run.sh, as root;
#   root "as-user":  a user "learner" without sudo: scripts/test.sh must stop
#                    with one line naming the apt-get command to run as root;
#                    the same once sudo is installed but wants a password;
#                    then, with password-less sudo, scripts/run.sh and
#                    scripts/test.sh.
# With --ci only the second root runs, and scripts/test.sh comes before
# scripts/run.sh, so that the test command is the first to meet the bare root:
# a package missing from the scripts' lists fails it. The user's permission
# tests bind there (KVADROLAB_PERMISSIONS_BIND), as they do not for root.
# With --windows the user with sudo then runs scripts/windows.sh --no-tests
# (its first run builds the static Qt for Windows: over an hour), which checks
# that the Windows build's host packages are all in its lists: do it before
# each Windows release, since CI does not.
# scripts/run.sh runs under a time limit; once it has printed its address, the
# VNC port must listen on the loopback interface only and the program must be
# running; the program is then ended and the session must end with it.
#
# The debootstrap result is kept, untouched, as a tarball in
# ~/.cache/kvadrolab/ (rebuilt when older than 30 days). Each run unpacks a
# new copy and first checks that its package list is the one debootstrap
# made, so nothing a run installed can reach the next.
#
# Usage (as root, on Debian or Ubuntu, with the Debian archive reachable; it
# takes minutes):  tools/fresh-debian.sh [--ci] [--windows] [--keep] [WORKDIR]
# WORKDIR defaults to a new folder under /var/tmp, removed at the end unless
# --keep. Prints one PASS or FAIL line per check and ends with a count.
set -uo pipefail

# All in one function: bash reads it whole before running it, so editing this
# file while it runs (it takes minutes) cannot change what it does.
main() {
keep=0
ci=0
windows=0
work=""
for arg in "$@"; do
    case "$arg" in
        --keep) keep=1 ;;
        --ci) ci=1 ;;
        -*) echo "usage: tools/fresh-debian.sh [--ci] [--windows] [--keep] [WORKDIR]" >&2; exit 2 ;;
        *) work=$arg ;;
    esac
done
[ "$(id -u)" -eq 0 ] || { echo "fresh-debian.sh: run it as root (debootstrap, chroot, mount)" >&2; exit 2; }

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
mirror=http://deb.debian.org/debian
limit=1800 # seconds for one command: packages, the build and the run
cache="${XDG_CACHE_HOME:-$HOME/.cache}/kvadrolab"
pristine="$cache/bookworm-minbase.tar"
for tool in debootstrap git; do
    command -v "$tool" >/dev/null || {
        echo "Installing $tool"
        apt-get update -q >/dev/null && apt-get install -y -q --no-install-recommends "$tool" >/dev/null
    } || { echo "fresh-debian.sh: $tool is missing and could not be installed" >&2; exit 2; }
done

[ -n "$work" ] || work=$(mktemp -d /var/tmp/kvadrolab-fresh.XXXXXX)
mkdir -p "$work"
work=$(cd "$work" && pwd)
echo "Work folder: $work (logs: $work/*.log)"

passed=0
failed=0
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }

mounted=()
mount_root() {
    local r=$1
    cp /etc/resolv.conf "$r/etc/resolv.conf"
    mount -t proc proc "$r/proc" && mounted+=("$r/proc")
    mount -t sysfs sysfs "$r/sys" && mounted+=("$r/sys")
    mount --bind /dev "$r/dev" && mounted+=("$r/dev")
    mount --bind /dev/pts "$r/dev/pts" && mounted+=("$r/dev/pts")
    mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs "$r/dev/shm" && mounted+=("$r/dev/shm")
}

# Processes whose root is the given folder, by id.
processes_in() {
    local r=$1 p
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" = "$r" ] && echo "${p#/proc/}"
    done
}

unmount_root() {
    local r=$1 i pids
    pids=$(processes_in "$r")
    # shellcheck disable=SC2086,SC2046
    [ -n "$pids" ] && { kill $pids 2>/dev/null; sleep 2; kill -9 $(processes_in "$r") 2>/dev/null; }
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        case "${mounted[i]}" in
            "$r"/*) umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"
                    unset 'mounted[i]' ;;
        esac
    done
    mounted=("${mounted[@]}")
}

cleanup() {
    local r
    for r in "$work/as-root" "$work/as-user"; do
        [ -d "$r" ] && unmount_root "$r"
    done
    if [ "$keep" = 0 ]; then
        # Never remove a root that still has something mounted in it.
        if grep -q " $work/" /proc/self/mounts; then
            echo "Left $work in place: something is still mounted in it" >&2
        else
            rm -rf --one-file-system "$work"
        fi
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Runs a command line in a root, as root or as learner, in a new session with
# no terminal, no standard input and no LANG; its output goes to a log.
in_root() { # ROOT USER LOG COMMAND
    local r=$1 user=$2 log=$3 cmd=$4 home=/root path=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
    local as=()
    if [ "$user" != root ]; then
        home=/home/$user
        path=/usr/local/bin:/usr/bin:/bin
        as=(setpriv --reuid="$user" --regid="$user" --init-groups)
    fi
    setsid -w timeout -k 10 "$limit" chroot "$r" "${as[@]}" \
        env -i HOME="$home" USER="$user" LOGNAME="$user" PATH="$path" TERM=dumb \
        ${bind:+KVADROLAB_PERMISSIONS_BIND=1} \
        bash -c "cd ~/kvadrolab && $cmd" </dev/null >>"$log" 2>&1
}

# The VNC session of scripts/run.sh: loopback only, the program running, and
# over when the program ends.
check_run() { # ROOT USER LABEL
    local r=$1 user=$2 label=$3 log="$work/$3-run.log" runner port hexport program="" i
    in_root "$r" "$user" "$log" "scripts/run.sh" &
    runner=$!
    for ((i = 0; i < limit; i++)); do
        grep -q '^  Address:' "$log" 2>/dev/null && break
        kill -0 "$runner" 2>/dev/null || break
        sleep 1
    done
    port=$(sed -n 's/^  Address:  localhost:\([0-9]*\).*/\1/p' "$log")
    if [ -z "$port" ]; then
        wait "$runner"
        fail "$label: scripts/run.sh served no VNC address (status $?; see $log)"
        return
    fi
    for ((i = 0; i < 120; i++)); do
        for p in $(processes_in "$r"); do
            case "$(readlink "/proc/$p/exe" 2>/dev/null)" in
                */build/app/kvadrolab) program=$p ;;
            esac
        done
        [ -n "$program" ] && break
        sleep 0.5
    done
    sleep 3
    # What ss lists, read from the same kernel table inside the root: every
    # listening socket on the VNC port, as address:port in hex.
    hexport=$(printf '%04X' "$port")
    local listening
    listening=$(chroot "$r" awk -v port="$hexport" \
        'FNR > 1 && $4 == "0A" { n = split($2, a, ":"); if (a[n] == port) print a[1] }' \
        /proc/net/tcp /proc/net/tcp6 | sort -u)
    echo "$label: listening on port $port: $(echo "$listening" | sed \
        -e 's/^0100007F$/127.0.0.1/' -e 's/^00000000000000000000000001000000$/::1/' | tr '\n' ' ')" >>"$log"
    if [ -z "$listening" ]; then
        fail "$label: nothing listens on the VNC port $port"
    elif echo "$listening" | grep -qvxE '0100007F|00000000000000000000000001000000'; then
        fail "$label: the VNC port $port listens beyond loopback: $listening"
    else
        pass "$label: scripts/run.sh serves VNC on loopback only (port $port: $(echo "$listening" | sed \
            -e 's/^0100007F$/127.0.0.1/' -e 's/^00000000000000000000000001000000$/::1/' | paste -sd' '))"
    fi
    if [ -n "$program" ] && kill -0 "$program" 2>/dev/null; then
        pass "$label: the program runs in the VNC session"
        kill "$program"
    else
        fail "$label: the program is not running (see $log)"
    fi
    for ((i = 0; i < 30; i++)); do
        kill -0 "$runner" 2>/dev/null || break
        sleep 1
    done
    for ((i = 0; i < 20; i++)); do
        [ -z "$(processes_in "$r")" ] && break
        sleep 0.5
    done
    if kill -0 "$runner" 2>/dev/null; then
        fail "$label: the session did not end with the program"
        kill "$runner" 2>/dev/null
    elif [ -n "$(processes_in "$r")" ]; then
        fail "$label: processes were left behind: $(for p in $(processes_in "$r"); do
            cat "/proc/$p/comm"; done 2>/dev/null | paste -sd' ')"
    else
        pass "$label: the session ended with the program, nothing left running"
    fi
    wait "$runner" 2>/dev/null
}

# scripts/test.sh must pass with no test skipped but the full-disk ones (every
# test named *_fulldisk):
# inside a chroot no user namespace can be made for their small file system
# (they run on the host, in the sanitizer suite).
check_test() { # ROOT USER LABEL
    local r=$1 user=$2 label=$3 log="$work/$3-test.log" skipped
    if in_root "$r" "$user" "$log" "scripts/test.sh"; then
        pass "$label: scripts/test.sh ($(grep -E 'tests passed' "$log" | tail -n1))"
    else
        fail "$label: scripts/test.sh ($(grep -E 'tests passed|tests failed' "$log" | tail -n1); see $log)"
        grep -E '^[[:space:]]+[0-9]+ - .*\((Failed|Timeout|SEGFAULT|Subprocess|Not Run)' "$log" |
            sed 's/^[[:space:]]*/      /'
    fi
    skipped=$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (Skipped)$/\1/p' "$log" | paste -sd' ')
    if [ -n "$skipped" ]; then
        echo "      skipped: $skipped"
        if [ -n "$(echo "$skipped" | tr ' ' '\n' | grep -vxE '[a-z]+_fulldisk')" ]; then
            fail "$label: tests were skipped that a fresh machine must run: $skipped"
        fi
    fi
}

# Expects scripts/test.sh to stop at once with the one line about apt-get.
check_refusal() { # ROOT LABEL
    local r=$1 label=$2 log="$work/$2-refusal.log" status lines
    : >"$log"
    in_root "$r" learner "$log" "scripts/test.sh"
    status=$?
    lines=$(grep -c 'as root, run: apt-get' "$log")
    if [ "$status" -ne 0 ] && [ "$lines" = 1 ] && ! grep -q 'command not found' "$log"; then
        pass "$label: stops with: $(grep 'as root, run: apt-get' "$log" | cut -c1-110)..."
    else
        fail "$label: status $status, no single apt-get line (see $log)"
        sed 's/^/      /' "$log" | head -n 5
    fi
}

# The pristine root: made once by debootstrap and kept as a tarball with the
# package list it was made with beside it. Written under temporary names and
# renamed only once whole, so an interrupted run never leaves a half root to
# be taken for a whole one.
packages_of() { # ROOT
    chroot "$1" dpkg-query -W -f='${Package} ${Version} ${db:Status-Abbrev}\n' | sort
}
if [ -f "$pristine" ] && [ -f "$pristine.packages" ] &&
   [ -z "$(find "$pristine" -mtime +30)" ]; then
    echo "Pristine root: $pristine ($(date -r "$pristine" '+%F'))"
else
    echo "debootstrap --variant=minbase bookworm from $mirror"
    base="$work/base"
    if ! debootstrap --variant=minbase bookworm "$base" "$mirror" >"$work/debootstrap.log" 2>&1; then
        tail -n 20 "$work/debootstrap.log"
        echo "FAIL: debootstrap"
        exit 1
    fi
    mkdir -p "$cache"
    packages_of "$base" >"$pristine.packages.new"
    tar -C "$base" --numeric-owner -cf "$pristine.new" .
    rm -rf --one-file-system "$base"
    mv "$pristine.packages.new" "$pristine.packages"
    mv "$pristine.new" "$pristine"
fi

# A new copy of the pristine root, checked against the list it was made with.
unpack_root() { # ROOT
    local r=$1
    mkdir -p "$r"
    tar -C "$r" --numeric-owner -xf "$pristine" || { echo "FAIL: unpacking $pristine"; exit 1; }
    if ! packages_of "$r" | cmp -s - "$pristine.packages"; then
        echo "FAIL: $pristine is not the root debootstrap made (its package list differs); remove it to make a new one"
        exit 1
    fi
    git -c safe.directory='*' clone -q --no-hardlinks "$repo" "$r/root/kvadrolab"
}

echo "Cloned $(git -C "$repo" -c safe.directory='*' log -1 --format='%h %s' | cut -c1-80)"

if [ "$ci" = 0 ]; then
    # As root, no LANG.
    r="$work/as-root"
    unpack_root "$r"
    mount_root "$r"
    check_test "$r" root "root"
    check_run "$r" root "root"
    unmount_root "$r"
    rm -rf --one-file-system "$r"
fi

# As an ordinary user.
r="$work/as-user"
unpack_root "$r"
mount_root "$r"
chroot "$r" useradd -m -s /bin/bash learner
mv "$r/root/kvadrolab" "$r/home/learner/kvadrolab"
chroot "$r" chown -R learner:learner /home/learner/kvadrolab
check_refusal "$r" "user without sudo"
chroot "$r" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
    bash -c 'apt-get update -q && apt-get install -y -q --no-install-recommends sudo' \
    >"$work/sudo-install.log" 2>&1 || fail "installing sudo (see $work/sudo-install.log)"
chroot "$r" usermod -aG sudo learner
echo 'learner:fresh-debian' | chroot "$r" chpasswd
check_refusal "$r" "user with sudo but no terminal for its password"
echo 'learner ALL=(ALL:ALL) NOPASSWD: ALL' >"$r/etc/sudoers.d/learner"
chmod 440 "$r/etc/sudoers.d/learner"
if [ "$ci" = 1 ]; then
    bind=1 check_test "$r" learner "user with sudo"
    check_run "$r" learner "user with sudo"
else
    check_run "$r" learner "user with sudo"
    bind=1 check_test "$r" learner "user with sudo"
fi
if [ "$windows" = 1 ]; then
    log="$work/windows.log"
    if limit=14400 in_root "$r" learner "$log" "scripts/windows.sh --no-tests"; then
        pass "user with sudo: scripts/windows.sh --no-tests ($(grep '^Windows toolchain' "$log"))"
    else
        fail "user with sudo: scripts/windows.sh --no-tests (see $log)"
        tail -n 15 "$log" | sed 's/^/      /'
    fi
fi
unmount_root "$r"

echo "fresh-debian: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
}

main "$@"
