#!/usr/bin/env bash
# Verifies the extended exponential against MPFR on demand (not part of CI):
# builds tools/extended_exp_verify in Release and runs it at the lowest
# priority. Arguments: [count of random arguments, default 10^9]
# [threads, default: every core] [searched steps for hard cases, default 2^36].
# Prints the figures; exits non-zero when any result differs.
set -euo pipefail
cd "$(dirname "$0")/.."

count=${1:-1000000000}
threads=${2:-$(nproc)}
steps=${3:-68719476736}

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target extended_exp_verify -j"$(nproc)"
time nice -n 19 build/release/tools/extended_exp_verify "$count" "$threads" "$steps"
