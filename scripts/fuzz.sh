#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer (AddressSanitizer and UBSan on) into build-fuzz/
# and runs each for a while, starting from its seed corpus in tests/fuzz/corpus/. New inputs that
# widen the coverage go to build-fuzz/corpus/TARGET; a crash leaves its input in build-fuzz/.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET (default 60)] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(AddressLists FilterRule GroupDetails Import MessageDocument ServerReplies SettingsFile)

CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTIDECAST_FUZZ=ON -DTIDECAST_BUILD_GUI=OFF -DTIDECAST_BUILD_BENCH=OFF >/dev/null
ninja -C build-fuzz "${targets[@]/#/fuzz_}"

status=0
for target in "${targets[@]}"; do
    mkdir -p "build-fuzz/corpus/$target"
    echo "== $target ($seconds s)"
    if ! (cd build-fuzz && "./tests/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
        "corpus/$target" "../tests/fuzz/corpus/$target" 2>&1 | tail -n 12); then
        status=1
    fi
done
exit $status
