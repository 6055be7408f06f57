#!/usr/bin/env bash
# setup.exe started from another folder with switches but neither /SILENT nor /VERYSILENT: the licence
# and every window still come, preset by /DIR, /SHORTCUT and /LOADINF (variant and settings), and the
# installation takes its volumes from the program's own folder. /LOG logs the run with windows: the
# licence, the steps, every file written. The progress panel stays hidden until the installation,
# and the settings window hides its time picker while automatic saving is off.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/setup_lib.sh"
e2e_init setup_preset
setup_dist
drive_c=$WINEPREFIX/drive_c
printf '[Setup]\r\nVariant=0\r\n[Settings]\r\nCbAuto=0\r\nRILang=1\r\nScale=4\r\n' >"$drive_c/answers.ini"
before=$(cd "$SETUP_DIST" && find . -type f -exec md5sum {} + | sort)

elsewhere=$E2E_DIR/elsewhere
mkdir -p "$elsewhere"
cd "$elsewhere" || e2e_fail "no folder to start in"
e2e_start setup 'C:\dist\setup.exe' '/DIR=c:\preset' '/LOG=c:\s.log' '/LOADINF=c:\answers.ini' '/SHORTCUT=Предустановка'
setup_shot TlxSetup5_320 01-licence
setup_click TlxSetup5_320 "Я принимаю условия лицензионного договора"
setup_shot TInsMain 02-main
e2e_driver visible --title TInsMain --text "Формирование папок ПК" 2>/dev/null &&
  e2e_fail "the progress panel shows before the installation"
setup_click TInsMain "Дальше"
setup_shot TInsVar 03-variant
setup_click TInsVar "Дальше"
setup_shot TInsDir 04-folder
texts=$(e2e_driver texts --title TInsDir)
grep -q "	c:\\\\preset\$" <<<"$texts" || e2e_fail "the folder field does not hold c:\\preset: $texts"
grep -q "	Предустановка\$" <<<"$texts" || e2e_fail "the shortcut name is not the preset one: $texts"
e2e_driver click --title TInsDir --text "Дальше" || e2e_fail "cannot click Дальше in TInsDir"

setup_shot TNstr 05-settings
picker=(--title TNstr --class SysDateTimePick32)
e2e_driver visible "${picker[@]}" 2>/dev/null && e2e_fail "the time picker shows while automatic saving is off"
e2e_driver click --title TNstr --text "Автоматическое сохранение строек" || e2e_fail "cannot tick automatic saving"
for _ in $(seq 30); do e2e_driver visible "${picker[@]}" 2>/dev/null && break; sleep 0.1; done
e2e_driver visible "${picker[@]}" || e2e_fail "the time picker stays hidden with automatic saving on"
e2e_driver click --title TNstr --text "Автоматическое сохранение строек" || e2e_fail "cannot clear automatic saving"
for _ in $(seq 30); do e2e_driver visible "${picker[@]}" 2>/dev/null || break; sleep 0.1; done
e2e_driver visible "${picker[@]}" 2>/dev/null && e2e_fail "the time picker stays with automatic saving off again"
setup_click TNstr "Применить"
setup_shot TOKEY 06-finish
setup_click TOKEY "Выход"
e2e_wait_exit "$setup_pid" 30
[ "$e2e_status" = 0 ] || e2e_fail "setup.exe ended with $e2e_status"
cp "$drive_c/s.log" "$E2E_ARTIFACTS/" 2>/dev/null

installed=$drive_c/preset
[ -d "$installed" ] || e2e_fail "nothing installed in c:\\preset"
[ ! -e "$drive_c/tlx5_320" ] || e2e_fail "the default folder was made"
find "$installed" -ipath '*/lpd' | grep -q . && e2e_fail "variant 0 from the answer file got the LPD folders"
python3 - "$installed" <<'PY' || e2e_fail "Cfg.tlx does not hold the answer file's settings"
import os, struct, sys
root = sys.argv[1]
cfg_dir = next(os.path.join(root, n) for n in os.listdir(root) if n.lower() == 'cfg')
cfg = open(next(os.path.join(cfg_dir, n) for n in os.listdir(cfg_dir) if n.lower() == 'cfg.tlx'), 'rb').read()
options = struct.unpack_from('<I', cfg, 0)[0]
assert cfg[23] == 1, 'interface language'
assert cfg[116] == 0, 'installation kind %d' % cfg[116]
assert struct.unpack_from('<I', cfg, 159)[0] == 4, 'scale index'
PY
ls "$(setup_desktop)" | grep -qi '^Предустановка\.lnk$' || e2e_fail "no shortcut Предустановка: $(ls "$(setup_desktop)")"

log=$(cat "$drive_c/s.log" 2>/dev/null) || e2e_fail "no log c:\\s.log"
for line in "step: installation with windows from " "step: licence agreement accepted" "step: variant 0" \
    "step: folder c:\\preset; Размер свободного пространства на диске " "step: shortcut name Предустановка" \
    "from C:\\dist" "volume: TlxStp5_320.001" "file: c:\\preset\\" "step: settings" "step: finished" \
    "step: installed into c:\\preset"; do
  grep -qiF "$line" <<<"$log" || e2e_fail "the log has no \"$line\": $log"
done
after=$(cd "$SETUP_DIST" && find . -type f -exec md5sum {} + | sort)
[ "$before" = "$after" ] || e2e_fail "the distribution folder changed"
[ -z "$(ls -A "$elsewhere")" ] || e2e_fail "the start folder got files: $(ls "$elsewhere")"
e2e_log "passed"
