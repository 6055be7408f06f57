#!/usr/bin/env bash
# The window driver against a fixture window: lists controls, reads the window's place, types into
# an edit, clicks a check box and a button (by caption and by id), closes the window; holds a file
# so that no one else opens it. Cyrillic texts in and out.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
e2e_init uidriver
: "${FIXTURE_EXE:?}"

title="Проба драйвера"
e2e_start fixture "$FIXTURE_EXE"
e2e_driver wait --title "$title" --class TlxDriverFixture --timeout 60 ||
  e2e_fail "the fixture shows no window"

texts=$(e2e_driver texts --title "$title") || e2e_fail "texts failed"
expected=$(printf 'TlxDriverFixture\t0\t%s\nEdit\t100\t\nButton\t101\tФлажок\nButton\t1\t&Готово\nListBox\t102\t\nListBoxItem\t102\tодин\nListBoxItem\t102\t  два\nListBoxItem\t102\tтри\nStatic\t103\tСкрыто' "$title")
[ "$texts" = "$expected" ] || e2e_fail "texts gave:
$texts
expected:
$expected"

# The window's place as created (40, 40, 330 x 160 with its frame) and its client area inside it.
[ "$(e2e_driver rect --title "$title")" = "$(printf '40\t40\t330\t160')" ] ||
  e2e_fail "rect gave $(e2e_driver rect --title "$title")"
read -r client_w client_h < <(e2e_driver client --title "$title")
[ "${client_w:-0}" -gt 200 ] && [ "$client_w" -lt 330 ] && [ "${client_h:-0}" -gt 80 ] && [ "$client_h" -lt 160 ] ||
  e2e_fail "client gave ${client_w:-?} x ${client_h:-?}"

# A held file cannot be opened by anyone else until the holder lets it go.
printf 'x' >"$WINEPREFIX/drive_c/held.txt"
e2e_start holder "$UIDRIVER_EXE" hold 'C:\held.txt' --timeout 3
for _ in $(seq 100); do grep -q held "$E2E_DIR/logs/holder.log" 2>/dev/null && break; sleep 0.1; done
grep -q held "$E2E_DIR/logs/holder.log" || e2e_fail "hold did not say it holds the file"
e2e_driver hold 'C:\held.txt' --timeout 0 2>/dev/null && e2e_fail "a held file was opened again"
e2e_wait_exit "$holder_pid" 20
[ "$e2e_status" = 0 ] || e2e_fail "hold ended with $e2e_status"
e2e_driver hold 'C:\held.txt' --timeout 0 >/dev/null || e2e_fail "the file stays held after the holder ended"

# Visibility, a list box's selection and a double click on one of its lines.
e2e_driver visible --title "$title" --text "Флажок" || e2e_fail "the check box reads as hidden"
e2e_driver visible --title "$title" --id 103 2>/dev/null && e2e_fail "the hidden label reads as visible"
[ "$(e2e_driver selected --title "$title" --class ListBox)" = "$(printf -- '-1\t')" ] ||
  e2e_fail "a line is selected before any was chosen"
e2e_driver dblclick --title "$title" --class ListBox --item "два" || e2e_fail "dblclick failed"
e2e_driver dblclick --title "$title" --class ListBox --item "пять" 2>/dev/null && e2e_fail "a missing line was found"
[ "$(e2e_driver selected --title "$title" --class ListBox)" = "$(printf '1\t  два')" ] ||
  e2e_fail "the double-clicked line is not selected"
for _ in $(seq 50); do
  e2e_driver texts --title "$title" | grep -q "^Edit	100	  два\$" && break
  sleep 0.1
done
e2e_driver texts --title "$title" | grep -q "^Edit	100	  два\$" || e2e_fail "the double click did not reach the window"

e2e_driver settext --title "$title" --class Edit --index 0 "Привет" || e2e_fail "settext failed"
e2e_driver click --title "$title" --id 101 || e2e_fail "click on the check box failed"
e2e_driver click --title "$title" --text "Готово" || e2e_fail "click by caption failed"
e2e_driver wait --title "Привет +" --timeout 10 || e2e_fail "the click did not reach the window"
e2e_screenshot after-click

# Failures are reported with a non-zero code.
e2e_driver click --title "Привет +" --text "Нет такой" 2>/dev/null && e2e_fail "a missing control was found"
e2e_driver wait --title "Нет такого окна" --timeout 0.3 2>/dev/null && e2e_fail "a missing window was found"

e2e_driver close --title "Привет +" || e2e_fail "close failed"
e2e_driver gone --title "Привет +" --timeout 10 || e2e_fail "the window stays"
e2e_wait_exit "$fixture_pid" 10
[ "$e2e_status" = 0 ] || e2e_fail "the fixture ended with $e2e_status"
e2e_log "passed"
