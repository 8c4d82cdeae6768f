# Shared by the end-to-end scripts: starting the real program on the virtual
# display and typing keys into it. Needs $build, $work and fail().

# Starts the game in the build folder; sets $game and $win. A display that
# refuses a connection now and then, right after the last program left it,
# is not what the scripts test: such a start is tried again, and counted.
restarts=0
start() {
  cd "$build" || exit 1
  for try in 1 2 3; do
    ./tavrok >"$work/out" 2>"$work/err" &
    game=$!
    win=""
    for i in $(seq 100); do
      win=$(xdotool search --onlyvisible --name '.' 2>/dev/null | head -n 1)
      [ -n "$win" ] && break
      kill -0 "$game" 2>/dev/null || break
      sleep 0.1
    done
    [ -n "$win" ] && break
    wait "$game"
    game=""
    grep -q "FATAL ERROR: cannot initialize graphics mode" "$work/out" || break
    restarts=$((restarts + 1))
    sleep 0.5
  done
  [ -n "$win" ] || fail "no window appeared; the program said: $(cat "$work/out")"
  # Without a window manager the keyboard goes to the window under the
  # pointer; keys are typed as a person types them.
  xdotool mousemove 320 240
}

# The game looks at the keys once a tick: a key is held for a few ticks, and
# let go for a few before the next press, or the two presses look like one.
press() {  # key, seconds held
  xdotool keydown "$1"
  sleep "${2:-0.4}"
  xdotool keyup "$1"
  sleep 0.3
}
