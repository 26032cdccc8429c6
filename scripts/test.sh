#!/usr/bin/env bash
# Installs what is missing, builds everything in Release and runs every test
# through ctest (the window tests under the offscreen Qt platform).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

jobs=$(nproc)
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir build/release --output-on-failure -j"$jobs"
