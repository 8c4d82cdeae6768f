# Shared by the scripts that run the real program on the virtual display:
# ". game.sh BUILD_DIR" gives $build, a scratch folder $work, fail(), and
# starting, typing into, looking at and ending the program.
build=$(cd "$1" && pwd) || exit 1
work=$(mktemp -d)
game=""
# The game's tables of best games and replays go to the scratch folder.
export XDG_DATA_HOME="$work/data"
trap '[ -n "$game" ] && kill -9 "$game" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
  echo "$(basename "$0" .sh): ${what:+$what: }$*" >&2
  [ -s "$work/err" ] && sed 's/^/program stderr: /' "$work/err" >&2
  exit 1
}

# Starts PROGRAM (the built game by default) with ARGS; sets $game and $win. A start the
# display refuses, right after the last program left it, is tried again, as
# is one that shows no window in ten seconds (Wine, switching to full screen
# without a window manager, now and then leaves the window off the screen).
restarts=0
start() {
  program=${1:-$build/tavrok}
  [ $# -gt 0 ] && shift
  # No window manager: the keys go to the window under the pointer, put
  # where the window's middle will be (a window of 640k x 480k at the top
  # left, k being TAVROK_SHOT_SCALE). The library may move it as it starts;
  # it is not moved after that, as the mouse counts its moves from the start.
  k=${TAVROK_SHOT_SCALE:-1}
  xdotool mousemove $((320 * k)) $((240 * k))
  for try in 1 2 3; do
    "$program" "$@" >"$work/out" 2>"$work/err" &
    game=$!
    for i in $(seq 100); do
      win=$(xdotool search --onlyvisible --name . 2>/dev/null | head -n 1)
      [ -n "$win" ] || ! kill -0 "$game" 2>/dev/null && break
      sleep 0.1
    done
    [ -n "$win" ] && break
    if kill -0 "$game" 2>/dev/null; then
      # Ended as by Ctrl+C: a Wine program killed outright can leave the
      # next one waiting on what it held.
      kill -INT "$game"
      timeout 10 tail -s 0.1 --pid="$game" -f /dev/null || kill -9 "$game"
      wait "$game"
    elif ! grep -q "cannot initialize graphics" "$work/out"; then
      break
    fi
    restarts=$((restarts + 1))
    sleep 0.5
  done
  [ -n "$win" ] || fail "no window; the program said: $(cat "$work/out")"
}

# The window's size must be "WIDTH HEIGHT ".
size() { [ "$(xwininfo -id "$win" | awk '/Width|Height/ {printf "%s ", $2}')" = "$1" ] || fail "the window is not $1"; }

# Each KEY[:SECONDS] held (0.4 s by default) and let go for 0.3 s: the game
# looks at the keys once a tick, and two presses too close look like one.
press() {
  for key; do
    held=${key#*:}
    [ "$held" = "$key" ] && held=0.4
    xdotool keydown "${key%:*}" sleep "$held" keyup "${key%:*}" sleep 0.3
  done
}

# Presses KEYS, then waits at most six seconds for tavrok-shotcheck's MODE...
see() {  # keys mode...
  press $1
  shift
  "$build/tavrok-shotcheck" "$build/TavrokDF.dat" 6 "$@" >"$work/shot" || fail "not $*: $(cat "$work/shot")"
  echo "$*: $(cat "$work/shot")"
}

# The setup menu from the opening text: its pages, ESC ignored on the second,
# mouse and joystick switched on and the classic set chosen.
setup_pages() {
  see Delete setup 1
  see n setup 2
  see "Escape y" setup 2j
  see y setup 3
  see 1 setup 4 00000 1
}

# Waits at most SECONDS for the intro's PHASES (tavrok-shotcheck's intro mode).
intro() { "$build/tavrok-shotcheck" "$build/TavrokDF.dat" "$1" intro "$build/TavrokIN.dat" "$2"; }

# ENTER on the opening text, held: the intro shows its black first frame and
# nothing more; let go, the zoom, the widening and the logo must follow
# within SECONDS.
intro_seen() {
  xdotool keydown Return
  intro "$1" 0123 >"$work/intro" &
  for i in $(seq 100); do grep -q "phase 0 seen" "$work/intro" && break || sleep 0.1; done
  xdotool keyup Return
  wait $! || fail "the intro: $(cat "$work/intro")"
  cat "$work/intro"
}

# The ways out for ends().
term() { kill -TERM "$game"; }
interrupt() { kill -INT "$game"; }
close() { "$build/tavrok-shotcheck" close "$win"; }
lost() { xdotool windowkill "$win"; }

# Runs COMMAND...; the program must end within SECONDS with STATUS and only its
# start-up and closing lines (Windows line ends aside), or after a lost display only the line saying so;
# on standard error $said_before, if set, comes first.
ends() {  # seconds status command...
  limit=$1 want=$2
  shift 2
  t0=$(date +%s%N)
  "$@"
  timeout "$limit" tail -s 0.02 --pid="$game" -f /dev/null || fail "$*: still running after $limit s"
  took=$((($(date +%s%N) - t0) / 1000000))
  wait "$game"
  rc=$?
  game=""
  [ "$rc" -eq "$want" ] || fail "$*: status $rc, not $want"
  [ "$want" -eq 1 ] && said="tavrok: lost the connection to the display" || said=""
  [ -n "${said_before:-}" ] && said=$(printf '%s\n%s' "$said_before" "$said" | sed '/^$/d')
  [ "$(cat "$work/err")" = "$said" ] || fail "$*: standard error is not '$said'"
  lines='\nTavrokC64/ZX/PC-1994/PC-2004started...\n\n\nBye...\n\n'
  [ "$want" -eq 1 ] || [ "$(tr -d '\r' <"$work/out" | od -An -c | tr -d ' \n')" = "$lines" ] ||
    fail "$*: standard output is not the start-up and closing lines only: $(cat "$work/out")"
  echo "$* ends the program in $took ms with status $rc"
}
