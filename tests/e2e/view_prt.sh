#!/usr/bin/env bash
# The protocol viewer: the errors file first with the caption as its first line, the inaccuracies
# file behind "Неточности", "Выход" closing it; with one file only that file is shown.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
: "${VIEWPRT_EXE:?}"
e2e_init view_prt
drive_c=$WINEPREFIX/drive_c
# The suite writes its protocols in code page 1251.
printf 'Ошибка 1\r\nОшибка 2\r\n' | iconv -f UTF-8 -t CP1251 >"$drive_c/err.txt"
printf 'Неточность 1\r\n' | iconv -f UTF-8 -t CP1251 >"$drive_c/war.txt"
caption='ТЛК-5 (5-3.2.0)       Просмотр файла '

e2e_start both "$VIEWPRT_EXE" 'C:\err.txt' 'C:\war.txt'
e2e_driver wait --title "${caption}C:\\err.txt" --timeout 60 || e2e_fail "the errors file is not shown first"
sleep 1
e2e_screenshot 01-errors
texts=$(e2e_driver texts --title "${caption}C:\\err.txt")
grep -q "	${caption//\\/\\\\}C:\\\\err.txt\\\\r\\\\nОшибка 1\\\\r\\\\nОшибка 2" <<<"$texts" ||
  e2e_fail "the text does not start with the caption and the file: $texts"
e2e_driver click --title "${caption}C:\\err.txt" --text "Неточности" || e2e_fail "no Неточности button"
e2e_driver wait --title "${caption}C:\\war.txt" --timeout 10 || e2e_fail "Неточности does not show the file"
e2e_screenshot 02-inaccuracies
e2e_driver click --title "${caption}C:\\war.txt" --text "Выход" || e2e_fail "no Выход button"
e2e_wait_exit "$both_pid" 20
[ "$e2e_status" = 0 ] || e2e_fail "the viewer did not close: $e2e_status"

e2e_start one "$VIEWPRT_EXE" '' 'C:\war.txt'
e2e_driver wait --title "${caption}C:\\war.txt" --timeout 60 || e2e_fail "the only file is not shown"
sleep 1
e2e_screenshot 03-one-file
e2e_driver close --title "${caption}C:\\war.txt" || e2e_fail "cannot close the viewer"
e2e_wait_exit "$one_pid" 20
e2e_log "passed"
