#!/usr/bin/env bash
# setup.exe with a switch it does not know beside /VERYSILENT ends with 1, shows no box and writes
# nothing.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/setup_lib.sh"
e2e_init setup_bad_switch
setup_dist
cd "$SETUP_DIST" || e2e_fail "no distribution folder"

e2e_start bad setup.exe /VERYSILENT /NOSUCHSWITCH
e2e_wait_exit "$bad_pid" 60
[ "$e2e_status" = 1 ] || e2e_fail "a bad switch ended with $e2e_status, expected 1"
[ ! -e "$WINEPREFIX/drive_c/tlx5_320" ] || e2e_fail "a bad switch made the installation folder"
e2e_log "passed"
