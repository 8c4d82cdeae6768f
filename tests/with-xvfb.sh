#!/bin/sh
# Runs a command on a private virtual X display that it starts and stops.
dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$dir"' EXIT
i=0
while [ ! -s "$dir/display" ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i + 1)); done
if [ ! -s "$dir/display" ]; then
  echo "with-xvfb: the virtual display did not start:" >&2
  cat "$dir/xvfb.log" >&2
  exit 1
fi
DISPLAY=":$(cat "$dir/display")"
export DISPLAY
"$@"
