#!/usr/bin/env bash
# A second copy of setup.exe ends at once with result 0 and no window, leaving the first alone; a
# second copy without windows (/VERYSILENT) ends with 1, since 0 would say it installed.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
e2e_init single_instance
: "${SETUP_EXE:?}"

title=TlxSetup5_320
e2e_start first "$SETUP_EXE"
e2e_driver wait --title "$title" --timeout 60 || e2e_fail "the first copy shows no window"
e2e_log "first copy is up"

e2e_start second "$SETUP_EXE"
e2e_wait_exit "$second_pid" 10
[ "$e2e_status" = 0 ] || e2e_fail "the second copy ended with $e2e_status, expected 0 within 10 s"
e2e_log "second copy ended with 0"

e2e_start quiet "$SETUP_EXE" /VERYSILENT '/DIR=c:\never'
e2e_wait_exit "$quiet_pid" 10
[ "$e2e_status" = 1 ] || e2e_fail "the second copy with /VERYSILENT ended with $e2e_status, expected 1"
e2e_log "second copy with /VERYSILENT ended with 1"

count=$(e2e_driver list | grep -c "	$title\$")
[ "$count" = 1 ] || e2e_fail "expected one window titled $title, found $count"
kill -0 "$first_pid" 2>/dev/null || e2e_fail "the first copy has ended"
e2e_screenshot first-alone

e2e_driver close --title "$title" || e2e_fail "cannot close the first copy"
e2e_driver gone --title "$title" --timeout 10 || e2e_fail "the first copy's window stays"
e2e_wait_exit "$first_pid" 10
[ "$e2e_status" = 0 ] || e2e_fail "the first copy ended with $e2e_status"
e2e_log "passed"
