#!/usr/bin/env bash
# setup.exe /VERYSILENT under Wine with folders and shortcut names that Windows cannot hold, would
# silently change, or that lead out of the desktop: every run ends with 2 and its message in the
# log, before anything is made (no folder on C:, no link anywhere in the prefix).
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/setup_lib.sh"
e2e_init setup_hostile_names
setup_dist
drive_c=$WINEPREFIX/drive_c
mkdir -p "$drive_c/logs"
echo "a file, not a folder" >"$drive_c/file"

# What a run may have made: the entries of C: (the logs aside) and every link in the prefix.
made() {
  (cd "$drive_c" && ls -A | grep -v '^logs$')
  find "$WINEPREFIX" -iname '*.lnk' | sort
}
before=$(made)

bad_folder="Неверно задана основная директория программного комплекса"
bad_name="Неверно задано наименование ярлыка на рабочем столе"
n=0
# refused MESSAGE SWITCHES...: one run that must end with 2, MESSAGE in its log, nothing made.
refused() {
  local message=$1
  shift
  n=$((n + 1))
  cd "$SETUP_DIST" || e2e_fail "no distribution folder"
  e2e_start "run$n" setup.exe /VERYSILENT "/LOG=C:\\logs\\run$n.log" "$@"
  local pid_var=run${n}_pid
  e2e_wait_exit "${!pid_var}" 240
  e2e_log "run $n: setup.exe /VERYSILENT $* ended with $e2e_status"
  [ "$e2e_status" = 2 ] || e2e_fail "setup.exe $* ended with $e2e_status, expected 2 (log: $(cat "$drive_c/logs/run$n.log"))"
  grep -q "error: exit code 2: $message" "$drive_c/logs/run$n.log" ||
    e2e_fail "the log of setup.exe $* does not give the reason: $(cat "$drive_c/logs/run$n.log")"
  [ "$(made)" = "$before" ] || e2e_fail "setup.exe $* made something: $(diff <(echo "$before") <(made))"
}

refused "$bad_folder" '/DIR=c:\tlx '
refused "$bad_folder" '/DIR=c:\tlx.'
refused "$bad_folder" '/DIR=c:\tlx:x'
refused "$bad_folder" '/DIR=c:\a*b'
refused "$bad_folder" '/DIR=c:\CON'
refused "$bad_folder" '/DIR=c:\x\nul.txt'
refused "$bad_folder" '/DIR=c:\file'
refused "$bad_name" '/DIR=c:\tlx5_320' '/SHORTCUT=..\..\evil'
refused "$bad_name" '/DIR=c:\tlx5_320' '/SHORTCUT=sub\x'
refused "$bad_name" '/DIR=c:\tlx5_320' '/SHORTCUT=a<b>'
refused "$bad_name" '/DIR=c:\tlx5_320' '/SHORTCUT=CON'
cp "$drive_c"/logs/*.log "$E2E_ARTIFACTS/" 2>/dev/null
e2e_log "passed"
