#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 30).
#   scripts/fuzz.sh [SECONDS]
# Each target starts from its committed seeds in fuzz/corpus/ and keeps what it
# learns in build-fuzz/corpus/; a finding is written to build-fuzz/ and fails.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
seconds=${1:-30}

ensure_packages "${BUILD_PACKAGES[@]}" clang-14 libclang-rt-14-dev
fbuild="$KVADROLAB_ROOT/build-fuzz"
CC=clang-14 CXX=clang++-14 cmake -S "$KVADROLAB_ROOT" -B "$fbuild" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVADROLAB_FUZZ=ON -DBUILD_TESTING=OFF \
    -DKVADROLAB_BENCHMARKS=OFF
cmake --build "$fbuild" -j"$(nproc)" --target $(cd "$KVADROLAB_ROOT/fuzz/corpus" && ls | sed 's/^/fuzz_/')

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$KVADROLAB_ROOT/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen
failed=0
passed=0
for seeds in "$KVADROLAB_ROOT"/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    work="$fbuild/corpus/$target"
    mkdir -p "$work"
    echo "== fuzz_$target for ${seconds}s"
    log="$fbuild/fuzz_$target.log"
    status=0
    (cd "$fbuild" && "./fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$fbuild/crash-$target-" "$work" "$seeds") >"$log" 2>&1 || status=$?
    grep -E '^(stat::number_of_executed_units|stat::new_units_added|==[0-9]+==|SUMMARY|Done)' "$log" || true
    if [ "$status" != 0 ]; then
        grep -E -A30 'ERROR|runtime error' "$log" | head -60
        echo "fuzz_$target found a failure (status $status); input saved as $fbuild/crash-$target-*"
        failed=$((failed + 1))
    else
        passed=$((passed + 1))
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" = 0 ]
