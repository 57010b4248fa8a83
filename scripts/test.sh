#!/usr/bin/env bash
# Sets everything up and runs the whole test suite: format and layer checks, the normal build
# and its Debian package (scripts/package.sh, checked by scripts/check-package.sh),
# the core and CLI tests in a build without Qt, and every test under AddressSanitizer and
# UndefinedBehaviorSanitizer. Servers the tests need (SMTP,
# POP3) are started by the tests themselves on loopback ports and stopped by process id.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/check-format.sh
scripts/check-layers.sh
scripts/package.sh
scripts/check-package.sh
scripts/setup.sh --no-gui
scripts/setup.sh --sanitize

ctest --test-dir build-nogui --output-on-failure -j "$(nproc)" --timeout 900

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=0"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-asan --output-on-failure -j "$(nproc)" --timeout 900
