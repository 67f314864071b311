#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# kvadrolab.exe as a Windows user starts it: under Wine on Qt's windows
# platform, wait for "Главная" to map, and end it with "Выход" from the
# keyboard. Usage: smoke.sh KVADROLAB_EXE
set -u
exe=$1
runner=$(dirname "$0")/../../tools/wine/run.sh
command -v xdotool >/dev/null || { echo "SKIP: xdotool is not installed"; exit 77; }
# Window titles are UTF-8 for xdotool's pattern only under a UTF-8 locale.
export LC_ALL=ru_RU.UTF-8 LANG=ru_RU.UTF-8

"$runner" "$exe" &
pid=$!
wid=""
for _ in $(seq 300); do
    wid=$(xdotool search --onlyvisible --name "^Главная$" 2>/dev/null | head -n1 || true)
    [ -n "$wid" ] && break
    sleep 0.1
done
if [ -z "$wid" ]; then echo "FAIL: Главная did not map"; kill $pid; exit 1; fi
echo "Главная mapped"
# "Выход" has the keyboard focus when the window opens. No window manager
# runs here, so the test gives the window the X focus itself; the key goes
# through XTEST, as a real keyboard's would (Wine ignores synthetic events).
xdotool windowfocus --sync "$wid"
xdotool key space
for _ in $(seq 100); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
done
if kill -0 $pid 2>/dev/null; then echo "FAIL: Выход did not end the program"; kill $pid; exit 1; fi
wait $pid
status=$?
echo "ended with status $status"
exit $status
