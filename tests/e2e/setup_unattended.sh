#!/usr/bin/env bash
# setup.exe /VERYSILENT under Wine: the sample distribution installed into C:\tlx5_320 with no window,
# exit code 0, the tree against the payload, Cfg.tlx with the settings window's defaults, the desktop
# shortcut and the log; the same started from another folder; then the exit codes of a run into an existing folder (2, nothing written)
# and of a run from a distribution with a damaged volume (4).
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/setup_lib.sh"
e2e_init setup_unattended
setup_dist
check=$e2e_root/tests/e2e/check_install.py
drive_c=$WINEPREFIX/drive_c

# setup_silent NAME DIST_FOLDER ARGS...: runs setup.exe from a distribution folder of the prefix;
# its exit code in e2e_status.
setup_silent() {
  local name=$1 folder=$2
  shift 2
  cd "$folder" || e2e_fail "no distribution folder $folder"
  e2e_start "$name" setup.exe "$@"
  local pid_var=${name}_pid
  e2e_wait_exit "${!pid_var}" 240
  e2e_log "$name: setup.exe $* ended with $e2e_status"
}

# The whole installation, nothing shown.
setup_silent install "$SETUP_DIST" /VERYSILENT '/DIR=c:\tlx5_320' '/LOG=C:\setup.log'
[ "$e2e_status" = 0 ] || e2e_fail "setup.exe /VERYSILENT ended with $e2e_status (log: $(cat "$drive_c/setup.log" 2>/dev/null))"
python3 "$check" "$SETUP_PAYLOAD" "$drive_c/tlx5_320" --desktop "$(setup_desktop)" --log "$drive_c/setup.log" \
  --setup "$SETUP_DIST/Setup" || e2e_fail "the installation differs"
cp "$drive_c/setup.log" "$E2E_ARTIFACTS/setup.log"

# Started from another folder: the distribution is the program's own folder.
mkdir -p "$E2E_DIR/elsewhere"
cd "$E2E_DIR/elsewhere" || e2e_fail "no folder to start in"
e2e_start elsewhere 'C:\dist\setup.exe' /VERYSILENT /NOSHORTCUT '/DIR=c:\from_elsewhere' '/LOG=C:\elsewhere.log'
e2e_wait_exit "$elsewhere_pid" 240
[ "$e2e_status" = 0 ] || e2e_fail "setup.exe started elsewhere ended with $e2e_status: $(cat "$drive_c/elsewhere.log" 2>/dev/null)"
[ -f "$drive_c/from_elsewhere/Cfg/Cfg.tlx" ] || e2e_fail "setup.exe started elsewhere installed nothing"
[ -z "$(ls -A "$E2E_DIR/elsewhere")" ] || e2e_fail "the start folder got files: $(ls "$E2E_DIR/elsewhere")"

# Into the existing folder: refused before anything is written.
before=$(cd "$drive_c/tlx5_320" && find . -type f -printf '%p %s %T@\n' | sort | md5sum)
setup_silent existing "$SETUP_DIST" /VERYSILENT '/DIR=c:\tlx5_320' '/LOG=C:\existing.log'
[ "$e2e_status" = 2 ] || e2e_fail "a run into an existing folder ended with $e2e_status, expected 2"
after=$(cd "$drive_c/tlx5_320" && find . -type f -printf '%p %s %T@\n' | sort | md5sum)
[ "$before" = "$after" ] || e2e_fail "the existing folder was changed"
grep -q "error: exit code 2: Папка c:\\\\tlx5_320 уже существует" "$drive_c/existing.log" ||
  e2e_fail "the log does not name the existing folder: $(cat "$drive_c/existing.log")"

# A distribution with one byte of its second volume flipped: fails during the installation.
cp -a "$SETUP_DIST" "$drive_c/dist-bad"
python3 - "$drive_c/dist-bad/Setup/TlxStp5_320.002" <<'PY' || e2e_fail "cannot damage the volume"
import sys
path = sys.argv[1]
data = bytearray(open(path, 'rb').read())
data[len(data) // 2] ^= 1
open(path, 'wb').write(data)
PY
setup_silent damaged "$drive_c/dist-bad" /VERYSILENT '/DIR=c:\tlx_bad' '/LOG=C:\damaged.log'
[ "$e2e_status" = 4 ] || e2e_fail "a run with a damaged volume ended with $e2e_status, expected 4"
grep -q "error: .*TlxStp5_320.002" "$drive_c/damaged.log" ||
  e2e_fail "the log does not name the damaged volume: $(cat "$drive_c/damaged.log")"
[ ! -e "$drive_c/tlx_bad/Cfg/Cfg.tlx" ] || e2e_fail "files were installed from a damaged distribution"
links=$(find "$(setup_desktop)" -iname '*.lnk' | wc -l)
[ "$links" = 1 ] || e2e_fail "the failed runs changed the desktop: $links shortcuts"
e2e_log "passed"
