#!/bin/sh
# Ends the real program every way while it shows each of its screens, on a
# virtual display (run it through with-xvfb.sh): SIGTERM, SIGINT, the close
# button and a lost display connection, on the opening text, the setup menu,
# the intro, the title, the pause before a cave and a running cave. Each must end it
# within a second (the close button within half a second), never by an abort
# or a hang. Usage: exits.sh BUILD_DIR [RUNS per way and screen]
build=$1
runs=${2:-1}
work=$(mktemp -d)
game=""
trap '[ -n "$game" ] && kill -9 "$game" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
  echo "exits: run ${run:-0}, ${way:-} on the ${screen:-} screen: $*" >&2
  sed 's/^/exits: program stderr: /' "$work/err" >&2
  exit 1
}
. "$(dirname "$0")/game.sh"
now() { date +%s%N; }

total=0
slowest=0
for run in $(seq "$runs"); do
  for screen in opening setup intro title pause cave; do
    for way in term int close lost; do
      start
      sleep 0.3
      case $screen in
        setup) press Delete ;;
        intro) press Return ;;
        title) press Return; press Escape ;;
        pause) press Return; press Escape; press Return ;;
        cave) press Return; press Escape; press Return; sleep 1.2 ;;
      esac
      t0=$(now)
      case $way in
        term) kill -TERM "$game" ;;
        int) kill -INT "$game" ;;
        close) "$build/tavrok-xclose" "$win" ;;
        lost) xdotool windowkill "$win" ;;
      esac
      limit=1000
      [ "$way" = close ] && limit=500
      while kill -0 "$game" 2>/dev/null && [ $(( ($(now) - t0) / 1000000 )) -lt 3000 ]; do sleep 0.02; done
      took=$(( ($(now) - t0) / 1000000 ))
      kill -0 "$game" 2>/dev/null && fail "still running after 3 s"
      wait "$game"
      rc=$?
      game=""
      [ "$took" -le "$limit" ] || fail "took $took ms"
      case $way in
        term) want=143 ;;
        int) want=130 ;;
        close) want=0 ;;
        lost) want=1 ;;
      esac
      [ "$rc" -eq "$want" ] || fail "status $rc, not $want"
      if [ "$way" = lost ]; then
        [ "$(cat "$work/err")" = "tavrok: lost the connection to the display" ] || fail "lost display: wrong message"
      else
        [ -s "$work/err" ] && fail "standard error is not empty"
        [ "$(tail -c 9 "$work/out" | od -An -c | tr -d ' \n')" = '\nBye...\n\n' ] ||
          fail "the closing line is not last"
      fi
      total=$((total + 1))
      [ "$took" -gt "$slowest" ] && slowest=$took
    done
  done
done
echo "exits: $total runs, every one ended in time with its status; the slowest took $slowest ms ($restarts refused starts tried again)"
