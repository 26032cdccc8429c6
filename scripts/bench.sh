#!/usr/bin/env bash
# Builds the benchmark program in Release (its own build folder build/bench,
# without the desktop program and the tests) and runs every benchmark once,
# printing Google Benchmark's table and then the project's summary of the
# tracked figures. Extra arguments go to the program, for instance
#   scripts/bench.sh --benchmark_filter=iteration
# QUORVANE_THREADS, when set, changes what "all threads" means.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BENCH=ON \
    -DQUORVANE_GUI=OFF -DQUORVANE_TESTS=OFF >/dev/null
cmake --build build/bench --target quorvane_bench -j"$(nproc)"
build/bench/bench/quorvane_bench "$@"
