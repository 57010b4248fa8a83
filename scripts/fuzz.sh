#!/usr/bin/env bash
# Builds the import fuzz target with clang and libFuzzer (ASan + UBSan) and runs it on a copy of
# the seed corpus, so new inputs do not land in the repository by accident.
# Usage: scripts/fuzz.sh [SECONDS]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build-fuzz
mkdir -p "$out/corpus"
clang++-14 -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I. \
    tests/fuzz/ImportFuzzTarget.cpp transfer/AddressHarvester.cpp transfer/DelimitedText.cpp \
    transfer/TextLines.cpp transfer/LayoutFile.cpp common/Text.cpp -o "$out/import_fuzz"
cp tests/fuzz/corpus/* "$out/corpus/"
"$out/import_fuzz" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 "$out/corpus" \
    2>&1 | tee "$out/fuzz.log" | grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|==[0-9]+==ERROR)' || true
! grep -q '==ERROR' "$out/fuzz.log"
