#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program in a real X window, the path the offscreen tests skip: start it
# under Xvfb on Qt's xcb platform, wait for "Главная" to map, check its size,
# and end it with "Выход" from the keyboard. Usage: realwindow.sh PROGRAM
set -euo pipefail
program=$1
for tool in xvfb-run xdotool xwininfo; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

# The window is found by its Russian title, which xdotool matches only under a
# UTF-8 locale: set one here, whatever the machine's is (a fresh container has
# none, and then the POSIX locale matches no Cyrillic title).
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset LANGUAGE

# No session bus either, whatever the machine has: where none is named, Qt's
# accessibility bridge makes libdbus try to start one through dbus-launch,
# which leaks memory where that fails (the sanitizer run stops on it) and
# leaves a daemon behind where it works. A bus that is not there is neither.
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/kvadrolab-realwindow-bus

export PROGRAM="$program"
# -a takes the first display from a random start on, so that runs beside
# another X server on the same network (another container) seldom meet it.
exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24 -nolisten tcp" bash -c '
    set -u
    QT_QPA_PLATFORM=xcb "$PROGRAM" &
    pid=$!
    wid=""
    for _ in $(seq 100); do
        wid=$(xdotool search --onlyvisible --name "^Главная$" 2>/dev/null | head -n1 || true)
        [ -n "$wid" ] && break
        sleep 0.05
    done
    if [ -z "$wid" ]; then echo "FAIL: Главная did not map"; kill $pid; exit 1; fi
    width=$(xwininfo -id "$wid" | sed -n "s/^ *Width: //p")
    height=$(xwininfo -id "$wid" | sed -n "s/^ *Height: //p")
    echo "Главная mapped: ${width}x${height}"
    # 546 x 428 client area under a menu bar one text line high.
    if [ "$width" -ne 546 ] || [ "$height" -lt 440 ] || [ "$height" -gt 480 ]; then
        echo "FAIL: unexpected window size"; kill $pid; exit 1
    fi
    # "Выход" has the keyboard focus when the window opens.
    xdotool windowfocus --sync "$wid" key space
    for _ in $(seq 60); do
        kill -0 $pid 2>/dev/null || break
        sleep 0.05
    done
    if kill -0 $pid 2>/dev/null; then echo "FAIL: Выход did not end the program"; kill $pid; exit 1; fi
    wait $pid
    status=$?
    echo "ended with status $status"
    exit $status'
