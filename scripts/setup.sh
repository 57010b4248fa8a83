#!/usr/bin/env bash
# Installs every Debian package Tidecast needs (only those missing), then configures and builds.
# Usage: scripts/setup.sh [--sanitize | --no-gui]
#   builds into build/; with --sanitize into build-asan/ (ASan + UBSan); with --no-gui into
#   build-nogui/ (the core, the CLI and their tests, without Qt, as a server user builds it)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
    libsqlite3-dev sqlite3 libasio-dev libssl-dev openssl
    libhunspell-dev hunspell-en-us libcli11-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth fonts-dejavu-core poppler-utils adwaita-icon-theme
    python3 python3-aiosmtpd python3-dkim python3-nacl dovecot-core dovecot-pop3d postfix time ccache
    librsvg2-bin help2man gzip man-db file dpkg-dev fakeroot desktop-file-utils appstream lintian
    clang-14 libfuzzer-14-dev
    qtkeychain-qt6-dev gnome-keyring dbus-daemon
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    # No system-wide mail daemon may start: the tests run their own servers on loopback.
    policy=/usr/sbin/policy-rc.d
    had_policy=0
    [ -e "$policy" ] && had_policy=1
    if [ $had_policy -eq 0 ]; then
        printf '#!/bin/sh\nexit 101\n' | "${sudo_cmd[@]}" tee "$policy" >/dev/null
        "${sudo_cmd[@]}" chmod +x "$policy"
    fi
    echo "postfix postfix/main_mailer_type select No configuration" | "${sudo_cmd[@]}" debconf-set-selections
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
    [ $had_policy -eq 1 ] || "${sudo_cmd[@]}" rm -f "$policy"
fi

build_dir=build
cmake_args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDECAST_BUILD_GUI=ON)
if [ "${1:-}" = "--sanitize" ]; then
    build_dir=build-asan
    cmake_args=(-G Ninja -DCMAKE_BUILD_TYPE=Debug -DTIDECAST_SANITIZE=ON -DTIDECAST_BUILD_BENCH=OFF -DTIDECAST_BUILD_GUI=ON)
elif [ "${1:-}" = "--no-gui" ]; then
    build_dir=build-nogui
    cmake_args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDECAST_BUILD_BENCH=OFF -DTIDECAST_BUILD_GUI=OFF)
fi
[ "${CI:-}" = "true" ] && cmake_args+=(-DTIDECAST_WERROR=ON)

cmake -S . -B "$build_dir" "${cmake_args[@]}" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
