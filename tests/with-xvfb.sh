#!/bin/sh
# Runs a command on a private virtual X display that it starts and stops
# (640 x 480 by default; TAVROK_XVFB=WxHxDEPTH gives another). It is not
# reset when its last client leaves, so the pointer stays where it was put;
# TAVROK_XVFB_RESET=1 lets it reset, as Wine's runs had it (a Wine program
# now and then hangs on Ctrl+C on a display that is never reset).
dir=$(mktemp -d)
noreset=-noreset
[ "${TAVROK_XVFB_RESET:-0}" = 1 ] && noreset=""
Xvfb -displayfd 3 -screen 0 "${TAVROK_XVFB:-640x480x24}" -nolisten tcp $noreset 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$dir"' EXIT
for i in $(seq 200); do [ -s "$dir/display" ] && break || sleep 0.05; done
[ -s "$dir/display" ] || { echo "with-xvfb: the virtual display did not start: $(cat "$dir/xvfb.log")" >&2; exit 1; }
DISPLAY=":$(cat "$dir/display")" "$@"
