#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installer as a Windows user runs it, silently (/S) under Wine: the
# program, its licence and third-party notice, its Start-menu entry and the
# uninstaller are in place, and the uninstaller removes them all.
# Usage: installer.sh BUILD_DIR
set -u
build=$1
root=$(dirname "$0")/../..
runner=$root/tools/wine/run.sh
setup=$(ls "$build"/kvadrolab-*-win64-setup.exe 2>/dev/null | head -n1)
[ -n "$setup" ] || { echo "SKIP: no installer built yet (cpack -G NSIS)"; exit 77; }
drive_c="$KVADROLAB_WINEPREFIX/drive_c"
fail() { echo "FAIL: $*"; exit 1; }

"$runner" "$setup" /S || fail "the installer exited with $?"
WINEPREFIX="$KVADROLAB_WINEPREFIX" /usr/lib/wine/wineserver -w 2>/dev/null || true
dir="$drive_c/Program Files/Kvadrolab"
[ -f "$dir/kvadrolab.exe" ] || fail "kvadrolab.exe is not in Program Files"
[ -f "$dir/readme.txt" ] || fail "the readme is not installed"
[ -f "$dir/Uninstall.exe" ] || fail "no uninstaller"
# The licence and the third-party notice, as Notepad reads them: CR LF, the
# notice after a UTF-8 byte-order mark; the same texts as in the tree.
tr -d '\r' <"$dir/LICENSE.txt" | cmp -s - "$root/LICENSE" ||
    fail "LICENSE.txt is not installed, or is not the licence's text"
[ "$(head -c3 "$dir/THIRD-PARTY-NOTICES.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
    fail "THIRD-PARTY-NOTICES.txt is not installed, or has no byte-order mark"
tail -c +4 "$dir/THIRD-PARTY-NOTICES.txt" | tr -d '\r' | cmp -s - "$root/THIRD-PARTY-NOTICES.txt" ||
    fail "THIRD-PARTY-NOTICES.txt is not the notice of the tree"
menu=$(find "$drive_c" -path '*Start Menu/Programs/Квадролаб/Квадролаб.lnk' 2>/dev/null | head -n1)
[ -n "$menu" ] || fail "no Start-menu entry Квадролаб"
echo "installed: $dir, $menu"

"$runner" "$dir/Uninstall.exe" /S || fail "the uninstaller exited with $?"
# The uninstaller copies itself away and returns at once; wait for the copy.
for _ in $(seq 100); do
    [ -e "$dir/kvadrolab.exe" ] || [ -e "$menu" ] || break
    sleep 0.2
done
[ ! -e "$dir/kvadrolab.exe" ] || fail "kvadrolab.exe is left after uninstalling"
[ ! -e "$dir/LICENSE.txt" ] || fail "LICENSE.txt is left after uninstalling"
[ ! -e "$dir" ] || fail "the program folder is left after uninstalling"
[ ! -e "$menu" ] || fail "the Start-menu entry is left after uninstalling"
echo "uninstalled: nothing left"
