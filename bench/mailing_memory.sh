#!/bin/sh
# Peak memory of a mailing to a group of 1,000,000 recipients (bulk mode, so the run stays short)
# through tidecast-cli to Postfix's smtp-sink on loopback, measured with /usr/bin/time -v; then
# the same with a block file and an exclusion list of as many addresses (none of them in the group,
# so every recipient is looked up in both and mailed).
# Usage: bench/mailing_memory.sh BUILD_DIR [COUNT]
set -eu
build=${1:?build folder}
count=${2:-1000000}
. "$(dirname "$0")/sink_setup.sh"

start=$(date +%s)
"$build/bench/MailingBench" group "$data" Million "$count"
echo "group of $count written in $(( $(date +%s) - start )) s"

printf '; Tidecast message\r\nGROUP: Million\r\nSUBJECT: News\r\nMESSAGE: Hello all,\r\nthe news.\r\n' > "$data/news.tcx"

/usr/bin/time -v $cli send --message "$data/news.tcx" --bulk 2> "$data/time.txt" > "$data/summary.txt" || true
cat "$data/summary.txt"
grep -E 'Maximum resident set size|Elapsed \(wall clock\)' "$data/time.txt"

echo "with a $count-line block file and a $count-entry exclusion list:"
awk -v n="$count" 'BEGIN { for (i = 1; i <= n; i++) printf "blocked%d@example.test\r\n", i }' > "$data/block.log"
"$build/bench/MailingBench" exclusion "$data" "$count"
/usr/bin/time -v $cli send --message "$data/news.tcx" --bulk --block-file "$data/block.log" \
    2> "$data/time.txt" > "$data/summary.txt" || true
cat "$data/summary.txt"
grep -E 'Maximum resident set size|Elapsed \(wall clock\)' "$data/time.txt"
