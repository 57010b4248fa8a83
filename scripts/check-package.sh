#!/usr/bin/env bash
# Checks the Debian package scripts/package.sh built, as a person installing it meets it: both
# programs run from the unpacked tree, the desktop entry and the AppStream metainfo validate, the
# icons have the sizes their folders name, and both man pages render and list every option of
# the programs' --help. Then installs the build tree to another prefix and runs it from there.
set -euo pipefail
cd "$(dirname "$0")/.."

app_id=com.corvane.Tidecast
deb=$(echo build/package/tidecast_*.deb)
[ -f "$deb" ] || { echo "check-package: no package in build/package/" >&2; exit 1; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

dpkg -x "$deb" "$root/deb"
usr=$root/deb/usr
version=$(dpkg-deb -f "$deb" Version)

# Neither program needs a display for its help and version.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
for program in tidecast-cli tidecast; do
    [ "$("$usr/bin/$program" --version)" = "$program $version" ] || fail "$program --version"
    "$usr/bin/$program" --help >"$root/$program.help"
    grep -q "^Usage: $program" "$root/$program.help" || fail "$program --help"

    page=$usr/share/man/man1/$program.1.gz
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >"$root/$program.man")
    [ -z "$warnings" ] || fail "$page: $warnings"
    for option in $(grep -o -- '--[a-z][a-z-]*' "$root/$program.help" | sort -u); do
        grep -q -- "$option" "$root/$program.man" || fail "$page lacks $option"
    done
done

desktop-file-validate "$usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net "$usr/share/metainfo/$app_id.metainfo.xml" >/dev/null
[ -f "$usr/share/tidecast/tidecast-help.html" ] || fail "the help page is missing"
[ -f "$usr/share/doc/tidecast/copyright" ] || fail "the copyright file is missing"
[ -f "$usr/share/icons/hicolor/scalable/apps/$app_id.svg" ] || fail "the scalable icon is missing"
for icon in "$usr"/share/icons/hicolor/*x*/apps/$app_id.png; do
    size=$(basename "$(dirname "$(dirname "$icon")")")
    file -b "$icon" | grep -q "PNG image data, ${size/x/ x }," || fail "$icon is not $size"
done

# A relocatable install: the same tree under another prefix runs from there.
cmake --install build --prefix "$root/opt" >/dev/null
[ "$("$root/opt/bin/tidecast-cli" --version)" = "tidecast-cli $version" ] || fail "relocated tidecast-cli"
[ "$("$root/opt/bin/tidecast" --version)" = "tidecast $version" ] || fail "relocated tidecast"
[ -f "$root/opt/share/tidecast/tidecast-help.html" ] || fail "relocated help page"
echo "check-package: $deb passed"
