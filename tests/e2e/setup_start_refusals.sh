#!/usr/bin/env bash
# The ways setup.exe ends before the wizard, with nothing written (no installation folder, no
# Cfg.tlx, no shortcut, the distribution as it was): the licence declined; a system the suite does
# not support (warning 1602, the licence stays until it is declined); no setup configuration file
# (error 605 over the main window, on a 120 ppi screen, so the message window is created scaled to
# 125 %); a setup configuration file that another program holds open, so it cannot be read (an error
# naming the file and the system's reason).
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/setup_lib.sh"
e2e_init setup_start_refusals
setup_dist
drive_c=$WINEPREFIX/drive_c
before=$(cd "$SETUP_DIST" && find . -type f -exec md5sum {} + | sort)
error_title='     О ш и б к а  !'
warning_title='     П р е д у п р е ж д е н и е  !'

# nothing_written WHAT: the disk after a refusal.
nothing_written() {
  [ ! -e "$drive_c/tlx5_320" ] || e2e_fail "$1: the installation folder was made"
  [ -z "$(find "$drive_c" -iname cfg.tlx -print -quit)" ] || e2e_fail "$1: a Cfg.tlx was written"
  [ -z "$(ls -A "$(setup_desktop)" 2>/dev/null)" ] || e2e_fail "$1: the desktop got $(ls "$(setup_desktop)")"
  local after
  after=$(cd "$SETUP_DIST" && find . -type f -exec md5sum {} + | sort)
  [ "$before" = "$after" ] || e2e_fail "$1: the distribution folder changed"
}

# ends WHAT: setup.exe ends with 0.
ends() {
  e2e_wait_exit "$setup_pid" 30
  [ "$e2e_status" = 0 ] || e2e_fail "$1: setup.exe ended with $e2e_status"
  e2e_log "$1: setup.exe ended"
}

cd "$SETUP_DIST" || e2e_fail "no distribution folder"

# The licence declined.
e2e_start setup setup.exe
setup_shot TlxSetup5_320 01-licence
setup_click TlxSetup5_320 "Я НЕ принимаю условия лицензионного договора"
ends "declined"
nothing_written "declined"

# A system the suite does not support: Wine reporting Windows NT 3.51 to setup.exe alone.
wine reg add 'HKCU\Software\Wine\AppDefaults\setup.exe' /v Version /d nt351 /f >/dev/null 2>&1 ||
  e2e_fail "cannot set the Windows version"
e2e_start setup setup.exe
setup_click TlxSetup5_320 "Я принимаю условия лицензионного договора"
setup_shot "$warning_title" 02-unsupported-system
e2e_driver texts --title "$warning_title" |
  grep -qF "Операционная система Вашего компьютера не подходит для установки программного комплекса ТЛК5" ||
  e2e_fail "no warning 1602: $(e2e_driver texts --title "$warning_title")"
# A 96 ppi screen: the message window as designed (342 pixels wide inside).
[ "$(e2e_driver client --title "$warning_title" | cut -f1)" = 342 ] ||
  e2e_fail "the warning is not as designed: $(e2e_driver client --title "$warning_title")"
e2e_driver click --title "$warning_title" --text "Выход" || e2e_fail "cannot close warning 1602"
e2e_driver gone --title "$warning_title" --timeout 10 || e2e_fail "warning 1602 stays"
e2e_driver wait --title TInsMain --timeout 2 2>/dev/null && e2e_fail "the main window opened on an unsupported system"
e2e_driver wait --title TlxSetup5_320 --timeout 10 || e2e_fail "the licence closed after warning 1602"
setup_click TlxSetup5_320 "Я НЕ принимаю условия лицензионного договора"
ends "unsupported system"
nothing_written "unsupported system"
wine reg delete 'HKCU\Software\Wine\AppDefaults\setup.exe' /f >/dev/null 2>&1

# No setup configuration file: error 605 over the main window, which closes and ends the program.
# The screen set to 120 ppi (125 %): the message window is scaled as it is created.
set_ppi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 ||
    e2e_fail "cannot set the screen's pixels per inch"
}
set_ppi 120
config=$(find "$SETUP_DIST" -maxdepth 1 -iname tlxsetup_5_320.cfg)
[ -n "$config" ] || e2e_fail "the distribution has no setup configuration file"
mv "$config" "$E2E_DIR/setup-config"
before=$(cd "$SETUP_DIST" && find . -type f -exec md5sum {} + | sort)
e2e_start setup setup.exe
setup_click TlxSetup5_320 "Я принимаю условия лицензионного договора"
setup_shot "$error_title" 03-no-setup-configuration
e2e_driver texts --title "$error_title" | grep -qF "Отсутствует файл TlxSetup_5_320.Cfg" ||
  e2e_fail "no error 605: $(e2e_driver texts --title "$error_title")"
e2e_driver wait --title TInsMain --timeout 2 || e2e_fail "error 605 does not stand over the main window"
[ "$(e2e_driver client --title "$error_title" | cut -f1)" = 428 ] ||
  e2e_fail "error 605 is not scaled to 125 %: $(e2e_driver client --title "$error_title")"
e2e_driver click --title "$error_title" --text "Выход" || e2e_fail "cannot close error 605"
ends "no setup configuration"
nothing_written "no setup configuration"
mv "$E2E_DIR/setup-config" "$config"
set_ppi 96
before=$(cd "$SETUP_DIST" && find . -type f -exec md5sum {} + | sort)

# The setup configuration file held open by another program that shares nothing.
e2e_start holder "$UIDRIVER_EXE" hold "C:\\dist\\$(basename "$config")"
for _ in $(seq 100); do grep -q held "$E2E_DIR/logs/holder.log" 2>/dev/null && break; sleep 0.1; done
grep -q held "$E2E_DIR/logs/holder.log" || e2e_fail "cannot hold the setup configuration file: $(cat "$E2E_DIR/logs/holder.log")"
e2e_start setup setup.exe
setup_click TlxSetup5_320 "Я принимаю условия лицензионного договора"
# The error comes in the toolkit's box, titled like the application.
e2e_driver wait --title TlxSetup5_320 --class '#32770' --timeout 60 || e2e_fail "no error for the held file"
sleep 1
e2e_screenshot 04-setup-configuration-held
text=$(e2e_driver texts --title TlxSetup5_320 --class '#32770')
grep -qiF "TlxSetup_5_320.cfg" <<<"$text" || e2e_fail "the error does not name the file: $text"
grep -qF "[Win=00000020]" <<<"$text" || e2e_fail "the error does not give the sharing violation: $text"
e2e_driver close --title TlxSetup5_320 --class "#32770" || e2e_fail "cannot close the error"
ends "held setup configuration"
nothing_written "held setup configuration"
e2e_log "passed"
