#!/usr/bin/env bash
# Refreshes the pictures of the README (docs/screenshots/*.png) from the end-to-end tests: builds the
# Windows target and the native tools that make the sample distribution when they are out of date,
# runs the Wine tests that click through the wizard and show the message dialog on Xvfb, and copies
# the screenshots those tests keep, each cut to the window the test photographed (the tests record
# its place on the screen beside the picture) or kept whole where the whole screen is the point.
# Nothing is drawn or retouched: run it again after a change to a window and commit what it wrote.
# Usage: scripts/screenshots.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
for tool in xvfb-run convert wine; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing (bash scripts/install-deps.sh)" >&2; exit 1; }
done

cmake --preset native >/dev/null
cmake --build build/native -j 2 --target mksample tlxpack
cmake --preset windows >/dev/null
cmake --build build/windows -j 2

# 8 MiB more payload: the installation then lasts long enough for its progress panel to be caught.
export E2E_EXTRA_PAYLOAD_MB=8
tests='^e2e_(setup_wizard|setup_cancel|setup_bad_volume|setup_start_refusals|message_dialog)$'
xvfb-run -a -s "-screen 0 1024x768x24" ctest --test-dir build/windows -R "$tests" --output-on-failure

artifacts=build/windows/artifacts
out=docs/screenshots
rm -rf "$out"
mkdir -p "$out"
# artifact (test/name) -> picture in docs/screenshots, "whole" keeps the full screen.
while read -r from to how; do
  [ -n "$from" ] || continue
  src=$artifacts/$from.png
  [ -f "$src" ] || { echo "screenshots: the tests kept no $src" >&2; exit 1; }
  rect=$artifacts/$from.rect
  if [ "$how" != whole ] && [ -s "$rect" ]; then
    read -r left top width height <"$rect"
    convert "$src" -crop "${width}x${height}+${left}+${top}" +repage -strip "$out/$to.png"
  else
    convert "$src" -strip "$out/$to.png"
  fi
  echo "$out/$to.png  $(identify -format '%wx%h' "$out/$to.png")  $(stat -c %s "$out/$to.png") bytes"
done <<'LIST'
setup_wizard/01-licence            licence
setup_wizard/02-main               main-window        whole
setup_wizard/03-variant            variant
setup_wizard/04-folder             folder
setup_cancel/06-picker-folder      folder-picker
setup_wizard/05-progress           progress           whole
setup_wizard/06-settings           settings
setup_wizard/08-finish             finish
message_dialog/kind4               message-question
setup_start_refusals/03-no-setup-configuration  message-error-125-percent
setup_bad_volume/06-error-list     error-list
LIST
