#!/usr/bin/env bash
# Renders every main window tab and every dialog the menus open into docs/screenshots/ under
# Xvfb, with a small sample data folder, as a new user on a 1400 x 900 screen would see them.
# Usage: scripts/screenshots.sh [FOLDER]   (default docs/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-docs/screenshots}")"
[ -x build/app/tidecast ] || scripts/setup.sh
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
data="$work/data"
mkdir -p "$data" "$out"
cli=(build/cli/tidecast-cli --data-dir "$data" --quiet)
"${cli[@]}" settings set Startup Welcome -1
"${cli[@]}" settings set "Server Setup" "SMTP Server" mail.example.test
"${cli[@]}" settings set "Client Setup" "Email Address" news@example.test
"${cli[@]}" settings set "Client Setup" "Real Name" "Harbour Shop"
if "${cli[@]}" groups list >/dev/null 2>&1; then
    "${cli[@]}" groups add Customers >/dev/null
    "${cli[@]}" groups add "Newsletter Subscribers" >/dev/null
    "${cli[@]}" recipients add Customers --email ann@example.test --first Ann --last Archer >/dev/null
    "${cli[@]}" recipients add Customers --email bob@example.test --first Bob --last Baker >/dev/null
fi
printf '; \r\n; Corvane Tidecast Message\r\n; Date created: 2026-12-06 10:00:00\r\n;\r\nATTACHMENTS: \r\nGROUP: Customers\r\nDATE: 2026-12-06 10:00:00\r\nSUBJECT: Our winter opening hours, !*FIRST_NAME*!\r\nPRIORITY: 2\r\nHTML: \r\nALTMESSAGE: Dear !*FIRST_NAME*!,\r\n\r\nFrom next week our shop in !*CITY*! opens at nine and closes at five.\r\n\r\nSee you soon!\r\n' > "$work/Winter.tcx"
TIDECAST_SPLASH_MS=0 TIDECAST_SCREENSHOTS="$out" XDG_CONFIG_HOME="$work/config" \
    xvfb-run -a -s "-screen 0 1400x900x24" build/app/tidecast --data-dir "$data" "$work/Winter.tcx"
ls "$out"
