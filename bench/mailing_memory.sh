#!/bin/sh
# Peak memory of a mailing to a group of 1,000,000 recipients (bulk mode, so the run stays short)
# through tidecast-cli to Postfix's smtp-sink on loopback, measured with /usr/bin/time -v; then
# the same with a block file and an exclusion list of as many addresses (none of them in the group,
# so every recipient is looked up in both and mailed).
# Usage: bench/mailing_memory.sh BUILD_DIR [COUNT]
set -eu
build=${1:?build folder}
count=${2:-1000000}
sink=$(ls /usr/lib/postfix/sbin/smtp-sink /usr/sbin/smtp-sink 2>/dev/null | head -n 1)
data=$(mktemp -d)
sink_pid=
cleanup() {
    if [ -n "$sink_pid" ]; then
        kill "$sink_pid" 2>/dev/null || true
        wait "$sink_pid" 2>/dev/null || true
    fi
    rm -rf "$data"
}
trap cleanup EXIT

port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
user=
[ "$(id -u)" = 0 ] && user="-u nobody"
$sink $user "127.0.0.1:$port" 256 >/dev/null &
sink_pid=$!

start=$(date +%s)
"$build/bench/MailingBench" group "$data" Million "$count"
echo "group of $count written in $(( $(date +%s) - start )) s"

cli="$build/cli/tidecast-cli --data-dir $data"
$cli settings set Startup Welcome 1
$cli settings set "Server Setup" "SMTP Server" 127.0.0.1
$cli settings set "Server Setup" "SMTP Port" "$port"
$cli settings set "Server Setup" Security none
$cli settings set "Client Setup" "Email Address" sender@example.test
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
