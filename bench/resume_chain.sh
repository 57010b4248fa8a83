#!/bin/bash
# A chain of interrupted mailings: tidecast-cli mails COUNT recipients one message each to the
# recording test server on loopback, is killed with SIGKILL after a random moment, and is started
# again with "Logs/sent.log" as its block file, KILLS times, then runs to the end. Prints how many
# recipients the server took in all, how many of them more than once, and who was never mailed.
# Usage: bench/resume_chain.sh BUILD_DIR [COUNT (2000)] [KILLS (6)] [SEED (1)]
set -eu
build=$(realpath "${1:?build folder}")
count=${2:-2000}
kills=${3:-6}
RANDOM=${4:-1}
here=$(dirname "$(realpath "$0")")
start_server() {
    /usr/bin/python3 "$here/../tests/support/servers/fault_smtp_server.py" --record "$data/record.txt" \
        > "$data/port" &
    server_pid=$!
}
. "$here/sink_setup.sh"

"$build/bench/MailingBench" group "$data" Chain "$count"
printf '; Tidecast message\r\nGROUP: Chain\r\nSUBJECT: News\r\nMESSAGE: Hello [First Name],\r\nthe news.\r\n' \
    > "$data/news.tcx"

block=()
for run in $(seq 1 "$kills"); do
    $cli send --message "$data/news.tcx" "${block[@]}" > /dev/null 2>&1 &
    pid=$!
    ms=$((RANDOM % 2500 + 500))
    sleep "$((ms / 1000)).$(printf %03d $((ms % 1000)))"
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "kill $run: the server holds $(sort -u "$data/record.txt" | wc -l) distinct recipients"
    block=(--block-file "$data/Logs/sent.log")
done
$cli send --message "$data/news.tcx" "${block[@]}" | head -n 3

echo "deliveries: $(wc -l < "$data/record.txt")"
echo "distinct recipients: $(sort -u "$data/record.txt" | wc -l) of $count"
echo "mailed more than once: $(sort "$data/record.txt" | uniq -d | wc -l)"
echo "earlier sent logs kept: $(find "$data/Logs" -name 'sent *.log' | wc -l)"
