#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" xvfb xauth xdotool x11-utils dpkg-dev \
    desktop-file-utils
build
# Widget tests run on the offscreen platform; each test sets its own locale.
ctest --test-dir "$KVADROLAB_BUILD" --output-on-failure -j"$(nproc)"
