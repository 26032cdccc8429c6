#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build/fuzz (the main
# project with QUORVANE_FUZZ: the libraries they link instrumented, with
# AddressSanitizer and UndefinedBehaviorSanitizer on) and runs each, one after
# the other, for SECONDS seconds (default 60) on a scratch copy of its
# committed seed corpus in build/fuzz/corpus (the committed corpus is never
# written). Prints each target's final executions and coverage; fails when a
# target finds a fault, keeping the input that shows it in
# build/fuzz/artifacts and the whole output in build/fuzz/logs.
# Usage: scripts/fuzz.sh [SECONDS] [extra CMake options, e.g. -DQUORVANE_WERROR=ON]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift $(($# > 0 ? 1 : 0))

scripts/deps.sh clang-14 libclang-rt-14-dev

# A tree of the former stand-alone fuzz project (source fuzz/) is made anew.
if grep -qs '^CMAKE_HOME_DIRECTORY:INTERNAL=.*/fuzz$' build/fuzz/CMakeCache.txt; then
    rm -rf build/fuzz
fi
cmake -S . -B build/fuzz -DQUORVANE_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++-14 "$@" >/dev/null
cmake --build build/fuzz --target quorvane_fuzz_targets -j"$(nproc)"
# The targets fuzz/CMakeLists.txt defines, one name a line.
mapfile -t targets <build/fuzz/fuzz/targets.txt

mkdir -p build/fuzz/artifacts build/fuzz/logs
status=0
for target in "${targets[@]}"; do
    corpus=build/fuzz/corpus/$target
    log=build/fuzz/logs/$target.log
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp fuzz/corpus/"$target"/* "$corpus"/
    echo "== $target: ${seconds} s"
    if ! build/fuzz/fuzz/"$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
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
