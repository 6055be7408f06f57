#!/usr/bin/env bash
# The suite registered and removed under Wine: setup.exe /VERYSILENT installs C:\tlx5_320; the
# registry entry is read back with `wine reg query`; the uninstaller's own window asks first (the
# question is photographed and answered "Нет": nothing goes); a user's estimate is put in a working
# folder; then the entry's QuietUninstallString runs: the suite's files, the shortcut and the entry
# are gone, the estimate and its folders stay.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/setup_lib.sh"
e2e_init setup_uninstall
setup_dist
drive_c=$WINEPREFIX/drive_c
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\TlxSetup5_320'

cd "$SETUP_DIST" || e2e_fail "no distribution folder"
e2e_start install setup.exe /VERYSILENT '/DIR=c:\tlx5_320' '/LOG=C:\setup.log'
e2e_wait_exit "$install_pid" 240
[ "$e2e_status" = 0 ] || e2e_fail "setup.exe /VERYSILENT ended with $e2e_status (log: $(cat "$drive_c/setup.log" 2>/dev/null))"
[ -f "$drive_c/tlx5_320/Uninstall.exe" ] && [ -f "$drive_c/tlx5_320/Uninstall.lst" ] || e2e_fail "no uninstaller installed"
[ -n "$(find "$(setup_desktop)" -iname '*.lnk')" ] || e2e_fail "no desktop shortcut"

# The entry, as deployment tools read it.
wine reg query "$key" >"$E2E_DIR/logs/reg-query.txt" 2>&1 || e2e_fail "no registry entry: $(cat "$E2E_DIR/logs/reg-query.txt")"
# reg writes the console's OEM code page (866 on a Russian system).
tr -d '\r' <"$E2E_DIR/logs/reg-query.txt" | iconv -f cp866 -t utf-8 >"$E2E_ARTIFACTS/reg-query.txt" ||
  e2e_fail "reg query's output is not in code page 866"
value() { sed -n "s/^ *$1 *\(REG_[A-Z]*\) *\(.*\)$/\1 \2/p" "$E2E_ARTIFACTS/reg-query.txt"; }
expect() {
  local got
  got=$(value "$1")
  [ "$got" = "$2" ] || e2e_fail "$1 is \"$got\", expected \"$2\""
}
expect DisplayVersion 'REG_SZ 3.2.0'
expect InstallLocation 'REG_SZ c:\tlx5_320'
expect DisplayIcon 'REG_SZ c:\tlx5_320\Exe\tlx.exe'
expect UninstallString 'REG_SZ "c:\tlx5_320\Uninstall.exe" /UNINSTALL'
expect QuietUninstallString 'REG_SZ "c:\tlx5_320\Uninstall.exe" /UNINSTALL /VERYSILENT'
expect NoModify 'REG_DWORD 0x1'
expect NoRepair 'REG_DWORD 0x1'
expect DisplayName 'REG_SZ ТЛК 5 (редакция 3.2.0)'
value Publisher | grep -q 'Научно-производственная фирма .ТЛК-Софт.' || e2e_fail "Publisher is \"$(value Publisher)\""
value InstallDate | grep -Eq '^REG_SZ 20[0-9]{6}$' || e2e_fail "InstallDate is \"$(value InstallDate)\""
kib=$(( $(value EstimatedSize | sed 's/REG_DWORD //') ))
size=$(du -sb --apparent-size "$drive_c/tlx5_320" | cut -f1)
[ "$kib" -ge $(( size / 1024 / 2 )) ] && [ "$kib" -le $(( size / 1024 + 64 )) ] ||
  e2e_fail "EstimatedSize $kib KiB for $size bytes installed"
e2e_log "registry entry read back"

# The uninstaller asks first; "Нет" leaves everything as it is.
cd "$drive_c/tlx5_320" || e2e_fail "no installation folder"
e2e_start ask 'C:\tlx5_320\Uninstall.exe' /UNINSTALL
query_title='     З а п р о с  !'
setup_shot "$query_title" 01-uninstall-question
e2e_driver texts --title "$query_title" | grep -q "Удалить программный комплекс ТЛК5 3.2.0 из папки" ||
  e2e_fail "the question does not ask to remove the suite"
e2e_driver click --title "$query_title" --text "Нет" || e2e_fail "cannot answer Нет"
e2e_wait_exit "$ask_pid" 60
[ "$e2e_status" = 2 ] || e2e_fail "the uninstaller answered Нет ended with $e2e_status, expected 2"
[ -f "$drive_c/tlx5_320/Exe/tlx.exe" ] || e2e_fail "the answer Нет removed files"
cd "$E2E_DIR" || true

# A user's estimate in a working folder, then the quiet command line of the entry.
printf 'estimate' >"$drive_c/tlx5_320/Rus/Rab/смета.est"
quiet=$(value QuietUninstallString | sed 's/^REG_SZ //')
program=$(printf '%s' "$quiet" | sed 's/^"\([^"]*\)".*/\1/')
switches=$(printf '%s' "$quiet" | sed 's/^"[^"]*" *//')
# shellcheck disable=SC2086
e2e_start quiet "$program" $switches '/LOG=C:\uninstall.log'
e2e_wait_exit "$quiet_pid" 120
cp "$drive_c/uninstall.log" "$E2E_ARTIFACTS/uninstall.log" 2>/dev/null
[ "$e2e_status" = 0 ] || e2e_fail "$quiet ended with $e2e_status (log: $(cat "$drive_c/uninstall.log" 2>/dev/null))"
left=$(cd "$drive_c/tlx5_320" && find . -type f | sort)
[ "$left" = "./Rus/Rab/смета.est" ] || e2e_fail "files left besides the estimate: $left"
folders=$(cd "$drive_c/tlx5_320" && find . -mindepth 1 -type d | sort | tr '\n' ' ')
[ "$folders" = "./Rus ./Rus/Rab " ] || e2e_fail "folders left besides the estimate's: $folders"
[ -z "$(find "$(setup_desktop)" -iname '*.lnk')" ] || e2e_fail "the desktop shortcut stays"
if wine reg query "$key" >/dev/null 2>&1; then e2e_fail "the registry entry stays"; fi
grep -q "left folder c:\\\\tlx5_320\\\\Rus\\\\Rab" "$drive_c/uninstall.log" ||
  e2e_fail "the log does not name the folder left: $(cat "$drive_c/uninstall.log")"
e2e_log "passed"
