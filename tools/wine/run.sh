#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Windows program under Wine in the private prefix and on the private X
# display that scripts/windows.sh prepares; CTest's emulator for the Windows
# build. Usage: run.sh PROGRAM.exe [ARGS...]
set -u
: "${KVADROLAB_WINEPREFIX:?run through scripts/windows.sh}"
: "${DISPLAY:?run through scripts/windows.sh}"
export WINEPREFIX="$KVADROLAB_WINEPREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
# Wine takes its user locale from LANG/LC_ALL only where that glibc locale is
# generated; an ungenerated one would silently give en-US.
loc=${LC_ALL:-${LANG:-}}
if [ -n "$loc" ] && [ "$loc" != C ] && [ "$loc" != POSIX ]; then
    want=$(echo "$loc" | sed 's/\.UTF-8$/.utf8/I')
    locale -a 2>/dev/null | grep -qix "$want" || {
        echo "run.sh: the locale $loc is not generated; Wine would fall back to en-US" >&2
        exit 1
    }
fi
exec "$wine" "$@"
