#!/usr/bin/env bash
# Builds the window benchmark in Release (build folder build/bench-window)
# and runs it: the desktop program at capacity, 40 x 20000 points fitted,
# timing the redraws of the main chart, Residual's surface and Differential
# spectra. Runs on the offscreen Qt platform unless QT_QPA_PLATFORM is set
# (for instance QT_QPA_PLATFORM=xcb under Xvfb). Extra arguments go to the
# program (the number of repeats, default 15).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/bench-window -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BENCH=ON \
    -DQUORVANE_TESTS=OFF >/dev/null
cmake --build build/bench-window --target quorvane_window_bench -j"$(nproc)"
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" build/bench-window/bench/quorvane_window_bench "$@"
