#!/usr/bin/env bash
# The test desktop passes the command's exit status on and stops every process it started,
# whether the command fails or the script itself is interrupted.
set -euo pipefail
root=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QUICKHALO_DESKTOP_DIR=$work/desktop

alive() { local state; state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) && [ "$state" != Z ]; }
check_all_stopped() {
  local name pid t0 left=0
  while read -r name pid t0; do
    for _ in $(seq 50); do alive "$pid" || break; sleep 0.1; done
    if alive "$pid"; then echo "FAIL: $name ($pid) still runs after $1"; left=1; fi
  done <"$work/pids"
  [ "$left" = 0 ] && [ ! -e "$QUICKHALO_DESKTOP_DIR/pids" ] || exit 1
  echo "ok: everything stopped after $1"
}

# 1. A failing command: its status comes back and the desktop goes away.
status=0
"$root/scripts/test-desktop" run bash -c "cp \"\$QUICKHALO_TEST_DESKTOP/pids\" '$work/pids'; xdpyinfo >/dev/null; exit 3" || status=$?
[ "$status" = 3 ] || { echo "FAIL: exit status $status, expected 3"; exit 1; }
[ "$(wc -l <"$work/pids")" -ge 5 ] || { echo "FAIL: expected the desktop's processes in the PID file"; exit 1; }
check_all_stopped "a failing command"

# 2. Interrupted while the command runs: the signal goes to the script alone, as a CI time-out would send it.
for signal in TERM INT; do
  rm -f "$work/pids"
  # A background job starts with SIGINT ignored; give the script the disposition a terminal would.
  env --default-signal=INT "$root/scripts/test-desktop" run bash -c "cp \"\$QUICKHALO_TEST_DESKTOP/pids\" '$work/pids'; sleep 60" &
  runner=$!
  for _ in $(seq 100); do [ -s "$work/pids" ] && break; sleep 0.1; done
  [ -s "$work/pids" ] || { echo "FAIL: the desktop did not come up"; exit 1; }
  kill -"$signal" "$runner"
  wait "$runner" || true
  check_all_stopped "SIG$signal"
done
echo "PASS"
