#!/bin/sh
# Ends the real program every way on each of its screens, on a virtual display
# (run it through with-xvfb.sh): SIGTERM, SIGINT, the close button and a lost
# display connection, on the opening text, the setup menu, the intro, the
# title, the pause before a cave and a running cave (the keys that lead
# there); each within a second (the close button half a second), with its
# status. Usage: exits.sh BUILD_DIR [RUNS of each]
. "$(dirname "$0")/game.sh"
slowest=0
for run in $(seq "${2:-1}"); do
  for keys in "" Delete Return "Return Escape" "Return Escape Return" "Return Escape Return:1.5"; do
    for way in "1 143 term" "1 130 interrupt" "0.5 0 close" "1 1 lost"; do
      what="run $run, keys '$keys'"
      start
      sleep 0.3
      press $keys
      ends $way >/dev/null
      [ "$took" -gt "$slowest" ] && slowest=$took
    done
  done
done
echo "exits: $((${2:-1} * 24)) runs ended in time with their status, the slowest in $slowest ms" \
  "($restarts refused starts tried again)"
