#!/bin/sh
# The real program on a virtual display (run it through with-xvfb.sh), driven
# by key presses; what it shows is compared with what the text screen should
# show. Usage: e2e.sh BUILD_DIR
build=$1
work=$(mktemp -d)
game=""
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "e2e: $*" >&2
  [ -f "$work/err" ] && sed 's/^/e2e: program stderr: /' "$work/err" >&2
  exit 1
}

# Without any display: the fatal message on standard output and status 1.
out=$(env -u DISPLAY "$build/tavrok" 2>/dev/null)
rc=$?
[ "$rc" -eq 1 ] || fail "without a display the exit status is $rc, not 1"
case "$out" in
  *"!!! FATAL ERROR: cannot initialize graphics mode (need 640x480/256) !!!"*) ;;
  *) fail "without a display there is no fatal message: $out" ;;
esac
echo "no display: status 1 and the fatal message"

# A missing or damaged main datafile: one line naming it, and status 1.
cp "$build/tavrok" "$work/tavrok"
(cd "$work" && ./tavrok >/dev/null 2>"$work/err")
rc=$?
[ "$rc" -eq 1 ] || fail "without TavrokDF.dat the exit status is $rc, not 1"
# It names where it looked: the working folder, the program's folder and the
# installed data folder relative to it.
grep -qx "TavrokDF.dat: not found in the working folder, $work or $(dirname "$work")/share/games/tavrok" "$work/err" ||
  fail "without TavrokDF.dat the message is: $(cat "$work/err")"
