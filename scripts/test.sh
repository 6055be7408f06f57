#!/usr/bin/env bash
# Runs every test: native ctest, then the Windows test programs and the end-to-end tests under Wine
# on Xvfb, then the whole native suite again built with AddressSanitizer and UndefinedBehaviorSanitizer,
# then each fuzz target for a short bounded time on its seed corpus. Ends with one line
# "N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/build.sh all || { echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
count() {  # reads ctest's summary line from a log
  local log=$1 line total bad
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    if grep -q 'No tests were found' "$log"; then return; fi
    failed=$((failed + 1)); return
  fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

mkdir -p build/logs
echo "== native tests"
ctest --test-dir build/native -j "$(nproc)" --output-on-failure 2>&1 | tee build/logs/native.log | tail -n 40
count build/logs/native.log

echo "== Windows tests under Wine (Xvfb)"
xvfb-run -a -s "-screen 0 1024x768x24" \
  ctest --test-dir build/windows --output-on-failure --timeout 600 2>&1 | tee build/logs/windows.log | tail -n 40
count build/logs/windows.log
WINEPREFIX=$root/build/wineprefix wineserver -k >/dev/null 2>&1 || true

echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
if bash scripts/build.sh asan >build/logs/asan-build.log 2>&1; then
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/asan -j "$(nproc)" --output-on-failure 2>&1 | tee build/logs/asan.log | tail -n 15
  count build/logs/asan.log
else
  tail -n 30 build/logs/asan-build.log
  failed=$((failed + 1))
fi

echo "== fuzz targets (${TLX_FUZZ_SECONDS:-15} s each on the committed seed corpus)"
bash scripts/fuzz.sh "${TLX_FUZZ_SECONDS:-15}" 2>&1 | tee build/logs/fuzz.log
passed=$((passed + $(grep -c ': passed$' build/logs/fuzz.log)))
failed=$((failed + $(grep -c ': failed' build/logs/fuzz.log)))

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
