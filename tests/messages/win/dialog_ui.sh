#!/usr/bin/env bash
# The message dialog on screen: every kind shown and photographed, answers read back from the demo
# program, the view button opening the viewer or the no-information box, the choice list.
set -uo pipefail
source "$(dirname "$0")/../../e2e/e2e_lib.sh"
: "${DEMO_EXE:?}"
e2e_init message_dialog

ERROR_TITLE='     О ш и б к а  !'
QUERY_TITLE='     З а п р о с  !'
WARNING_TITLE='     П р е д у п р е ж д е н и е  !'
INFO_TITLE='     И н ф о р м а ц и я  !'
declare -a TITLES=("$ERROR_TITLE" "$QUERY_TITLE" "$WARNING_TITLE" "$QUERY_TITLE" "$QUERY_TITLE"
                   "$INFO_TITLE" "$QUERY_TITLE" "$WARNING_TITLE" "$QUERY_TITLE")

# show NAME KIND ARGS...: starts the demo and waits for its window; the window title in $title.
show() {
  local name=$1 kind=$2
  shift 2
  title=${TITLES[$kind]}
  e2e_start "$name" "$DEMO_EXE" "$kind" "$@"
  e2e_driver wait --title "$title" --timeout 60 || e2e_fail "$name: no window \"$title\""
  sleep 0.5
}

# finish NAME EXPECTED: waits for the demo to end and checks its result line.
finish() {
  local name=$1 want=$2 pid_var="${1}_pid"
  e2e_wait_exit "${!pid_var}" 20
  [ "$e2e_status" = 0 ] || e2e_fail "$name: demo ended with $e2e_status"
  local got
  got=$(tr -d '\r' <"$E2E_DIR/logs/$name.log" | grep '^result=')
  [ "$got" = "$want" ] || e2e_fail "$name: expected \"$want\", got \"$got\""
  e2e_log "$name: $got"
}

# expect_control TEXT: the dialog has a control with exactly this text.
expect_control() {
  e2e_driver texts --title "$title" | tr -d '\r' | cut -f3 | grep -qxF -- "$1" ||
    e2e_fail "no control \"$1\" in \"$title\""
}

# Every kind, photographed and closed with Esc (the close request).
for kind in 0 1 2 3 4 5 6 7 8; do
  show kind$kind $kind --text "Сообщение вида $kind#вторая строка текста, перенос по словам и 1,5 без разрыва"
  e2e_screenshot "kind$kind" "$title"
  e2e_driver close --title "$title" || e2e_fail "kind $kind: cannot close"
  finish kind$kind "$(case $kind in
    3) echo 'result=3 button=0 checked=0 chosen=0' ;;
    6) echo 'result=-1 button=0 checked=0 chosen=0' ;;
    8) echo 'result=2 button=0 checked=0 chosen=0' ;;
    *) echo 'result=0 button=0 checked=0 chosen=0' ;;
  esac)"
done

# Error: text and captions read back.
show error 0 --text "Файл a.dat не найден"
expect_control "Файл a.dat не найден"
expect_control "&Выход"
e2e_driver click --title "$title" --text "Выход" || e2e_fail "error: no exit button"
finish error "result=0 button=3 checked=0 chosen=0"

# Question answered yes, then no.
show yes 1 --text "Продолжить?"
expect_control "&Да"
expect_control "&Нет"
e2e_driver click --title "$title" --text "Да" || e2e_fail "query: no yes button"
finish yes "result=1 button=1 checked=0 chosen=0"
show no 1 --text "Продолжить?"
e2e_driver click --title "$title" --text "Нет" || e2e_fail "query: no no button"
finish no "result=0 button=2 checked=0 chosen=0"

# Warning with file names: the viewer opens; a missing file shows the no-information box.
errfile=$E2E_DIR/err.txt
printf 'Ошибок нет.\r\n' >"$errfile"
show viewok 2 --text "Есть замечания" --files "$(e2e_winpath "$errfile")" ""
expect_control "&Просмотр"
e2e_driver click --title "$title" --text "Просмотр" || e2e_fail "warning: no view button"
e2e_driver wait --title "Протокол" --timeout 20 || e2e_fail "the viewer did not open"
e2e_screenshot viewer
e2e_driver close --title "Протокол" || e2e_fail "cannot close the viewer"
e2e_driver gone --title "Протокол" --timeout 10 || e2e_fail "the viewer stays"
e2e_driver click --title "$title" --text "Выход" || e2e_fail "warning: the dialog is gone after viewing"
finish viewok "result=0 button=3 checked=0 chosen=0"

