#!/usr/bin/env bash
# Builds the Debian package in its own build folder, as a distribution builds it: with the
# compiler and linker flags of dpkg-buildflags (hardening: fortify, stack protector, full RELRO
# with BIND_NOW) and only what the package ships (no tests, benchmarks or test tools).
#   scripts/build-package.sh [BUILD_FOLDER]   (default build-package); the .deb lands there
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-package}
export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cxxflags=$(dpkg-buildflags --get CXXFLAGS)
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DQUILLET_BUILD_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_CXX_FLAGS="$cppflags $cxxflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j "${PACKAGE_JOBS:-$(nproc)}"
(cd "$build" && cpack >/dev/null)
ls "$build"/quillet_*.deb
