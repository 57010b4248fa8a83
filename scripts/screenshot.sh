#!/usr/bin/env bash
# Makes the README's screenshot of the main window under Xvfb, with a small sample data folder.
# Usage: scripts/screenshot.sh [OUTPUT.png]   (default docs/main-window.png)
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-docs/main-window.png}")"
[ -x build/app/tidecast ] || scripts/setup.sh
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
data="$work/data"
mkdir -p "$data"
cli=(build/cli/tidecast-cli --data-dir "$data" --quiet)
"${cli[@]}" settings set Startup Welcome -1
"${cli[@]}" settings set "Server Setup" "SMTP Server" mail.example.test
"${cli[@]}" settings set Layout Width 12000
"${cli[@]}" settings set Layout Height 9000
# Sample groups, where the CLI already knows how to make them.
if "${cli[@]}" groups list >/dev/null 2>&1; then
    "${cli[@]}" groups add Customers >/dev/null
    "${cli[@]}" groups add Newsletter >/dev/null
    "${cli[@]}" recipients add Customers --email ann@example.test --first Ann --last Archer >/dev/null
    "${cli[@]}" recipients add Customers --email bob@example.test --first Bob --last Baker >/dev/null
fi
# A sample message, opened from the command line as a user would.
printf '; \r\n; Corvane Tidecast Message\r\n; Date created: 2026-12-06 10:00:00\r\n;\r\nATTACHMENTS: \r\nGROUP: Customers\r\nDATE: 2026-12-06 10:00:00\r\nSUBJECT: Our winter opening hours, !*FIRST_NAME*!\r\nPRIORITY: 2\r\nHTML: \r\nALTMESSAGE: Dear !*FIRST_NAME*!,\r\n\r\nFrom next week our shop in !*CITY*! opens at nine and closes at five.\r\n\r\nSee you soon!\r\n' > "$work/Winter.tcx"
mkdir -p "$(dirname "$out")"
TIDECAST_SPLASH_MS=0 TIDECAST_SCREENSHOT="$out" XDG_CONFIG_HOME="$work/config" \
    xvfb-run -a -s "-screen 0 1280x900x24" build/app/tidecast --data-dir "$data" "$work/Winter.tcx"
echo "screenshot: $out"
