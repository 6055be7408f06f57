#!/usr/bin/env bash
# Builds both targets: native (core, tests, tools) and Windows (setup.exe, test .exe files).
# Usage: scripts/build.sh [native|windows|all]   (default all)
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
if [ "$which" = all ] || [ "$which" = windows ]; then
  cmake --preset windows -DTLX_WERROR=$werror >/dev/null
  cmake --build build/windows -j "$jobs"
fi
# The sample distribution: the sample payload packed by tlxpack (with setup.exe and the stand-in
# tlx.exe when the Windows build made them), verified, and installed once per variant through the
# package's install step (tlxpack install) into build/native/sample-install-N.
if [ "$which" = all ] || [ "$which" = native ]; then
  cmake --build build/native --target sample_distribution
  for variant in 0 1; do
    rm -rf "build/native/sample-install-$variant"
    build/native/tools/tlxpack/tlxpack install build/native/sample-dist "build/native/sample-install-$variant" --variant "$variant"
  done
fi
