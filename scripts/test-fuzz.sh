#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with clang (libFuzzer, AddressSanitizer, UBSan) in their
# own build folder and runs each for FUZZ_SECONDS (30) from the seed corpus in the tree. A crash
# fails the script; its input is left in the scratch folder named in the output.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/${FUZZ_BUILD_DIR:-build-fuzz}"
seconds="${FUZZ_SECONDS:-30}"
if ! command -v clang++ >/dev/null; then
  echo "test-fuzz: clang++ is not installed; fuzz targets skipped"
  exit 0
fi
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQUILLET_WITH_QT=OFF -DQUILLET_FUZZ=ON -DQUILLET_WERROR=ON \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
targets=(list_file judge_page key_files gsettings tunnel_reply kioslaverc)
cmake --build "$build" -j "${FUZZ_JOBS:-2}" --target "${targets[@]/%/_fuzz}"
# The targets write each input to a file: in memory when the machine has a place for it.
shm=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && shm=/dev/shm
scratch=$(mktemp -d "$shm/quillet-fuzz.XXXXXX")
export TMPDIR="$scratch" XDG_CONFIG_HOME="$scratch/config" ASAN_OPTIONS=detect_leaks=1
failed=0
for target in "${targets[@]}"; do
  mkdir -p "$scratch/$target"
  cp "$here/tests/fuzz/corpus/$target"/* "$scratch/$target/" 2>/dev/null || true
  echo "== fuzzing $target for $seconds s"
  if ! (cd "$scratch" && "$build/tests/fuzz/${target}_fuzz" -max_total_time="$seconds" \
        -rss_limit_mb=2048 -timeout=10 -max_len=8192 -print_final_stats=1 "$scratch/$target" \
        >"$scratch/$target.log" 2>&1); then
    tail -40 "$scratch/$target.log"
    echo "test-fuzz: $target found a fault; inputs are in $scratch"
    failed=1
  else
    grep -E "stat::number_of_executed_units|Done" "$scratch/$target.log" | tail -2
  fi
done
[ $failed -eq 0 ] && rm -rf "$scratch"
exit $failed
