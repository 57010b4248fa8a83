#!/bin/sh
# Runs a command in a D-Bus session of its own with an unlocked keyring daemon and a home of its
# own, so that a test keeps passwords in a keyring without touching the user's. The daemon ends
# with the session.
set -eu
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home"
dbus-run-session -- sh -c '
    printf test | gnome-keyring-daemon --daemonize --unlock --components=secrets >/dev/null
    exec "$@"' keyring "$@"