echo "missing datafile: $(cat "$work/err")"
head -c 20000 "$build/TavrokDF.dat" >"$work/TavrokDF.dat"
(cd "$work" && ./tavrok >/dev/null 2>"$work/err")
rc=$?
[ "$rc" -eq 1 ] && [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q "^TavrokDF.dat: " "$work/err" ||
  fail "a cut datafile gives status $rc and: $(cat "$work/err")"
echo "damaged datafile: $(cat "$work/err")"
rm -f "$work/err"

. "$(dirname "$0")/game.sh"

# Takes screenshots until one shows what is expected (the game may be
# slower on a busy machine), at most about five seconds.
expect() {  # name, shotcheck mode...
  name=$1
  shift
  for i in $(seq 10); do
    xwd -root -silent >"$work/$name.xwd"
    if "$build/tavrok-shotcheck" "$build/TavrokDF.dat" "$work/$name.xwd" "$@" >"$work/$name.txt"; then
      echo "$name: $(cat "$work/$name.txt")"
      return 0
    fi
    sleep 0.5
  done
  cat "$work/$name.txt" >&2
  fail "the $name screen is not as expected"
}

# Waits at most $1 tenths of a second for the game to end; checks that it
# ended with its status (0, or that of the signal that ended it) and the
# closing line last.
ends_well() {  # tenths, what ended it, status
  want=${3:-0}
  for i in $(seq "$1"); do
    kill -0 "$game" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$game" 2>/dev/null && fail "$2 did not end the program within $(($1 / 10)).$(($1 % 10)) s"
  wait "$game"
  rc=$?
  game=""
  [ "$rc" -eq "$want" ] || fail "after $2 the program ended with status $rc"
  # The start-up line and the closing line, nothing else.
  [ "$(od -An -c "$work/out" | tr -d ' \n')" = '\nTavrokC64/ZX/PC-1994/PC-2004started...\n\n\nBye...\n\n' ] ||
    fail "after $2 standard output is: $(cat "$work/out")"
  [ -s "$work/err" ] && fail "after $2 standard error holds: $(cat "$work/err")"
  echo "$2 ends the program with the closing line"
}

# The plain road: ENTER leaves the opening text for the intro, ESC skips
# it, ENTER on the title starts a game, "=" switches to the next style.
start
expect opening opening
press Return
press Escape
expect title title
press Return
sleep 2
expect cave-2004 cave 0
press equal
expect cave-c64 cave 1
press equal
expect cave-zx cave 2
press Escape
ends_well 50 "ESC in a cave"

# The setup menu: every page as written, ESC ignored, the classic set, the
# lives cheat and the third cave chosen, mouse and joystick switched on
# (there is no joystick here: it must change nothing and say nothing).
start
expect opening opening
press Delete
expect setup-1 setup 1
press n
expect setup-2 setup 2
press Escape
press y
expect setup-2j setup 2j
kill -0 "$game" || fail "ESC in the menu ended the program"
press y
expect setup-3 setup 3
press 1
expect setup-4 setup 4 0 1
press 1 1
press 6
press 6
expect setup-4-chosen setup 4 1 3
press Return
press Escape
expect title title
press Return
sleep 2
expect classic-3 cave 0 tavrok_s1 3
# The mouse steers: a move of one pixel a tick never makes a step, a move
# of two makes one.
for i in $(seq 8); do
  xdotool mousemove_relative 1 0
  sleep 0.2
done
expect mouse-1px walk tavrok_s1 3 -
for i in 1 2 3; do
  xdotool mousemove_relative 2 0
  sleep 0.3
done
expect mouse-2px walk tavrok_s1 3 rrr
# With unlimited lives a death takes none: the cave starts again.
press grave
sleep 2.5
expect restarted walk tavrok_s1 3 -
# The close button ends the program as ESC on the title does.
"$build/tavrok-xclose" "$win"
ends_well 5 "the close button"

# Full screen asked for and granted: the menu goes on in the text style's
# palette; ESC does nothing there either.
start
press Delete
expect setup-1 setup 1
press y
expect setup-2-full setup 2 full
kill -TERM "$game"
ends_well 10 SIGTERM 143
# The intro: ENTER still held when it starts shows nothing of the picture;
# once let go, the zoom, the widening and the logo are the picture's own
# frames; ESC in the logo phase ends it at once, and the title follows.
start
expect opening opening
xdotool keydown Return
sleep 1.5
xwd -root -silent >"$work/held.xwd"
"$build/tavrok-shotcheck" "$build/TavrokDF.dat" "$work/held.xwd" intro "$build/TavrokIN.dat" 1 >"$work/held.txt"
grep -q "frame 0 matches 100.0 %" "$work/held.txt" || fail "with ENTER held the intro drew: $(cat "$work/held.txt")"
xdotool keyup Return
# Screenshots as fast as they come for the first 7.5 s (the zoom, the
# widening, the pause and into the logo), looked at afterwards.
end=$(($(date +%s%N) + 7500000000))
n=0
while [ "$(date +%s%N)" -lt "$end" ]; do
  n=$((n + 1))
  xwd -root -silent >"$work/intro$n.xwd"
  sleep 0.03
done
press Escape
xwd -root -silent >"$work/escaped.xwd"
"$build/tavrok-shotcheck" "$build/TavrokDF.dat" "$work/escaped.xwd" intro "$build/TavrokIN.dat" 3 >/dev/null &&
  fail "ESC did not end the intro's logo phase at once"
expect title-after-intro title
# The zoom and the widening from the first shots on, the logo from the last
# shots back.
shows() {  # shot, phase: a frame of the phase other than the blank ones
  "$build/tavrok-shotcheck" "$build/TavrokDF.dat" "$work/intro$1.xwd" intro "$build/TavrokIN.dat" "$2" \
    >"$work/intro.txt" && ! grep -q "frame \(0\|84\|85\) matches" "$work/intro.txt"
}
i=1
for phase in 1 2; do
  while [ $i -le $n ] && ! shows $i $phase; do i=$((i + 1)); done
  [ $i -le $n ] || fail "none of $n screenshots shows a frame of phase $phase of the intro"
  echo "intro: $(cat "$work/intro.txt") (screenshot $i of $n)"
done
j=$n
while [ $j -gt $i ] && ! shows $j 3; do j=$((j - 1)); done
[ $j -gt $i ] || fail "none of $n screenshots shows a frame of the intro's logo"
echo "intro: $(cat "$work/intro.txt") (screenshot $j of $n)"
kill -TERM "$game"
ends_well 10 SIGTERM 143

echo "e2e: every check passed ($restarts refused starts tried again)"
