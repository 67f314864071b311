#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs the whole test suite headless.
#   scripts/test.sh              the suite on the Release build (build/)
#   scripts/test.sh --sanitize   instead, the suite under ASan + UBSan
#                                (build-sanitize/); the Release tree is not built
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

sanitize=0
for arg in "$@"; do
    case "$arg" in
        --sanitize) sanitize=1 ;;
        *) echo "usage: scripts/test.sh [--sanitize]" >&2; exit 2 ;;
    esac
done

# dpkg-dev and file: CPack's Debian package finds its library dependencies
# with them; desktop-file-utils and appstream check its desktop entry and
# metainfo (scripts/common.sh lists them all).
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

if [ "$sanitize" = 0 ]; then
    build
    # Widget tests run on the offscreen platform; each test sets its own locale.
    ctest --test-dir "$KVADROLAB_BUILD" --output-on-failure -j"$(nproc)"
else
    sbuild="$KVADROLAB_ROOT/build-sanitize"
    cmake -S "$KVADROLAB_ROOT" -B "$sbuild" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKVADROLAB_SANITIZE=ON -DKVADROLAB_BENCHMARKS=OFF
    cmake --build "$sbuild" -j"$(nproc)"
    export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
    export LSAN_OPTIONS="suppressions=$KVADROLAB_ROOT/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    # The package would carry the sanitizer runtimes; the Release suite checks it.
    ctest --test-dir "$sbuild" --output-on-failure -j"$(nproc)" -E '^packaging$'
fi
