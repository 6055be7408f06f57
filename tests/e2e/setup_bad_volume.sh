#!/usr/bin/env bash
# setup.exe's windows on the way to a failed installation: a folder text that cannot be one gets
# error 602 and the step stays; a damaged volume is listed in the error list with its first line
# selected, and after it the program ends without settings or shortcut, having removed the folder
# it made.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/setup_lib.sh"
e2e_init setup_bad_volume
setup_dist
python3 - "$SETUP_DIST/Setup/TlxStp5_320.002" <<'PY' || e2e_fail "cannot damage the volume"
import sys
path = sys.argv[1]
data = bytearray(open(path, 'rb').read())
data[len(data) // 2] ^= 1
open(path, 'wb').write(data)
PY
setup_start_to_folder_step

error_title='     О ш и б к а  !'
e2e_driver settext --title TInsDir --class Edit 'c:' || e2e_fail "cannot set the folder"
e2e_driver click --title TInsDir --text "Дальше" || e2e_fail "cannot click Дальше in TInsDir"
setup_shot "$error_title" 05-bad-folder
e2e_driver texts --title "$error_title" | grep -q "Неверно задана основная директория программного комплекса" ||
  e2e_fail "no error 602"
e2e_driver click --title "$error_title" --text "Выход" || e2e_fail "cannot close the error"
e2e_driver gone --title "$error_title" --timeout 10 || e2e_fail "the error stays"

e2e_driver settext --title TInsDir --class Edit 'c:\tlx5_320' || e2e_fail "cannot set the folder"
e2e_driver click --title TInsDir --text "Дальше" || e2e_fail "cannot click Дальше in TInsDir"
setup_shot TFListErr 06-error-list
e2e_driver texts --title TFListErr | grep -q "^ListBoxItem	.*TlxStp5_320.002" || e2e_fail "the list does not name the volume"
first=$(e2e_driver texts --title TFListErr | grep -m1 "^ListBoxItem	" | cut -f3)
[ "$(e2e_driver selected --title TFListErr --class ListBox)" = "$(printf '0\t%s' "$first")" ] ||
  e2e_fail "the first line of the error list is not selected: $(e2e_driver selected --title TFListErr --class ListBox)"
e2e_driver click --title TFListErr --text "Выход" || e2e_fail "cannot leave the error list"
e2e_wait_exit "$setup_pid" 30
[ "$e2e_status" = 0 ] || e2e_fail "setup.exe ended with $e2e_status"
[ ! -e "$WINEPREFIX/drive_c/tlx5_320/Cfg/Cfg.tlx" ] || e2e_fail "Cfg.tlx was written"
[ ! -e "$WINEPREFIX/drive_c/tlx5_320" ] || e2e_fail "the failed installation was not undone: $(ls -R "$WINEPREFIX/drive_c/tlx5_320")"
[ -z "$(ls -A "$(setup_desktop)" 2>/dev/null)" ] || e2e_fail "a shortcut was placed"
e2e_log "passed"
