#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UndefinedBehaviorSanitizer) and
# runs each for a bounded time from its seeds and every input that once failed.
# Usage: .ci/fuzz.sh [SECONDS_EACH]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
command -v clang++ >/dev/null || { apt-get update -qq && apt-get install -y -qq clang; }
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESSELANE_BUILD_FUZZERS=ON -DTESSELANE_BUILD_TESTS=OFF -DTESSELANE_BUILD_TOOL=OFF \
    -DTESSELANE_BUILD_MODULE=OFF -DTESSELANE_WARNINGS_AS_ERRORS=ON
cmake --build build-fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for fuzzer in build-fuzz/fuzz/tesselane_fuzz_*; do
    name=${fuzzer##*/tesselane_fuzz_}
    seeds=fuzz/corpus/$name
    [ -d "$seeds" ] || seeds=fuzz/corpus/bmp
    mkdir -p "$work/$name"
    echo "== $name: ${seconds}s"
    # New inputs go to the scratch folder; a crash leaves crash-* in the scratch folder too.
    "$fuzzer" "$work/$name" "$seeds" "fuzz/regressions/$name" -max_total_time="$seconds" \
        -rss_limit_mb=2048 -malloc_limit_mb=512 -timeout=10 -artifact_prefix="$work/" \
        -print_final_stats=1 2>&1 | grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|==|SUMMARY|Done)' || true
    if ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* >/dev/null 2>&1; then
        echo "$name found a failing input; add it to fuzz/regressions/$name:" >&2
        ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* 2>/dev/null >&2
        exit 1
    fi
done
