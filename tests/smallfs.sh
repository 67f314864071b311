#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test with KVADROLAB_SMALL_FS naming a tiny file system of its own: an
# 8 KiB tmpfs mounted in a private mount namespace of an unprivileged user
# namespace, so a full disk is real and nothing on the machine is touched.
# Usage: smallfs.sh TEST_BINARY [TEST_ARGS...]
set -u
unshare -rm true 2>/dev/null || { echo "SKIP: no user namespaces here"; exit 77; }
exec unshare -rm bash -c '
    dir=$(mktemp -d) &&
    mount -t tmpfs -o size=8k,mode=0700 tmpfs "$dir" &&
    KVADROLAB_SMALL_FS="$dir" "$@"' bash "$@"
