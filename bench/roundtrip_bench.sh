#!/bin/sh
# Personal messages per second over a slow network: tidecast-cli mails COUNT personal messages of
# about 4 KB through the delaying test proxy (DELAY ms each way, so a round trip costs twice that)
# to the aiosmtpd test server, once offering PIPELINING and once PIPELINING and CHUNKING.
# A client turn is a wait for the server's answer (round trips, counted by the proxy, including
# those of connecting and saying goodbye). Extra arguments go to "tidecast-cli send" (e.g. --connections 4 where the CLI has it).
# Usage: bench/roundtrip_bench.sh BUILD_DIR [COUNT] [DELAY] [GROUPLET] [send options...]
set -eu
build=${1:?build folder}
count=${2:-1000}
delay=${3:-10}
grouplet=${4:-100}
shift $(( $# < 4 ? $# : 4 ))
here=$(cd "$(dirname "$0")" && pwd)
servers="$here/../tests/support/servers"
data=$(mktemp -d)
pids=
cleanup() {
    for pid in $pids; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$data"
}
trap cleanup EXIT

# Starts a server script that prints "READY <port>"; sets $ready_port and remembers its pid.
start_reporting() {
    out="$data/ready.$$.$(date +%s%N)"
    "$@" > "$out" 2>/dev/null &
    pids="$pids $!"
    tries=0
    until grep -q READY "$out" 2>/dev/null; do
        tries=$((tries + 1))
        [ "$tries" -lt 200 ] || { echo "server did not start: $*" >&2; exit 1; }
        sleep 0.05
    done
    ready_port=$(awk '{ print $2 }' "$out")
}

cli="$build/cli/tidecast-cli --data-dir $data"
$cli settings set Startup Welcome 1
$cli settings set "Server Setup" "SMTP Server" 127.0.0.1
$cli settings set "Server Setup" Security none
$cli settings set "Server Setup" "GroupLet Size" "$grouplet"
$cli settings set "Client Setup" "Email Address" sender@example.test
"$build/bench/MailingBench" group "$data" Friends "$count" > /dev/null
{
    printf '; Tidecast message\r\nGROUP: Friends\r\nSUBJECT: News\r\nMESSAGE: Hello,\r\n'
    i=0
    while [ $i -lt 44 ]; do
        printf 'line %02d of the news that makes this message about four kilobytes long, as many are.\r\n' $i
        i=$((i + 1))
    done
} > "$data/news.tcx"

echo "$count personal messages, ${delay} ms each way, GroupLet Size $grouplet; $(uptime)"
for offer in "--pipelining" "--pipelining --chunking"; do
    spool="$data/spool$(echo "$offer" | tr -d ' -')"
    mkdir -p "$spool"
    # shellcheck disable=SC2086
    start_reporting /usr/bin/python3 "$servers/smtp_server.py" --spool "$spool" --no-dsn $offer
    server_port=$ready_port
    start_reporting /usr/bin/python3 "$servers/delay_proxy.py" --target "$server_port" --delay "$delay" \
        --log "$spool/turns.log"
    $cli settings set "Server Setup" "SMTP Port" "$ready_port"
    start=$(date +%s.%N)
    $cli send --message "$data/news.tcx" "$@" > "$data/summary.txt" || true
    end=$(date +%s.%N)
    sent=$(sed -n 's/^Sent To: //p' "$data/summary.txt")
    size=$(wc -c < "$spool/1.eml")
    turns=$(wc -l < "$spool/turns.log")
    awk -v o="$offer" -v n="$sent" -v b="$size" -v s="$start" -v e="$end" -v t="$turns" \
        'BEGIN { printf "%s: %s sent (%s-byte messages) in %.1f s: %.1f messages/s, %.2f client turns a message\n",
                 o, n, b, e - s, n / (e - s), t / n }'
done
