#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and starts the program. Without a display
# it serves one: a private X display over VNC, on loopback only, with a
# one-time password.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
build
program="$KVADROLAB_BUILD/app/kvadrolab"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$program" "$@"
fi

ensure_packages tigervnc-standalone-server tigervnc-tools openbox dbus-daemon at-spi2-core \
    x11-utils xauth

# The first display that no X server holds, here or in another container on
# the same network (its abstract socket), and whose VNC port is free.
display_taken() {
    [ -e "/tmp/.X11-unix/X$1" ] || [ -e "/tmp/.X$1-lock" ] ||
        grep -q "@/tmp/.X11-unix/X$1\$" /proc/net/unix 2>/dev/null ||
        (exec 3<>"/dev/tcp/127.0.0.1/$((5900 + $1))") 2>/dev/null
}
display=1
while display_taken "$display"; do
    display=$((display + 1))
done
port=$((5900 + display))
workdir=$(mktemp -d)
password=$(tr -dc 'A-Za-z0-9' </dev/urandom | head -c 8 || true)
printf '%s\n' "$password" | tigervncpasswd -f >"$workdir/passwd"
chmod 600 "$workdir/passwd"

# -localhost and -interface keep the VNC port on the loopback interface;
# -nolisten tcp keeps the X server itself off the network.
Xvnc ":$display" -localhost -interface 127.0.0.1 -rfbport "$port" -nolisten tcp \
    -SecurityTypes VncAuth -PasswordFile "$workdir/passwd" \
    -geometry 1024x768 -depth 24 -desktop "Квадролаб" >"$workdir/xvnc.log" 2>&1 &
xvnc=$!
cleanup() {
    kill "$xvnc" 2>/dev/null || true
    rm -rf "$workdir"
}
trap cleanup EXIT INT TERM

for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
done
if [ ! -e "/tmp/.X11-unix/X$display" ]; then
    cat "$workdir/xvnc.log" >&2
    echo "The VNC display did not start." >&2
    exit 1
fi

cat <<MSG
No display was found, so Квадролаб is served on a private VNC display.
  Address:  localhost:$port  (VNC display :$display), reachable from this machine only
  Password: $password  (valid for this run only)
From another computer, tunnel it first:  ssh -L $port:localhost:$port <user>@<this host>
and point a VNC viewer at localhost:$port. Closing the program ends the session.
MSG

# A window manager gives the windows title bars; a D-Bus session carries the
# accessibility bus that screen readers use.
# The program starts once the window manager has taken the screen, so that its
# first window is framed like every later one.
DISPLAY=":$display" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 dbus-run-session -- bash -c '
    openbox >/dev/null 2>&1 &
    for _ in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.1
    done
    "$0" "$@"
    status=$?
    kill %1 2>/dev/null
    exit $status' "$program" "$@"
