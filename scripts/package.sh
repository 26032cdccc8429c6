#!/usr/bin/env bash
# Builds Quorvane in Release (programs only, no tests) and makes the Debian
# package build/package/quorvane_VERSION_amd64.deb with CPack: both programs
# in /usr/bin, the manual pages, the desktop entry, the icon and the
# copyright file, the library dependencies found by dpkg-shlibdeps.
# The build takes Debian's hardening flags (dpkg-buildflags) on top of the
# project's own; CMake's Release optimisation level stays.
set -euo pipefail
cd "$(dirname "$0")/.."

# dpkg-dev: dpkg-shlibdeps and dpkg-buildflags; file: CPack sorts the ELF
# files with it.
scripts/deps.sh dpkg-dev file

jobs=$(nproc)
build=build/package
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CPPFLAGS=$(dpkg-buildflags --get CPPFLAGS)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUORVANE_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$CPPFLAGS $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j"$jobs"
(cd "$build" && cpack -G DEB)
ls "$build"/quorvane_*_amd64.deb
