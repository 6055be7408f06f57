#!/usr/bin/env bash
# A whole installation through setup.exe's windows: licence, start panel, variant, folder and
# shortcut name, installation, settings, finish. Then the installed tree against the payload,
# Cfg.tlx and the desktop shortcut.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/setup_lib.sh"
e2e_init setup_wizard
setup_dist
setup_start_to_folder_step

texts=$(e2e_driver texts --title TInsDir)
grep -q "	c:\\\\tlx5_320\$" <<<"$texts" || e2e_fail "the folder field does not hold c:\\tlx5_320: $texts"
grep -q "	ТЛК5_320\$" <<<"$texts" || e2e_fail "the shortcut name is not ТЛК5_320: $texts"
grep -q "	Размер требуемого пространства на диске " <<<"$texts" || e2e_fail "no required-space line: $texts"
e2e_driver settext --title TInsDir --class Edit 'c:\tlx5_320' || e2e_fail "cannot set the folder"
e2e_driver click --title TInsDir --text "Дальше" || e2e_fail "cannot click Дальше in TInsDir"
# The progress panel, photographed when the installation is slow enough to be caught (not checked).
for _ in $(seq 20); do
  e2e_driver visible --title TInsMain --text "Формирование папок ПК" 2>/dev/null && break
  sleep 0.1
done
e2e_screenshot 05-progress || true

setup_shot TNstr 06-settings
# Russian interface, no automatic saving, the position notes as hints; the rest as the window opens.
for caption in "Русский язык" "Автоматическое сохранение строек" \
    "Отображать в экране локальной сметы примечание позиции в виде всплывающей строки"; do
  e2e_driver click --title TNstr --text "$caption" || e2e_fail "cannot click $caption"
done
setup_shot TNstr 07-settings-changed
setup_click TNstr "Применить"
setup_shot TOKEY 08-finish
setup_click TOKEY "Выход"
e2e_wait_exit "$setup_pid" 30
[ "$e2e_status" = 0 ] || e2e_fail "setup.exe ended with $e2e_status"
e2e_log "setup.exe ended"

installed=$WINEPREFIX/drive_c/tlx5_320
[ -d "$installed" ] || e2e_fail "no installation folder"
python3 - "$SETUP_PAYLOAD" "$installed" "$(setup_desktop)" <<'PY' || e2e_fail "the installation differs"
import os, struct, sys
payload, installed, desktop = sys.argv[1:4]

def find(root, rel):
    # Windows names: letter case does not matter.
    path = root
    for part in rel.split('/'):
        names = {n.lower(): n for n in os.listdir(path)} if os.path.isdir(path) else {}
        if part.lower() not in names:
            return None
        path = os.path.join(path, names[part.lower()])
    return path

def read(path):
    with open(path, 'rb') as f:
        return f.read()

bad = []
for base, _, files in os.walk(payload):
    for name in files:
        rel = os.path.relpath(os.path.join(base, name), payload).replace(os.sep, '/')
        if rel == 'tlxpack.toml' or rel.startswith('Doc/readme.') or rel == 'Cfg/Cfg.tlx':
            continue
        got = find(installed, rel)
        if got is None or read(got) != read(os.path.join(payload, rel)):
            bad.append(rel)
readme = find(installed, 'Doc/readme.txt')
if readme is None or read(readme) != read(os.path.join(payload, 'Doc/readme.three.txt')):
    bad.append('Doc/readme.txt (variant 1)')
if bad:
    sys.exit('missing or different: ' + ', '.join(bad))

cfg = read(find(installed, 'Cfg/Cfg.tlx'))
shipped = read(os.path.join(payload, 'Cfg/Cfg.tlx'))
dword = lambda data, at: struct.unpack_from('<I', data, at)[0]
options = dword(cfg, 0)
checks = {
    'size 1407': len(cfg) == 1407,
    'scaling and position notes set': options & 0x20000800 == 0x20000800,
    'automatic saving and the other options clear': options & 0x02770140 == 0,
    'option bits outside the window kept': options & ~0x22770940 == dword(shipped, 0) & ~0x22770940,
    'automatic saving as shipped': cfg[24:36] == shipped[24:36],
    'interface language Russian': cfg[23] == 1,
    'document language as shipped': cfg[22] == shipped[22],
    'installation kind 1': cfg[116] == 1,
    'scale index 2': dword(cfg, 159) == 2,
    'value 31 at 197': dword(cfg, 197) == 31,
    'bytes 5 0 0 0 at 250': cfg[250:254] == b'\x05\x00\x00\x00',
    'text area kept': cfg[1375:1407] == shipped[1375:1407],
}
failed = [k for k, ok in checks.items() if not ok]
if failed:
    sys.exit('Cfg.tlx: ' + ', '.join(failed))

links = [n for n in os.listdir(desktop) if n.lower().endswith('.lnk')]
if len(links) != 1:
    sys.exit('desktop shortcuts: %r' % links)
link = read(os.path.join(desktop, links[0]))
if b'tlx.exe' not in link.lower():
    sys.exit('the shortcut %s does not start tlx.exe' % links[0])
print('installed tree, Cfg.tlx and shortcut %s checked' % links[0])
PY
e2e_log "passed"
