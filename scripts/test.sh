#!/usr/bin/env bash
# Runs every test of the build in $BUILD_DIR. Tests keep to temporary folders and loopback
# addresses; nothing of the user's own settings is touched.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/${BUILD_DIR:-build}"
# The size of the tests against the code; above the project's limit the run fails.
"$here/scripts/test-ratio.sh"
. "$here/scripts/test-env.sh"
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600
"$here/scripts/test-windows.sh"
# AddressSanitizer and UBSan over the whole Linux suite, then each fuzz target for 30 s. A local
# run may leave them out with QUILLET_SKIP_SANITIZERS=1 or QUILLET_SKIP_FUZZ=1; CI runs both.
[ "${QUILLET_SKIP_SANITIZERS:-0}" = 1 ] || "$here/scripts/test-sanitizers.sh"
[ "${QUILLET_SKIP_FUZZ:-0}" = 1 ] || "$here/scripts/test-fuzz.sh"
