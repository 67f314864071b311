#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the core, canvas and function-graph tests, the proof engine's
# (prooftest, benchmarksettest: the engine and the Arb, FLINT, MPFR and GMP
# it links) and the study's (studytest: any typed f through the
# rules and the proofs), on an emulated processor without AVX (qemu-user's
# Nehalem), so that an AVX instruction anywhere on the baseline path stops
# them with SIGILL. Three builds, each with only those tests:
#   build-baseline-release        the Release build
#   build-baseline-debug          the Debug build, where nothing is inlined
#   build-baseline-debug-avxfirst the Debug build with the AVX kernel objects
#                                 first on every link line
#                                 (KVADROLAB_KERNELS_FIRST, core/CMakeLists.txt),
#                                 the order in which the linker would keep a
#                                 kernel's copy of a shared inline function
# Prints one PASS or FAIL line per run and "baseline: N passed, N failed";
# exits non-zero if any run failed.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [ "$(uname -m)" != x86_64 ]; then
    echo "scripts/test-baseline.sh: checks x86-64 builds, and this machine is $(uname -m)" >&2
    exit 2
fi

ensure_packages "${BUILD_PACKAGES[@]}" qemu-user

# A processor with SSE4.2 and no AVX: what the baseline path must run on.
CPU=Nehalem
TESTS=(coretest canvastest functiongraphtest prooftest benchmarksettest studytest operationstest)
# Far above the slowest run under the emulator (the Debug graph test, 80 s;
# the Release proof tests take 7 s and 2.5 s, the Release study test 8 s).
RUN_LIMIT=600

passed=0
failed=0

# $1 tree name, then the extra configure options.
check_tree() {
    local name=$1
    shift
    local dir="$KVADROLAB_ROOT/build-baseline-$name"
    mkdir -p "$dir"
    if ! cmake -S "$KVADROLAB_ROOT" -B "$dir" -G Ninja "$@" >"$dir/baseline-build.log" 2>&1 ||
        ! cmake --build "$dir" -j"$(nproc)" --target "${TESTS[@]}" >>"$dir/baseline-build.log" 2>&1; then
        tail -n 30 "$dir/baseline-build.log" >&2
        echo "FAIL $name: the build failed (log: $dir/baseline-build.log)"
        failed=$((failed + ${#TESTS[@]}))
        return
    fi
    local runtime="$dir/baseline-runtime"
    mkdir -p "$runtime"
    chmod 700 "$runtime"
    local t log rc
    for t in "${TESTS[@]}"; do
        log="$dir/baseline-$t.log"
        rc=0
        # The same environment as the suite gives these tests (tests/CMakeLists.txt).
        # In a subshell, so that the shell's own note of a crash goes to the log.
        (env QT_QPA_PLATFORM=offscreen LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 LANGUAGE= \
            XDG_RUNTIME_DIR="$runtime" \
            timeout "$RUN_LIMIT" qemu-x86_64 -cpu "$CPU" "$dir/tests/$t") >"$log" 2>&1 || rc=$?
        if [ "$rc" -eq 0 ]; then
            echo "PASS $name $t"
            passed=$((passed + 1))
        else
            local why="exit $rc"
            [ "$rc" -eq 124 ] && why="over ${RUN_LIMIT} s"
            grep -q 'SIGILL' "$log" && why="$why, SIGILL (an illegal instruction)"
            echo "FAIL $name $t: $why (log: $log)"
            grep -E '^(FAIL!|Received signal)|illegal|SIGILL' "$log" | head -n 5 | sed 's/^/    /'
            failed=$((failed + 1))
        fi
    done
}

check_tree release -DCMAKE_BUILD_TYPE=Release -DKVADROLAB_KERNELS_FIRST=OFF
check_tree debug -DCMAKE_BUILD_TYPE=Debug -DKVADROLAB_KERNELS_FIRST=OFF
check_tree debug-avxfirst -DCMAKE_BUILD_TYPE=Debug -DKVADROLAB_KERNELS_FIRST=ON

echo "baseline: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
