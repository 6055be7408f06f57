# Helpers of the setup program's end-to-end tests, sourced after e2e_lib.sh.
#
# Environment: SETUP_EXE, and the tools that make the sample distribution: NATIVE_MKSAMPLE and
# NATIVE_TLXPACK (a native build's, used when present), else WIN_MKSAMPLE and WIN_TLXPACK under Wine;
# TLXSTUB_EXE, the stand-in tlx.exe (a placeholder goes in when it is missing); E2E_EXTRA_PAYLOAD_MB,
# when set, adds a file Base/bulk.dat of that many MiB of random bytes to the payload, so the
# installation lasts long enough to be photographed (scripts/screenshots.sh sets it).

# setup_dist: writes the sample payload (SETUP_PAYLOAD) and the distribution, with setup.exe, to
# C:\dist of the prefix (SETUP_DIST). Native tools write the payload to $E2E_DIR/payload; the Windows
# tools under Wine write it inside the prefix, as Wine writes nowhere else.
setup_dist() {
  : "${SETUP_EXE:?}"
  SETUP_PAYLOAD=$E2E_DIR/payload
  SETUP_DIST=$WINEPREFIX/drive_c/dist
  local stub=()
  if [ -n "${TLXSTUB_EXE:-}" ] && [ -f "$TLXSTUB_EXE" ]; then stub=(--tlx-exe "$TLXSTUB_EXE"); fi
  if [ -x "${NATIVE_MKSAMPLE:-}" ] && [ -x "${NATIVE_TLXPACK:-}" ]; then
    "$NATIVE_MKSAMPLE" "$SETUP_PAYLOAD" "${stub[@]}" >"$E2E_DIR/logs/mksample.log" 2>&1 ||
      e2e_fail "mksample failed"
    setup_extra_payload
    "$NATIVE_TLXPACK" build "$SETUP_PAYLOAD" -o "$SETUP_DIST" --volume-size 64K --setup "$SETUP_EXE" \
      >"$E2E_DIR/logs/tlxpack.log" 2>&1 || e2e_fail "tlxpack build failed"
  else
    : "${WIN_MKSAMPLE:?}" "${WIN_TLXPACK:?}"
    SETUP_PAYLOAD=$WINEPREFIX/drive_c/payload
    local wstub=()
    if [ ${#stub[@]} -gt 0 ]; then wstub=(--tlx-exe "$(e2e_winpath "$TLXSTUB_EXE")"); fi
    wine "$WIN_MKSAMPLE" "$(e2e_winpath "$SETUP_PAYLOAD")" "${wstub[@]}" >"$E2E_DIR/logs/mksample.log" 2>&1 ||
      e2e_fail "mksample.exe failed"
    setup_extra_payload
    wine "$WIN_TLXPACK" build "$(e2e_winpath "$SETUP_PAYLOAD")" -o 'C:\dist' --volume-size 64K \
      --setup "$(e2e_winpath "$SETUP_EXE")" >"$E2E_DIR/logs/tlxpack.log" 2>&1 || e2e_fail "tlxpack.exe build failed"
  fi
  [ -f "$SETUP_DIST/setup.exe" ] || e2e_fail "the distribution has no setup.exe"
  e2e_log "sample distribution in C:\\dist"
}

# The optional bulk file of E2E_EXTRA_PAYLOAD_MB (see above).
setup_extra_payload() {
  if [ -n "${E2E_EXTRA_PAYLOAD_MB:-}" ]; then
    head -c "$((E2E_EXTRA_PAYLOAD_MB * 1048576))" /dev/urandom >"$SETUP_PAYLOAD/Base/bulk.dat" ||
      e2e_fail "cannot write the bulk file"
  fi
}

# setup_click TITLE CAPTION: clicks a button of a window once the window is up.
setup_click() {
  e2e_driver wait --title "$1" --timeout 60 || e2e_fail "no window $1"
  e2e_driver click --title "$1" --text "$2" || e2e_fail "cannot click \"$2\" in $1"
}

# setup_shot TITLE NAME: waits for a window and photographs the screen.
setup_shot() {
  e2e_driver wait --title "$1" --timeout 120 || e2e_fail "no window $1"
  sleep 1  # let it paint
  e2e_screenshot "$2" "$1"
}

# setup_start_to_folder_step: starts setup.exe in the distribution's folder and goes through the
# agreement, the start panel and the variant window up to the install-directory window.
setup_start_to_folder_step() {
  cd "$SETUP_DIST" || e2e_fail "no distribution folder"
  e2e_start setup setup.exe
  setup_shot TlxSetup5_320 01-licence
  setup_click TlxSetup5_320 "Я принимаю условия лицензионного договора"
  setup_shot TInsMain 02-main
  setup_click TInsMain "Дальше"
  setup_shot TInsVar 03-variant
  setup_click TInsVar "Дальше"
  setup_shot TInsDir 04-folder
}

# The desktop folder of the prefix's user.
setup_desktop() { ls -d "$WINEPREFIX"/drive_c/users/*/Desktop 2>/dev/null | grep -v /Public/ | head -n 1; }
