# Helpers of the end-to-end tests, sourced by each test script.
#
# Each test gets a fresh Wine prefix, copied from a template prefix that is made once per build
# folder (through scripts/wine-prefix, so Desktop and Documents are folders inside the prefix), and
# shows its windows in a Wine virtual desktop of 1024x768 on the X display the caller provides
# (scripts/test.sh runs the tests under xvfb-run). Screenshots go to <build>/artifacts/<test>/.
#
# Environment: E2E_BUILD (the CMake build folder), UIDRIVER_EXE (the window driver), and the
# programs a test runs (SETUP_EXE, ...). ctest sets LOCPATH and LC_ALL for a Russian system.

e2e_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
declare -a e2e_pids=()

e2e_log() { echo "[$(date +%H:%M:%S)] $*"; }

# Ends the test with a failure message, after a screenshot of the moment.
e2e_fail() {
  echo "FAILED: $*" >&2
  e2e_screenshot failure >/dev/null 2>&1 || true
  exit 1
}

# e2e_init NAME: prepares the test's prefix, folders and clean-up.
e2e_init() {
  E2E_NAME=$1
  : "${E2E_BUILD:?}" "${UIDRIVER_EXE:?}"
  if [ -z "${DISPLAY:-}" ]; then
    echo "no X display: run the end-to-end tests under xvfb-run" >&2
    exit 77  # skipped
  fi
  E2E_DIR=$E2E_BUILD/e2e/$E2E_NAME
  E2E_ARTIFACTS=$E2E_BUILD/artifacts/$E2E_NAME
  rm -rf "$E2E_DIR" "$E2E_ARTIFACTS"
  mkdir -p "$E2E_DIR/logs" "$E2E_ARTIFACTS"
  export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
  e2e_template "$E2E_BUILD/e2e/prefix-template"
  cp -a "$E2E_BUILD/e2e/prefix-template" "$E2E_DIR/prefix"
  export WINEPREFIX=$E2E_DIR/prefix
  trap e2e_cleanup EXIT
}

# e2e_template DIR: makes the template prefix once (under the lock that scripts/wine-prefix takes).
e2e_template() {
  local template=$1
  WINEPREFIX=$template bash "$e2e_root/scripts/wine-prefix" || e2e_fail "cannot make the Wine prefix"
  (
    flock 9
    if [ ! -f "$template/.tlx-e2e-ready" ]; then
      # Windows in a virtual desktop get Wine's own frames and title bars (Xvfb has no window
      # manager), so screenshots show them as a user would.
      WINEPREFIX=$template wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
      WINEPREFIX=$template wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
        /d 1024x768 /f
      WINEPREFIX=$template wineserver -w
      touch "$template/.tlx-e2e-ready"
    fi
  ) 9>"$template.lock" >/dev/null 2>&1
}

# Ends what the test started and removes its prefix (some 700 MB; E2E_KEEP_PREFIX=1 keeps it).
# Logs and screenshots stay.
e2e_cleanup() {
  local pid
  for pid in "${e2e_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  if [ "${E2E_KEEP_PREFIX:-0}" != 1 ]; then rm -rf "$E2E_DIR/prefix"; fi
}

# e2e_start NAME PROGRAM [ARGS...]: starts a Windows program in the background; its process id
# goes to the variable NAME_pid, its output to logs/NAME.log.
e2e_start() {
  local name=$1
  shift
  wine "$@" >"$E2E_DIR/logs/$name.log" 2>&1 &
  local pid=$!
  e2e_pids+=("$pid")
  printf -v "${name}_pid" '%s' "$pid"
}

# e2e_driver ARGS...: runs the window driver; its output on stdout.
e2e_driver() { wine "$UIDRIVER_EXE" "$@"; }

# The Windows form of a Linux path (Wine's drive Z: is the root).
e2e_winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

# e2e_screenshot NAME [TITLE]: the screen as artifacts/<test>/NAME.png (BMP when no converter
# exists); with TITLE also that window's place on the screen as NAME.rect ("left top width height",
# for scripts/screenshots.sh). The driver writes inside the prefix (Wine writes nowhere else); the
# file is moved out after.
e2e_screenshot() {
  local inside=$WINEPREFIX/drive_c/screenshot.bmp
  e2e_driver screenshot 'C:\screenshot.bmp' || return 1
  if [ -n "${2:-}" ]; then e2e_driver rect --title "$2" >"$E2E_ARTIFACTS/$1.rect" 2>/dev/null || rm -f "$E2E_ARTIFACTS/$1.rect"; fi
  if command -v convert >/dev/null && convert "$inside" "$E2E_ARTIFACTS/$1.png" 2>/dev/null; then
    rm -f "$inside"
  else
    mv "$inside" "$E2E_ARTIFACTS/$1.bmp"
  fi
  e2e_log "screenshot $1"
}

# e2e_wait_exit PID SECONDS: waits for a background program; its exit code in e2e_status
# (124 when it was still running after SECONDS).
e2e_wait_exit() {
  local pid=$1 limit=$2 waited=0
  while kill -0 "$pid" 2>/dev/null; do
    if [ "$waited" -ge $((limit * 10)) ]; then
      e2e_status=124
      return
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
  wait "$pid"
  e2e_status=$?
}
