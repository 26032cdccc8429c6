#!/usr/bin/env bash
# Installs what is missing, builds Quorvane in Release and starts the desktop
# program. Arguments are passed to it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc)" --target quorvane
exec build/release/src/ui/quorvane "$@"
