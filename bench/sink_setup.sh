# Sourced by the mailing benchmarks: a temporary data folder ($data), a test SMTP server on a free
# loopback port ($port), both removed on exit, and $cli, tidecast-cli set up to mail through that
# server. Needs $build. The server is Postfix's smtp-sink unless the script defines start_server,
# which must start one in the background, set $server_pid and write its port to "$data/port".
data=$(mktemp -d)
server_pid=
cleanup() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$data"
}
trap cleanup EXIT

if ! command -v start_server >/dev/null; then
    start_server() {
        local sink user=
        sink=$(ls /usr/lib/postfix/sbin/smtp-sink /usr/sbin/smtp-sink 2>/dev/null | head -n 1)
        /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])' \
            > "$data/port"
        [ "$(id -u)" = 0 ] && user="-u nobody"
        $sink $user "127.0.0.1:$(cat "$data/port")" 256 >/dev/null &
        server_pid=$!
    }
fi
start_server
while [ ! -s "$data/port" ]; do sleep 0.1; done
port=$(head -n 1 "$data/port")

cli="$build/cli/tidecast-cli --data-dir $data"
$cli settings set Startup Welcome 1
$cli settings set "Server Setup" "SMTP Server" 127.0.0.1
$cli settings set "Server Setup" "SMTP Port" "$port"
$cli settings set "Server Setup" Security none
$cli settings set "Client Setup" "Email Address" sender@example.test
