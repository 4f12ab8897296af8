#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang in build-fuzz/ and runs
# each for the given number of seconds (default 60) from its seed corpus.
# A failing input is copied to tests/regressions/ (name: target-hash) and the
# script exits with 3 (any other failure, such as a build error, exits non-zero
# too); the corpora grown meanwhile stay in build-fuzz/corpus/.
set -euo pipefail

seconds=${1:-60}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-fuzz"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLUMVIK_FUZZ=ON >/dev/null
cmake --build "$build" -j2 --target fuzzers
seeds="$build/seeds"
rm -rf "$seeds"
QT_QPA_PLATFORM=offscreen "$build/tests/fuzz/lumvik-fuzz-seeds" "$seeds"

failed=0
for seed in "$seeds"/*/; do
  target=$(basename "$seed")
  corpus="$build/corpus/$target"
  findings="$build/findings/$target"
  mkdir -p "$corpus" "$findings"
  echo "== $target: $seconds s"
  # Pictures up to the decoder's 200-megapixel limit are decoded and encoded
  # whole; with AddressSanitizer's overhead that takes up to about 3 GB and
  # 20 s (0.3 s without it), so only more than that is a finding.
  QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
    "$build/tests/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=3072 -timeout=30 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "$seed" 2>&1 |
    grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+[[:space:]]+DONE)|ERROR|SUMMARY" || true
  for finding in "$findings"/*; do
    [ -e "$finding" ] || continue
    cp "$finding" "$root/tests/regressions/$target-$(basename "$finding")"
    echo "finding: tests/regressions/$target-$(basename "$finding")"
    failed=3
  done
done
exit $failed
