#!/usr/bin/env bash
# Cancelling setup.exe at the install-directory step leaves the disk untouched: no installation
# folder, no shortcut, the distribution as it was. On the way the folder picker is left with
# "Отказ" (the field stays) and then used: a folder opened in its list and "Выбрать" put into the
# field with the installation folder's name.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/setup_lib.sh"
e2e_init setup_cancel
setup_dist
mkdir -p "$WINEPREFIX/drive_c/Сметы"
before=$(cd "$SETUP_DIST" && find . -type f -exec md5sum {} + | sort)
setup_start_to_folder_step
# The folder picker opens over the step and its "Отказ" leaves the folder field as it was.
e2e_driver click --title TInsDir --text "Обзор" || e2e_fail "cannot click Обзор"
setup_shot TSelDir 05-picker
e2e_driver texts --title TSelDir | grep -q "	Размер свободного пространства на диске " || e2e_fail "the picker shows no free space"
e2e_driver click --title TSelDir --text "Отказ" || e2e_fail "cannot leave the picker"
e2e_driver gone --title TSelDir --timeout 10 || e2e_fail "the picker stays"
e2e_driver texts --title TInsDir | grep -q "	c:\\\\tlx5_320\$" || e2e_fail "the folder field changed"
# Again, and a folder of drive c: opened by a double click and chosen.
e2e_driver click --title TInsDir --text "Обзор" || e2e_fail "cannot click Обзор"
e2e_driver wait --title TSelDir --timeout 30 || e2e_fail "the picker does not open again"
e2e_driver dblclick --title TSelDir --class ListBox --item "Сметы" || e2e_fail "the picker does not list c:\\Сметы"
for _ in $(seq 50); do
  [ "$(e2e_driver selected --title TSelDir --class ListBox | cut -f2 | sed 's/^ *//')" = "Сметы" ] && break
  sleep 0.1
done
setup_shot TSelDir 06-picker-folder
[ "$(e2e_driver selected --title TSelDir --class ListBox | cut -f2 | sed 's/^ *//')" = "Сметы" ] ||
  e2e_fail "the opened folder is not the selected line: $(e2e_driver texts --title TSelDir)"
e2e_driver click --title TSelDir --text "Выбрать" || e2e_fail "cannot click Выбрать"
e2e_driver gone --title TSelDir --timeout 10 || e2e_fail "the picker stays after Выбрать"
texts=$(e2e_driver texts --title TInsDir)
grep -q "	c:\\\\Сметы\\\\tlx5_320\$" <<<"$texts" || e2e_fail "Выбрать did not fill the folder field: $texts"
setup_shot TInsDir 07-folder-chosen
e2e_driver click --title TInsDir --text "Отказ от инсталляциии" || e2e_fail "cannot cancel the folder step"
e2e_wait_exit "$setup_pid" 30
[ "$e2e_status" = 0 ] || e2e_fail "setup.exe ended with $e2e_status"

[ ! -e "$WINEPREFIX/drive_c/tlx5_320" ] || e2e_fail "the installation folder was made"
[ -z "$(ls -A "$WINEPREFIX/drive_c/Сметы")" ] || e2e_fail "the chosen folder got files: $(ls "$WINEPREFIX/drive_c/Сметы")"
desktop=$(setup_desktop)
[ -z "$(ls -A "$desktop" 2>/dev/null)" ] || e2e_fail "the desktop is not empty: $(ls "$desktop")"
after=$(cd "$SETUP_DIST" && find . -type f -exec md5sum {} + | sort)
[ "$before" = "$after" ] || e2e_fail "the distribution folder changed"
e2e_log "passed"
