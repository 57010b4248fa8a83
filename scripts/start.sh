#!/usr/bin/env bash
# Sets everything up and starts the Tidecast desktop application.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec build/app/tidecast "$@"
