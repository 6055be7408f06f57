#!/usr/bin/env bash
# Builds both targets: native (core, tests, tools) and Windows (setup.exe, test .exe files).
# Usage: scripts/build.sh [native|windows|all|asan]   (default all; asan: the native build with
# AddressSanitizer and UndefinedBehaviorSanitizer in build/asan, which the test command runs too)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
which=${1:-all}
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
jobs=$(nproc)
if [ "$which" = all ] || [ "$which" = native ]; then
  cmake --preset native -DTLX_WERROR=$werror >/dev/null
  cmake --build build/native -j "$jobs"
fi
if [ "$which" = asan ]; then
  # Warnings are the plain native build's business: under the sanitizers' instrumentation GCC's flow
  # analysis warns about sizes no program path reaches.
  cmake --preset asan -DTLX_WERROR=OFF >/dev/null
  cmake --build build/asan -j "$jobs"
  exit 0
fi
if [ "$which" = all ] || [ "$which" = windows ]; then
  cmake --preset windows -DTLX_WERROR=$werror >/dev/null
  cmake --build build/windows -j "$jobs"
fi
# The sample distribution: the sample payload packed by tlxpack (with setup.exe and the stand-in
# tlx.exe when the Windows build made them) and verified; then installed unattended by tlxsetup, as
# setup.exe /VERYSILENT would, once per variant into c:\tlx5_320-N of a drive c: mapped onto
# build/native/sample-c (desktop shortcuts in its Desktop, logs beside). Any exit code but 0 fails.
if [ "$which" = all ] || [ "$which" = native ]; then
  cmake --build build/native --target sample_distribution
  drive_c=$root/build/native/sample-c
  rm -rf "$drive_c"
  mkdir -p "$drive_c/Desktop"
  for variant in 0 1; do
    status=0
    (cd build/native/sample-dist &&
      TLX_DESKTOP='c:\Desktop' TLX_REGISTRY="$drive_c/registry.ini" ../tools/tlxsetup/tlxsetup --drive "c=$drive_c" /VERYSILENT "/VARIANT=$variant" \
        "/DIR=c:\tlx5_320-$variant" "/LOG=c:\setup-$variant.log") || status=$?
    if [ "$status" -ne 0 ]; then
      echo "tlxsetup (variant $variant) ended with exit code $status; see $drive_c/setup-$variant.log" >&2
      exit 1
    fi
    echo "sample distribution installed by tlxsetup into $drive_c/tlx5_320-$variant"
  done
fi
