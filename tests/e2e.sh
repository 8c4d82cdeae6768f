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
grep -qx "TavrokDF.dat: cannot be read (missing, or not a datafile)" "$work/err" ||
  fail "without TavrokDF.dat the message is: $(cat "$work/err")"
echo "missing datafile: $(cat "$work/err")"
head -c 20000 "$build/TavrokDF.dat" >"$work/TavrokDF.dat"
(cd "$work" && ./tavrok >/dev/null 2>"$work/err")
rc=$?
[ "$rc" -eq 1 ] && [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q "^TavrokDF.dat: " "$work/err" ||
  fail "a cut datafile gives status $rc and: $(cat "$work/err")"
echo "damaged datafile: $(cat "$work/err")"
rm -f "$work/err"

# The game itself.
cd "$build" || exit 1
./tavrok >"$work/out" 2>"$work/err" &
game=$!
win=""
for i in $(seq 100); do
  win=$(xdotool search --onlyvisible --name '.' 2>/dev/null | head -n 1)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || fail "no window appeared"

press() {  # key, seconds held
  xdotool keydown --window "$win" "$1" 2>/dev/null
  sleep "${2:-0.25}"
  xdotool keyup --window "$win" "$1" 2>/dev/null
}

# Takes screenshots until one shows what is expected (the game may be
# slower on a busy machine), at most about five seconds.
expect() {  # name, shotcheck mode...
  name=$1
  shift
  for i in $(seq 10); do
    xwd -root -silent >"$work/$name.xwd"
    if "$build/tavrok-shotcheck" "$build/TavrokDF.dat" "$work/$name.xwd" "$@" >"$work/$name.txt"; then
      cat "$work/$name.txt"
      return 0
    fi
    sleep 0.5
  done
  cat "$work/$name.txt" >&2
  fail "the $name screen is not as expected"
}

expect opening opening
# The keys reach the program while it waits: ENTER leaves the opening text
# for the title, ENTER again starts a game, "=" switches to the C64 style.
press Return
expect title title
press Return
sleep 2
expect cave-2004 cave 0
press equal
expect cave-c64 cave 1
press equal
expect cave-zx cave 2

press Escape 0.5
for i in $(seq 50); do
  kill -0 "$game" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$game" 2>/dev/null && fail "ESC in a cave did not end the program"
wait "$game"
rc=$?
game=""
[ "$rc" -eq 0 ] || fail "the program ended with status $rc"
[ "$(tail -c 9 "$work/out" | od -An -c | tr -d ' \n')" = '\nBye...\n\n' ] || fail "the last output is not the closing line"
echo "ESC in a cave ends the program with the closing line"
