#!/usr/bin/env bash
# Runs one test process on a virtual display of its own, so that tests running in
# parallel never share a pointer, a keyboard focus or a screen.
set -u
for arg in "$@"; do
  [ "$arg" = "--gtest_list_tests" ] && exec "$@"   # listing needs no display
done

dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
# -displayfd: the server picks a free display number and writes it once it is ready.
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
for _ in $(seq 200); do
  [ -s "$dir/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || { cat "$dir/xvfb.log" >&2; exit 2; }
  sleep 0.02
done
export DISPLAY=":$(head -n1 "$dir/display")"
"$@"
rc=$?
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
exit $rc
