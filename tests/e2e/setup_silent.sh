#!/usr/bin/env bash
# setup.exe with /VERYSILENT installs without a window and ends with 0; a bad switch ends with 1
# and writes nothing.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/setup_lib.sh"
e2e_init setup_silent
setup_dist
cd "$SETUP_DIST" || e2e_fail "no distribution folder"

e2e_start bad setup.exe /VERYSILENT /NOSUCHSWITCH
e2e_wait_exit "$bad_pid" 60
[ "$e2e_status" = 1 ] || e2e_fail "a bad switch ended with $e2e_status, expected 1"
[ ! -e "$WINEPREFIX/drive_c/tlx5_320" ] || e2e_fail "a bad switch made the installation folder"

e2e_start silent setup.exe /VERYSILENT '/DIR=c:\tlx5_320'
e2e_wait_exit "$silent_pid" 120
[ "$e2e_status" = 0 ] || e2e_fail "/VERYSILENT ended with $e2e_status"
cfg=$(find "$WINEPREFIX/drive_c/tlx5_320" -maxdepth 2 -iname cfg.tlx | head -n 1)
[ -n "$cfg" ] && [ "$(stat -c %s "$cfg")" = 1407 ] || e2e_fail "no Cfg.tlx of 1407 bytes"
ls "$(setup_desktop)" | grep -qi '\.lnk$' || e2e_fail "no desktop shortcut"
e2e_log "passed"
