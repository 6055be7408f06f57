#!/usr/bin/env bash
# setup.exe started from a folder where somebody left DLLs named like system DLLs that are no known
# DLLs (CANARY_DIR, the names in CANARY_NAMES): after a whole unattended installation none of them
# was loaded (each writes C:\canary-loaded.txt when it is). Wine prefers its own built-in DLLs, so
# the names are set native-first, as Windows would search them: the program's folder first unless
# the program limits the search to the system folder.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/setup_lib.sh"
e2e_init setup_dll_planting
: "${CANARY_DIR:?}" "${CANARY_NAMES:?}"
setup_dist
drive_c=$WINEPREFIX/drive_c
cp "$CANARY_DIR"/*.dll "$SETUP_DIST/" || e2e_fail "no canary DLLs in $CANARY_DIR"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$CANARY_NAMES=n,b"

cd "$SETUP_DIST" || e2e_fail "no distribution folder"
e2e_start install setup.exe /VERYSILENT '/DIR=c:\tlx5_320' '/LOG=C:\setup.log'
e2e_wait_exit "$install_pid" 240
e2e_log "setup.exe /VERYSILENT beside the canaries ended with $e2e_status"
if [ -f "$drive_c/canary-loaded.txt" ]; then
  cp "$drive_c/canary-loaded.txt" "$E2E_ARTIFACTS/"
  e2e_fail "setup.exe loaded DLLs from its own folder: $(tr -d '\r' <"$drive_c/canary-loaded.txt" | tr '\n' ' ')"
fi
[ "$e2e_status" = 0 ] || e2e_fail "setup.exe /VERYSILENT ended with $e2e_status (log: $(cat "$drive_c/setup.log" 2>/dev/null))"
[ -f "$drive_c/tlx5_320/Cfg/Cfg.tlx" ] || e2e_fail "nothing was installed"
e2e_log "passed"
