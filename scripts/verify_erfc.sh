#!/usr/bin/env bash
# Verifies erfc and erfcx against MPFR on demand (not part of CI): builds
# tools/extended_erfc_verify in Release and runs it at the lowest
# priority. Arguments: [count of random arguments, default 10^8]
# [threads, default: every core]. Prints the largest errors in units in the
# last place beside the bounds the code states; exits non-zero when any
# result exceeds its bound or raises other faults than it should.
set -euo pipefail
cd "$(dirname "$0")/.."

count=${1:-100000000}
threads=${2:-$(nproc)}

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target extended_erfc_verify -j"$(nproc)"
time nice -n 19 build/release/tools/extended_erfc_verify "$count" "$threads"
