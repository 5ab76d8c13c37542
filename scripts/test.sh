#!/usr/bin/env bash
# Runs every test of the build in $BUILD_DIR. Tests keep to temporary folders and loopback
# addresses; nothing of the user's own settings is touched.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/${BUILD_DIR:-build}"
scratch=$(mktemp -d /tmp/quillet-test.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export GSETTINGS_BACKEND=memory QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600
"$here/scripts/test-windows.sh"
# Each fuzz target for 30 s. A local run may leave them out with QUILLET_SKIP_FUZZ=1.
[ "${QUILLET_SKIP_FUZZ:-0}" = 1 ] || "$here/scripts/test-fuzz.sh"
