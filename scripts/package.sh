#!/usr/bin/env bash
# Builds Tidecast's Debian package into build/package/ (after scripts/setup.sh has built build/)
# and runs lintian on it. Install it with: sudo apt install ./build/package/tidecast_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
rm -f build/package/tidecast_*.deb
cpack --config build/CPackConfig.cmake >/dev/null
deb=$(echo build/package/tidecast_*.deb)

# Tags lintian still reports, each for a reason the package cannot change:
#   (none so far)
suppressed=(
)
lintian_args=(--fail-on error,warning --info)
[ ${#suppressed[@]} -eq 0 ] || lintian_args+=(--suppress-tags "$(IFS=,; echo "${suppressed[*]}")")
lintian "${lintian_args[@]}" "$deb"
echo "package: $deb"
