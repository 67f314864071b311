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
           usr/share/metainfo/io.github.kvadrolab.metainfo.xml
           usr/share/doc/kvadrolab/copyright usr/share/doc/kvadrolab/THIRD-PARTY-NOTICES.txt)
for f in "${installed[@]}"; do
    [ -f "$scratch/root/$f" ] || fail "$f is not installed"
done
[ -x "$scratch/root/usr/bin/kvadrolab" ] || fail "the program is not executable"
desktop="$scratch/root/usr/share/applications/kvadrolab.desktop"
grep -qx 'Name=Квадролаб' "$desktop" || fail "the desktop entry has no name"
# One main category (Education), so menus list the program once.
grep -qx 'Categories=Education;Math;' "$desktop" || fail "categories are not Education;Math;"
grep -q '^Comment\[ru\]=' "$desktop" || fail "no Russian comment"
grep -q '<project_license>GPL-3.0-or-later</project_license>' \
    "$scratch/root/usr/share/metainfo/io.github.kvadrolab.metainfo.xml" ||
    fail "the metainfo does not give the licence as GPL-3.0-or-later"

# The copyright file in Debian's machine-readable format: the program under
# GPL-3.0-or-later, and every licence that a Files paragraph names spelt out
# in a License paragraph of its own.
copyright="$scratch/root/usr/share/doc/kvadrolab/copyright"
head -n1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not in the machine-readable format"
said=$(awk 'BEGIN { RS = ""; FS = "\n" }
    $1 ~ /^Files: / {
        for (i = 2; i <= NF; i++) if ($i ~ /^License: /) { used[substr($i, 10)] = 1; if ($1 == "Files: *") main = substr($i, 10) }
    }
    $1 ~ /^License: / && NF > 1 { text[substr($1, 10)] = 1 }
    END {
        if (main != "GPL-3.0-or-later") print "the program is licensed as \"" main "\""
        for (l in used) {
            n = split(l, part, / (and|or) /)
            for (i = 1; i <= n; i++) if (!(part[i] in text)) print "no text for the licence " part[i]
        }
    }' "$copyright")
[ -z "$said" ] || fail "copyright file: $said"
# What the build compiles in from Debian's packages is named in both files with
# the source package and version it came from on this machine.
notice="$scratch/root/usr/share/doc/kvadrolab/THIRD-PARTY-NOTICES.txt"
for pkg in libxsimd-dev qt6-translations-l10n; do
    src=$(dpkg-query -W -f='${source:Package} ${source:Version}' "$pkg") || fail "$pkg is not installed"
    name=${src% *} version=${src#* }
    grep -qF "source package $name $version" "$copyright" ||
        fail "the copyright file does not name $name $version (from $pkg)"
    grep -qF "source package $name, version $version" "$notice" ||
        fail "the third-party notice does not name $name $version (from $pkg)"
done

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
dpkg-deb -x "$deb" "$scratch/unpacked"
for f in copyright THIRD-PARTY-NOTICES.txt; do
    cmp -s "$scratch/unpacked/usr/share/doc/kvadrolab/$f" "$scratch/root/usr/share/doc/kvadrolab/$f" ||
        fail "the package's $f differs from the installed one"
done
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
