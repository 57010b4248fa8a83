# Sourced by the memory benchmarks: a temporary data folder ($data), Postfix's smtp-sink on a free
# loopback port ($port), both removed on exit, and $cli, tidecast-cli set up to mail through the
# sink. Needs $build.
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

cli="$build/cli/tidecast-cli --data-dir $data"
$cli settings set Startup Welcome 1
$cli settings set "Server Setup" "SMTP Server" 127.0.0.1
$cli settings set "Server Setup" "SMTP Port" "$port"
$cli settings set "Server Setup" Security none
$cli settings set "Client Setup" "Email Address" sender@example.test
