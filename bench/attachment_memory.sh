#!/bin/sh
# Peak memory of a mailing whose message carries one large attached file (50 MB unless told),
# mailed in personal mode to a few recipients through tidecast-cli to Postfix's smtp-sink on
# loopback, measured with /usr/bin/time -v.
# Usage: bench/attachment_memory.sh BUILD_DIR [MEGABYTES] [RECIPIENTS]
set -eu
build=${1:?build folder}
megabytes=${2:-50}
count=${3:-3}
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

"$build/bench/MailingBench" group "$data" Friends "$count"
head -c "$((megabytes * 1024 * 1024))" /dev/urandom > "$data/large.bin"

cli="$build/cli/tidecast-cli --data-dir $data"
$cli settings set Startup Welcome 1
$cli settings set "Server Setup" "SMTP Server" 127.0.0.1
$cli settings set "Server Setup" "SMTP Port" "$port"
$cli settings set "Server Setup" Security none
$cli settings set "Client Setup" "Email Address" sender@example.test
printf '; Tidecast message\r\nATTACHMENTS: %s\r\nGROUP: Friends\r\nSUBJECT: Report\r\nMESSAGE: Hello,\r\nthe report is attached.\r\n' \
    "$data/large.bin" > "$data/report.tcx"

echo "a $megabytes MB attachment to $count recipients:"
/usr/bin/time -v $cli send --message "$data/report.tcx" 2> "$data/time.txt" > "$data/summary.txt" || true
grep -E '^(Sent To|Errors)' "$data/summary.txt" || cat "$data/summary.txt"
grep -E 'Maximum resident set size|Elapsed \(wall clock\)' "$data/time.txt"
