#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The whole test suite as an unprivileged user, where folder and file
# permissions bind (they do not bind root). Run as root, it makes a throw-away
# user if there is none, copies the source into a scratch home of that user's
# and runs scripts/test.sh there, in that copy's own build/; the scratch home
# is removed afterwards. Run as anyone else, it is scripts/test.sh.
#   scripts/test-unprivileged.sh
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
[ "$(id -u)" -eq 0 ] || exec bash "$here/scripts/test.sh"

user=kvadrolab-test
made_user=0
if ! id -u "$user" >/dev/null 2>&1; then
    useradd --system --user-group --no-create-home --home-dir /nonexistent \
        --shell /usr/sbin/nologin "$user"
    made_user=1
fi
home=$(mktemp -d /tmp/kvadrolab-test-home.XXXXXX)
cleanup() {
    rm -rf --one-file-system "$home"
    [ "$made_user" = 0 ] || userdel "$user" 2>/dev/null || true
}
trap cleanup EXIT

# The sources as they are here (committed or not), without build trees.
mkdir "$home/kvadrolab"
tar -C "$here" --exclude=./.git --exclude=./build --exclude='./build-*' -cf - . |
    tar -C "$home/kvadrolab" -xf -
chown -R "$user:$user" "$home"
chmod 700 "$home"

# KVADROLAB_PERMISSIONS_BIND turns the report's permission tests from skipped
# into failed if permissions do not bind after all.
# Everything scripts/test.sh installs is there already when root has run it;
# if not, it says which apt-get command to run (the user has no sudo).
echo "The test suite as the unprivileged user $user, in $home/kvadrolab/build"
setpriv --reuid="$user" --regid="$user" --init-groups \
    env -i HOME="$home" USER="$user" LOGNAME="$user" PATH=/usr/local/bin:/usr/bin:/bin \
    KVADROLAB_PERMISSIONS_BIND=1 \
    ${CI:+CI="$CI"} bash -c 'cd "$HOME/kvadrolab" && bash scripts/test.sh' </dev/null
