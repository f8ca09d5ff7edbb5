#!/usr/bin/env bash
# Runs one test process on a virtual display of its own, so that tests running in
# parallel never share a pointer, a keyboard focus or a screen. A test that is still
# running after KORTEST_TIMEOUT seconds (default 240) gets the stacks of all its
# threads printed, then is killed, so that a hang in CI says where it hangs.
set -u
for arg in "$@"; do
  [ "$arg" = "--gtest_list_tests" ] && exec "$@"   # listing needs no display
done

dir="$(mktemp -d)"
# -displayfd: the server picks a free display number and writes it once it is ready.
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 </dev/null &
xvfb=$!
cleanup() {
  kill "$xvfb" 2>/dev/null
  for _ in $(seq 50); do kill -0 "$xvfb" 2>/dev/null || break; sleep 0.02; done
  kill -9 "$xvfb" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT

for _ in $(seq 250); do
  [ -s "$dir/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || { cat "$dir/xvfb.log" >&2; exit 2; }
  sleep 0.02
done
[ -s "$dir/display" ] || { echo "Xvfb did not start" >&2; exit 2; }
export DISPLAY=":$(head -n1 "$dir/display")"

"$@" &
test=$!
(
  # The sleep must not hold the test's output open once the watchdog is gone.
  sleep "${KORTEST_TIMEOUT:-240}" </dev/null >/dev/null 2>&1
  if kill -0 "$test" 2>/dev/null; then
    echo "== test still running after ${KORTEST_TIMEOUT:-240} s; stacks:" >&2
    gdb -p "$test" -batch -ex "thread apply all bt" </dev/null >&2 2>&1
    kill -9 "$test"
  fi
) &
watchdog=$!
wait "$test"
rc=$?
kill "$watchdog" 2>/dev/null
exit $rc
