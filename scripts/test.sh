#!/usr/bin/env bash
# Installs what is missing, builds everything in Release and runs every test
# through ctest (the window tests under the offscreen Qt platform). Then builds
# everything a second time with AddressSanitizer and UndefinedBehaviorSanitizer
# (the libraries, the batch command, the desktop program and all their tests)
# and runs the tests again: any sanitizer report, leaks included, fails.
# Last it builds the fuzz targets with clang and runs each for a few seconds
# on its seed corpus (scripts/fuzz.sh), so that they keep building and
# running. Every tree is built with QUORVANE_WERROR: a warning in our code
# fails.
set -euo pipefail
cd "$(dirname "$0")/.."

# clang for the fuzz targets: installed with the rest, in one apt-get run.
scripts/deps.sh clang-14 libclang-rt-14-dev

jobs=$(nproc)
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQUORVANE_WERROR=ON >/dev/null
cmake --build build/release -j"$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir build/release --output-on-failure -j"$jobs"

# Line tables (-g1) are all the sanitizers' stack traces need, and quicker
# to compile and link than full debug information.
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_SANITIZE=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DQUORVANE_GUI=ON -DQUORVANE_WERROR=ON \
    >/dev/null
cmake --build build/sanitize -j"$jobs"
ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:print_stacktrace=1 \
    LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt" \
    UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1 \
    QT_QPA_PLATFORM=offscreen ctest --test-dir build/sanitize --output-on-failure -j"$jobs"

scripts/fuzz.sh 5 -DQUORVANE_WERROR=ON
