#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build/fuzz) and runs each for a bounded time on its committed
# seed corpus (fuzz/corpus/<target>), after replaying its regression fixtures (fuzz/regressions/<target>,
# inputs that once crashed). New inputs the fuzzer finds go to build/fuzz/work/<target>, never into the
# committed corpus; a crashing input is kept in build/fuzz/crashes/<target>.
# Usage: scripts/fuzz.sh [SECONDS per target, default 15]
# Prints one line per target, "fuzz <target>: passed" or "fuzz <target>: failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-15}
targets=(record_file alias_file volume_container volume_set manifest_line install_buffer)
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DTLX_BUILD_FUZZ=ON -DTLX_BUILD_TESTS=OFF -DTLX_BUILD_BENCH=OFF >/dev/null || exit 1
cmake --build build/fuzz -j "$(nproc)" --target "${targets[@]/%/_fuzz}" >/dev/null || {
  cmake --build build/fuzz -j 1 --target "${targets[@]/%/_fuzz}" 2>&1 | tail -n 30
  for t in "${targets[@]}"; do echo "fuzz $t: failed"; done
  exit 1
}
status=0
for t in "${targets[@]}"; do
  work=build/fuzz/work/$t crashes=build/fuzz/crashes/$t log=build/fuzz/$t.log
  mkdir -p "$work" "$crashes"
  ok=1
  if [ -d "fuzz/regressions/$t" ] && [ -n "$(ls -A "fuzz/regressions/$t")" ]; then
    build/fuzz/fuzz/${t}_fuzz -runs=0 "fuzz/regressions/$t"/* >"$log" 2>&1 || ok=0
  fi
  if [ $ok = 1 ]; then
    build/fuzz/fuzz/${t}_fuzz -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$crashes/" "$work" "fuzz/corpus/$t" >>"$log" 2>&1 || ok=0
  fi
  if [ $ok = 1 ]; then
    echo "fuzz $t: passed"
  else
    echo "fuzz $t: failed (see $log; the input is in $crashes)"
    grep -E 'ERROR|SUMMARY|runtime error' "$log" | head -n 5
    status=1
  fi
done
exit $status
