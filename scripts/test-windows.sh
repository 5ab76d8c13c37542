#!/usr/bin/env bash
# Cross-builds the core, the Windows adapters and their tests with MinGW-w64 (no Qt) and runs
# them under Wine, in a throw-away Wine prefix. Called at the end of scripts/test.sh.
#   WIN_BUILD_DIR   cross build folder (default build-win)
#   WIN_BUILD_TYPE  CMake build type of the cross build (default none: quickest to compile)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/${WIN_BUILD_DIR:-build-win}"
started=$(date +%s)

wine_loader() {
  local candidate
  for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then echo "$candidate"; return 0; fi
  done
  return 1
}
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || ! wine_loader >/dev/null; then
  "$here/scripts/install-deps.sh" test
fi
wine=$(wine_loader)
wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/quillet-wine.XXXXXX)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" WINEARCH=win64
cleanup() {
  "$wineserver" -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

# Make the prefix while the cross build runs; no window ever opens (null display driver).
(
  "$wine" wineboot -i >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
) &
prefix_job=$!

# The Linux build's judge and probe, to compare the Windows probe with (scripts/test.sh builds
# them before this runs).
host_build="$here/${BUILD_DIR:-build}"
if [ ! -x "$host_build/quillet-probe" ] || [ ! -x "$host_build/quillet-judge" ]; then
  echo "No Linux build in $host_build: the Windows probe is not compared with the Linux one." >&2
  host_build=""
fi
cmake -S "$here" -B "$build" -G Ninja --toolchain "$here/cmake/mingw-w64.cmake" \
  -DQUILLET_WITH_QT=OFF -DQUILLET_WERROR=ON -DCMAKE_BUILD_TYPE="${WIN_BUILD_TYPE:-}" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" -DQUILLET_HOST_BUILD_DIR="$host_build" >/dev/null
cmake --build "$build"
wait "$prefix_job"

cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 300
# What ran, and where Wine is known to differ from Windows (listed in tests/win32/wine.h; the
# tests leave out there the check that only Windows can pass).
log=Testing/Temporary/LastTest.log
passed=$(grep -h '^\[  PASSED  \]' "$log" | awk '{ total += $4 } END { print total + 0 }')
echo "Windows test programs under Wine: $passed tests passed."
grep -h -A4 '^Windows and Linux probes agree' "$log" || true
grep -h '^\[ WINE GAP \]' "$log" | sort -u || true
grep -h '^\[  SKIPPED \]' "$log" | sort -u || true
echo "Windows build and tests under Wine took $(($(date +%s) - started)) s."
