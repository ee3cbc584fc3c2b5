#!/usr/bin/env bash
# A short run of every fuzz target on its committed corpus: builds the
# targets with clang (AddressSanitizer, UndefinedBehaviorSanitizer, libFuzzer)
# in build-fuzz and runs each for a few seconds. Exits non-zero when a target
# crashes, leaks, hangs or breaks one of its checks; the failing input is
# kept and its path printed. Without clang it says so and succeeds.
#
#   scripts/fuzz-smoke.sh            # ~10 s per target
#   FUZZ_SECONDS=60 scripts/fuzz-smoke.sh
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=${FUZZ_SECONDS:-10}
jobs=${FUZZ_BUILD_JOBS:-2}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}

if ! command -v clang >/dev/null 2>&1 || ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz-smoke: clang not found, fuzz targets skipped"
  exit 0
fi

# clang without its fuzzer runtime (Debian: libclang-rt-14-dev) cannot link
# the targets.
probe=$(mktemp -d "${TMPDIR:-/tmp}/velmora-fuzz-probe.XXXXXX")
printf '#include <cstddef>\n#include <cstdint>\nextern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }\n' \
  >"$probe/p.cpp"
if ! clang++ -fsanitize=fuzzer,address,undefined "$probe/p.cpp" -o "$probe/p" >/dev/null 2>&1; then
  rm -rf "$probe"
  echo "fuzz-smoke: clang cannot link libFuzzer with the sanitizers (libclang-rt missing?), fuzz targets skipped"
  exit 0
fi
rm -rf "$probe"

CC=clang CXX=clang++ cmake -S . -B "$build" -DVELMORA_FUZZ=ON -DVELMORA_BUILD_UI=OFF \
  -DVELMORA_BUILD_TESTS=OFF >/dev/null || { echo "fuzz-smoke: configure failed" >&2; exit 1; }
cmake --build "$build" --target fuzz_targets -j"$jobs" >/dev/null ||
  { echo "fuzz-smoke: build failed" >&2; cmake --build "$build" --target fuzz_targets -j1 2>&1 | tail -n 30; exit 1; }

out=$(mktemp -d "${TMPDIR:-/tmp}/velmora-fuzz-smoke.XXXXXX")
status=0
for target in klv local_set wav analysis journal; do
  case $target in
    analysis) max_len=32768 ;;
    journal) max_len=16384 ;;
    *) max_len=4096 ;;
  esac
  mkdir -p "$out/$target/new"
  # New inputs go to a scratch folder; the committed corpus is only read.
  VELMORA_FUZZ_SCRATCH="$out" "$build/bin/fuzz_$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$out/$target/" \
    "$out/$target/new" "$root/fuzz/corpus/$target" >"$out/$target/log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$target/log")
  if [[ $rc -ne 0 ]]; then
    status=1
    echo "fuzz-smoke: fuzz_$target FAILED (exit $rc) after ${runs:-?} runs"
    grep -E "ERROR|SUMMARY|contract broken|runtime error" "$out/$target/log" | head -n 5
    ls "$out/$target"/crash-* "$out/$target"/leak-* "$out/$target"/timeout-* "$out/$target"/oom-* 2>/dev/null |
      sed 's/^/  input: /'
  else
    echo "fuzz-smoke: fuzz_$target ok, ${runs:-?} runs in ${seconds} s"
  fi
done

if [[ $status -eq 0 ]]; then
  rm -rf "$out"
else
  echo "fuzz-smoke: logs and failing inputs kept in $out"
fi
exit $status
