#!/usr/bin/env bash
# Builds the whole Linux suite (GUI tests included) with AddressSanitizer and UBSan in its own
# build folder and runs it; any finding fails the run. Leaks that are not ours are suppressed in
# scripts/sanitizer-suppressions.txt, other findings that are not ours in
# scripts/asan-suppressions.txt, each with its reason.
#   ASAN_BUILD_DIR (build-asan)  the build folder
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/${ASAN_BUILD_DIR:-build-asan}"
# _GLIBCXX_ASSERTIONS: an out-of-range index into a standard container aborts here.
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
flags="$flags -D_GLIBCXX_ASSERTIONS"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLET_WERROR=ON \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$build" -j "${ASAN_JOBS:-$(nproc)}"

. "$here/scripts/test-env.sh"
export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=0:strict_string_checks=1
ASAN_OPTIONS="$ASAN_OPTIONS:suppressions=$here/scripts/asan-suppressions.txt"
export LSAN_OPTIONS="suppressions=$here/scripts/sanitizer-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 900
