#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the program's chart benchmarks and the matplotlib peer one after the
# other, so that both figures come from the same machine in the same state.
#   tools/peer/compare.sh BUILD_DIR
set -e
build=${1:-build}
here=$(dirname "$0")
echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
QT_QPA_PLATFORM=offscreen "$build/bench/bench_charts" -median 9 | grep -E 'RESULT|msecs|QINFO'
"$build/bench/bench_core" -median 9 | grep -E 'RESULT|msecs'
/usr/bin/python3 "$here/chart_peer.py"
