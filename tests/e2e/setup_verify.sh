#!/usr/bin/env bash
# setup.exe /VERIFY /VERYSILENT under Wine: the sample distribution holds (exit 0), also when the
# program is started from another folder; a volume whose
# damage keeps its additive checksum (caught by SHA256SUMS), a missing volume and a broken manifest
# (written by an independent Python writer) each end with 3 and the problem's line in the log; no
# installation folder appears. Then a distribution built with a setup.exe signed by a throw-away
# self-signed certificate: osslsigncode verifies it, and the signed setup.exe runs under Wine.
set -uo pipefail
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/setup_lib.sh"
e2e_init setup_verify
setup_dist
drive_c=$WINEPREFIX/drive_c

# verify NAME DIST_FOLDER: setup.exe /VERIFY /VERYSILENT from a distribution folder of the prefix,
# logging to C:\NAME.log; its exit code in e2e_status.
verify() {
  local name=$1 folder=$2
  cd "$folder" || e2e_fail "no distribution folder $folder"
  e2e_start "$name" setup.exe /VERIFY /VERYSILENT "/LOG=C:\\$name.log"
  local pid_var=${name}_pid
  e2e_wait_exit "${!pid_var}" 240
  e2e_log "$name: setup.exe /VERIFY ended with $e2e_status"
  cp "$drive_c/$name.log" "$E2E_ARTIFACTS/" 2>/dev/null
}

# expect_problem NAME LINE: exit code 3 and the line logged as an error.
expect_problem() {
  [ "$e2e_status" = 3 ] || e2e_fail "$1: /VERIFY ended with $e2e_status, expected 3 ($(cat "$drive_c/$1.log" 2>/dev/null))"
  grep -qF "error: $2" "$drive_c/$1.log" || e2e_fail "$1: the log does not say \"$2\": $(cat "$drive_c/$1.log")"
}

verify sample "$SETUP_DIST"
[ "$e2e_status" = 0 ] || e2e_fail "/VERIFY of the sample ended with $e2e_status ($(cat "$drive_c/sample.log" 2>/dev/null))"
grep -q "step: Дистрибутив проверен: .*ошибок нет (контрольные суммы и SHA-256 совпадают)" "$drive_c/sample.log" ||
  e2e_fail "the sample's log has no summary: $(cat "$drive_c/sample.log")"

# Started from another folder, it checks its own folder's distribution.
mkdir -p "$E2E_DIR/elsewhere"
cd "$E2E_DIR/elsewhere" || e2e_fail "no folder to start in"
e2e_start elsewhere 'C:\dist\setup.exe' /VERIFY /VERYSILENT '/LOG=C:\elsewhere.log'
e2e_wait_exit "$elsewhere_pid" 240
[ "$e2e_status" = 0 ] || e2e_fail "/VERIFY started elsewhere ended with $e2e_status: $(cat "$drive_c/elsewhere.log" 2>/dev/null)"
grep -q "ошибок нет" "$drive_c/elsewhere.log" || e2e_fail "/VERIFY started elsewhere: $(cat "$drive_c/elsewhere.log")"

# Two bytes 56 apart swapped in volume 2: the additive checksum stays, SHA-256 sees it.
cp -a "$SETUP_DIST" "$drive_c/dist-swap"
python3 - "$drive_c/dist-swap/Setup/TlxStp5_320.002" <<'PY' || e2e_fail "cannot damage the volume"
import sys
path = sys.argv[1]
data = bytearray(open(path, 'rb').read())
at = 100
while data[at] == data[at + 56]:
    at += 1
data[at], data[at + 56] = data[at + 56], data[at]
open(path, 'wb').write(data)
PY
verify swap "$drive_c/dist-swap"
expect_problem swap "Файл TlxStp5_320.002 - Ошибки при чтении"

cp -a "$SETUP_DIST" "$drive_c/dist-missing"
rm "$drive_c/dist-missing/Setup/TlxStp5_320.003"
verify missing "$drive_c/dist-missing"
expect_problem missing "Файл TlxStp5_320.003 - отсутствует"

cp -a "$SETUP_DIST" "$drive_c/dist-manifest"
rm -r "$drive_c/dist-manifest/Setup"
python3 "$e2e_root/tests/e2e/make_broken_manifest.py" "$drive_c/dist-manifest/Setup" || e2e_fail "cannot write the broken manifest"
verify manifest "$drive_c/dist-manifest"
expect_problem manifest 'Файл InsBf группы 0, строка 2 "0101..\x": имя файла содержит путь'

[ ! -e "$drive_c/tlx5_320" ] || e2e_fail "/VERIFY installed something"

# A signed setup.exe (native tlxpack and Debian's signing tools only).
if [ -x "${NATIVE_TLXPACK:-}" ] && command -v osslsigncode >/dev/null && command -v openssl >/dev/null; then
  keys=$E2E_DIR/keys
  mkdir -p "$keys"
  (cd "$keys" &&
    openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 -subj '/CN=Throwaway Test Signer' &&
    printf 'test-secret\n' >pass.txt &&
    openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.p12 -passout file:pass.txt) \
    >"$E2E_DIR/logs/openssl.log" 2>&1 || e2e_fail "openssl cannot make the test certificate"
  "$NATIVE_TLXPACK" build "$SETUP_PAYLOAD" -o "$drive_c/dist-signed" --volume-size 64K --setup "$SETUP_EXE" \
    --sign-pkcs12 "$keys/cert.p12" --sign-password-file "$keys/pass.txt" >"$E2E_DIR/logs/tlxpack-signed.log" 2>&1 ||
    e2e_fail "tlxpack build --sign-pkcs12 failed: $(cat "$E2E_DIR/logs/tlxpack-signed.log")"
  osslsigncode verify -CAfile "$keys/cert.pem" -in "$drive_c/dist-signed/setup.exe" >"$E2E_DIR/logs/osslsigncode.log" 2>&1 ||
    e2e_fail "osslsigncode does not verify the signed setup.exe: $(cat "$E2E_DIR/logs/osslsigncode.log")"
  "$NATIVE_TLXPACK" verify "$drive_c/dist-signed" --ca-file "$keys/cert.pem" >"$E2E_DIR/logs/verify-signed.log" 2>&1 ||
    e2e_fail "tlxpack verify: $(cat "$E2E_DIR/logs/verify-signed.log")"
  grep -q "setup.exe: signed; the signature verifies" "$E2E_DIR/logs/verify-signed.log" ||
    e2e_fail "tlxpack verify does not report the signature: $(cat "$E2E_DIR/logs/verify-signed.log")"
  verify signed "$drive_c/dist-signed"
  [ "$e2e_status" = 0 ] || e2e_fail "the signed setup.exe /VERIFY ended with $e2e_status"
else
  e2e_log "no native tlxpack or signing tools: the signed setup.exe is not tried"
fi
e2e_log "passed"
