#!/usr/bin/env bash
# Installs into a scratch root and builds the Debian package, then checks what
# each holds. Usage: packaging.sh BUILD_DIR
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr >/dev/null
for f in usr/bin/kvadrolab usr/share/applications/kvadrolab.desktop \
         usr/share/icons/hicolor/scalable/apps/kvadrolab.svg; do
    [ -f "$scratch/root/$f" ] || fail "$f is not installed"
done
[ -x "$scratch/root/usr/bin/kvadrolab" ] || fail "the program is not executable"
desktop="$scratch/root/usr/share/applications/kvadrolab.desktop"
grep -qx 'Name=Квадролаб' "$desktop" || fail "the desktop entry has no name"
grep -q '^Categories=.*Education;.*Math;' "$desktop" || fail "categories are missing"
grep -q '^Comment\[ru\]=' "$desktop" || fail "no Russian comment"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop entry does not validate"
fi

command -v dpkg-shlibdeps >/dev/null || { echo "SKIP: dpkg-dev is not installed"; exit 77; }
(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/pkg" >/dev/null)
deb=$(ls "$scratch"/pkg/kvadrolab_*.deb)
info=$(dpkg-deb -I "$deb")
echo "$info" | grep -E '^ (Package|Version|Depends|Installed-Size):'
for dep in libqt6widgets6 libqt6svg6 fonts-liberation2; do
    echo "$info" | grep -q "Depends:.*$dep" || fail "the package does not depend on $dep"
done
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/kvadrolab ./usr/share/applications/kvadrolab.desktop \
         ./usr/share/icons/hicolor/scalable/apps/kvadrolab.svg; do
    echo "$contents" | grep -q " $f\$" || fail "$f is not in the package"
done
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
