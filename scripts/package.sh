#!/usr/bin/env bash
# Builds Quorvane in Release (programs only, no tests) and makes the Debian
# package build/package/quorvane_VERSION_amd64.deb with CPack: both programs
# in /usr/bin, the manual pages, the desktop entry, the icon and the
# copyright file and the changelog, the library dependencies found by
# dpkg-shlibdeps.
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

# The package's version is the project's; its changelog must have an entry for it.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
logged=$(dpkg-parsechangelog -l packaging/changelog -S Version)
if [ "$version" != "$logged" ]; then
    echo "packaging/changelog: the first entry is for $logged, the project version is $version;" \
        "add an entry for $version" >&2
    exit 1
fi

cmake --build "$build" -j"$jobs"
(cd "$build" && cpack -G DEB)
ls -l "$build/quorvane_${version}_amd64.deb"
