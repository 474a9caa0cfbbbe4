#!/usr/bin/env bash
# Builds the core fuzzer with clang in build-fuzz/ and runs it from the committed
# corpus for 60 seconds (or the number of seconds given); any crash fails.
set -euo pipefail

cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build-fuzz

cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)"

# libFuzzer adds what it finds to the corpus directory: give it a copy.
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp fuzz/corpus/* "$corpus"/

"$build/fuzz_core" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/" "$corpus"