show nofile 2 --text "Есть замечания" --files "$(e2e_winpath "$E2E_DIR/missing.txt")" ""
e2e_driver click --title "$title" --text "Просмотр" || e2e_fail "warning: no view button"
e2e_driver wait --title dialog_demo --timeout 20 || e2e_fail "no no-information box"
e2e_driver texts --title dialog_demo | grep -qF "Нет информации для просмотра!" ||
  e2e_fail "the no-information box has another text"
e2e_screenshot no-information
e2e_driver close --title dialog_demo
e2e_driver gone --title dialog_demo --timeout 10 || e2e_fail "the no-information box stays"
e2e_driver wait --title "$title" --timeout 5 || e2e_fail "the dialog closed with the box"
e2e_driver click --title "$title" --text "Выход" || e2e_fail "warning: no exit button"
finish nofile "result=0 button=3 checked=0 chosen=0"

# Kind 6 with three choices: the second chosen, then refused.
show choice 6 --text "a.txt"
expect_control "&Выбрать"
expect_control "&Отказаться"
e2e_driver click --title "$title" --id 201 || e2e_fail "choice: no second radio button"
sleep 0.3
e2e_screenshot choice-second
e2e_driver click --title "$title" --text "Выбрать" || e2e_fail "choice: no choose button"
finish choice "result=1 button=5 checked=0 chosen=1"
show refuse 6 --text "a.txt"
e2e_driver click --title "$title" --text "Отказаться" || e2e_fail "choice: no refuse button"
finish refuse "result=-1 button=6 checked=0 chosen=0"

# The check box of kind 4 and the three-way buttons.
show ask 4 --text "Удалить?"
e2e_driver click --title "$title" --id 5 || e2e_fail "ask: no check box"
sleep 0.3
e2e_driver click --title "$title" --text "Да" || e2e_fail "ask: no yes button"
finish ask "result=3 button=1 checked=1 chosen=0"
show three 3 --text "Какой?"
e2e_driver click --title "$title" --text "2" || e2e_fail "three-way: no button 2"
finish three "result=2 button=8 checked=0 chosen=0"

# The file layer's box: a choice answered yes.
e2e_start box "$DEMO_EXE" box 3 --text "a.dat"
e2e_driver wait --title "Выбор" --timeout 60 || e2e_fail "no file-layer box"
sleep 0.5
e2e_screenshot file-box
e2e_driver click --title "Выбор" --text "Да" || e2e_fail "box: no yes button"
finish box "result=2 button=1 checked=0 chosen=0"

# An alarm question, photographed.
show alarm 1 --alarm --text "Внимание!#Данные будут удалены."
e2e_screenshot alarm
e2e_driver close --title "$title"
finish alarm "result=0 button=0 checked=0 chosen=0"
e2e_log "passed"

# The bilingual controls: Russian texts, the switch to Ukrainian, the panel's save button closes.
e2e_start controls "$DEMO_EXE" controls
e2e_driver wait --title "Элементы" --timeout 60 || e2e_fail "no controls form"
sleep 0.5
title="Элементы"
for t in "Надпись" "Группа" "Флажок" "Переключатель" "Сохранить" "Не сохранять" "Обновить" "Применить"; do
  expect_control "$t"
done
e2e_driver texts --title "$title" | tr -d '\r' | grep -qF 'Сменить\r\nязык' ||
  e2e_driver texts --title "$title" | tr -d '\r' | grep -qF 'Сменить' || e2e_fail "no multi-line button"
e2e_screenshot controls-rus
e2e_driver click --title "$title" --id 14 || e2e_fail "no language button"
sleep 0.5
for t in "Напис" "Група" "Прапорець" "Перемикач" "Зберегти"; do
  expect_control "$t"
done
e2e_screenshot controls-ukr
e2e_driver click --title "$title" --text "Не сохранять" || e2e_fail "no don't-save button"
finish controls "result=2 button=0 checked=0 chosen=0"
e2e_log "controls passed"
