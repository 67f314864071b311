#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The proof engine proves the same numbers on Windows as on Linux: the
# Windows provenvalues.exe, run under Wine, and the Linux build's
# provenvalues print the same bytes for every integrand of the set (each
# enclosure and M1..M6 as exact hexadecimal, each refusal with its place).
# Usage: provensame.sh WINDOWS_EXE LINUX_PROGRAM SET.tsv OUTDIR
set -u
win_exe=$1
linux_program=$2
set_file=$3
out=$4
runner=$(dirname "$0")/../../tools/wine/run.sh

if [ ! -x "$linux_program" ]; then
    echo "FAIL: the Linux build's provenvalues is missing: $linux_program"
    exit 1
fi
linux_out="$out/provenvalues-linux.txt"
windows_out="$out/provenvalues-windows.txt"
rm -f "$linux_out" "$windows_out"
"$linux_program" "$set_file" "$linux_out" || { echo "FAIL: the Linux run failed"; exit 1; }
"$runner" "$win_exe" "$set_file" "$windows_out" || { echo "FAIL: the Windows run failed"; exit 1; }

rows=$(($(wc -l <"$set_file") - 1))
lines=$(wc -l <"$linux_out")
# Seven lines a row: the integral and M1..M6.
if [ "$lines" -ne $((7 * rows)) ]; then
    echo "FAIL: $lines lines from the Linux run for $rows rows"
    exit 1
fi
if ! cmp -s "$linux_out" "$windows_out"; then
    echo "FAIL: Windows proves other numbers than Linux (< Linux, > Windows):"
    diff "$linux_out" "$windows_out" | head -n 40
    exit 1
fi
proven=$(grep -cE $'\t(integral|M[1-6])\t\\[' "$linux_out" || true)
refused=$(grep -c $'\trefused ' "$linux_out" || true)
echo "the same $lines lines on Windows and Linux: $proven enclosures, $refused refusals"
