#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each, one after the other, for
# SECONDS seconds (default 60) on a scratch copy of its committed seed corpus
# in build/fuzz/corpus (the committed corpus is never written). Prints each
# target's final executions and coverage; fails when a target finds a fault,
# keeping the input that shows it in build/fuzz/artifacts and the whole
# output in build/fuzz/logs.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
targets=(trace_reader_fuzz number_text_fuzz number_format_fuzz matrix_reader_fuzz)

scripts/deps.sh clang-14 libclang-rt-14-dev

cmake -S fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build build/fuzz -j"$(nproc)"

mkdir -p build/fuzz/artifacts build/fuzz/logs
status=0
for target in "${targets[@]}"; do
    corpus=build/fuzz/corpus/$target
    log=build/fuzz/logs/$target.log
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp fuzz/corpus/"$target"/* "$corpus"/
    echo "== $target: ${seconds} s"
    if ! build/fuzz/"$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix=build/fuzz/artifacts/"$target"- \
        "$corpus" >"$log" 2>&1; then
        status=1
        echo "$target FOUND A FAULT (log: $log):"
        tail -n 40 "$log"
    fi
    grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)' "$log" || true
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log" || true
done
exit $status
