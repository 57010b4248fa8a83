#!/bin/sh
# Peak memory of a mailing whose message carries one large attached file (50 MB unless told),
# mailed in personal mode to a few recipients through tidecast-cli to Postfix's smtp-sink on
# loopback, measured with /usr/bin/time -v.
# Usage: bench/attachment_memory.sh BUILD_DIR [MEGABYTES] [RECIPIENTS]
set -eu
build=${1:?build folder}
megabytes=${2:-50}
count=${3:-3}
. "$(dirname "$0")/sink_setup.sh"

"$build/bench/MailingBench" group "$data" Friends "$count"
head -c "$((megabytes * 1024 * 1024))" /dev/urandom > "$data/large.bin"

printf '; Tidecast message\r\nATTACHMENTS: %s\r\nGROUP: Friends\r\nSUBJECT: Report\r\nMESSAGE: Hello,\r\nthe report is attached.\r\n' \
    "$data/large.bin" > "$data/report.tcx"

echo "a $megabytes MB attachment to $count recipients:"
/usr/bin/time -v $cli send --message "$data/report.tcx" 2> "$data/time.txt" > "$data/summary.txt" || true
grep -E '^(Sent To|Errors)' "$data/summary.txt" || cat "$data/summary.txt"
grep -E 'Maximum resident set size|Elapsed \(wall clock\)' "$data/time.txt"
