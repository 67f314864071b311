#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs into a scratch root and builds the Debian package, then checks what
# each holds. Usage: packaging.sh BUILD_DIR
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr >/dev/null
installed=(usr/bin/kvadrolab usr/share/applications/kvadrolab.desktop
           usr/share/icons/hicolor/scalable/apps/kvadrolab.svg
           usr/share/metainfo/io.github.kvadrolab.metainfo.xml)
for f in "${installed[@]}"; do
    [ -f "$scratch/root/$f" ] || fail "$f is not installed"
done
[ -x "$scratch/root/usr/bin/kvadrolab" ] || fail "the program is not executable"
desktop="$scratch/root/usr/share/applications/kvadrolab.desktop"
grep -qx 'Name=Квадролаб' "$desktop" || fail "the desktop entry has no name"
# One main category (Education), so menus list the program once.
grep -qx 'Categories=Education;Math;' "$desktop" || fail "categories are not Education;Math;"
grep -q '^Comment\[ru\]=' "$desktop" || fail "no Russian comment"
# Not a hint either; scripts/test.sh installs both validators.
command -v desktop-file-validate >/dev/null || { echo "SKIP: desktop-file-utils is not installed"; exit 77; }
said=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop entry does not validate: $said"
[ -z "$said" ] || fail "desktop-file-validate: $said"
command -v appstreamcli >/dev/null || { echo "SKIP: appstream is not installed"; exit 77; }
metainfo="$scratch/root/usr/share/metainfo/io.github.kvadrolab.metainfo.xml"
said=$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1) ||
    fail "the metainfo does not validate: $said"
! echo "$said" | grep -qE '^[EW]: ' || fail "appstreamcli validate: $said"
grep -q '<launchable type="desktop-id">kvadrolab.desktop</launchable>' "$metainfo" ||
    fail "the metainfo does not name the desktop entry"

command -v dpkg-shlibdeps >/dev/null || { echo "SKIP: dpkg-dev is not installed"; exit 77; }
# CPack's shlibdeps step runs `file` on every installed file.
command -v file >/dev/null || { echo "SKIP: file is not installed"; exit 77; }
(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/pkg" >/dev/null)
deb=$(ls "$scratch"/pkg/kvadrolab_*.deb)
info=$(dpkg-deb -I "$deb")
echo "$info" | grep -E '^ (Package|Version|Depends|Installed-Size):'
for dep in libqt6widgets6 libqt6svg6 fonts-liberation2; do
    echo "$info" | grep -q "Depends:.*$dep" || fail "the package does not depend on $dep"
done
contents=$(dpkg-deb -c "$deb")
for f in "${installed[@]}"; do
    echo "$contents" | grep -q " ./$f\$" || fail "$f is not in the package"
done
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
