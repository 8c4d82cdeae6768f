#!/bin/sh
# What the program plays, captured: a sound configuration whose only device
# writes everything played to a WAV file (run it through with-xvfb.sh).
# The theme must be heard with TavrokIN.dat, nothing without it, and a
# machine with no sound device must start and end as quietly as ever; every
# way out must end the program while the music plays. Usage: sound.sh BUILD_DIR
build=$1
work=$(mktemp -d)
game=""
trap '[ -n "$game" ] && kill -9 "$game" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
  echo "sound: ${case:-}: $*" >&2
  [ -f "$work/err" ] && sed 's/^/sound: program stderr: /' "$work/err" >&2
  exit 1
}
. "$(dirname "$0")/game.sh"

# The default device takes whatever the library sends, converts it to
# 16-bit signed samples and writes them to $work/out.raw as they come (a
# program that ends at once leaves no WAV header to finish).
cat >"$work/capture.conf" <<EOF
pcm.!default { type plug slave { pcm "capture" format S16_LE } }
pcm.capture { type file slave.pcm "sink" file "$work/out.raw" format "raw" }
pcm.sink { type null }
EOF
# No device at all.
: >"$work/none.conf"

# The program with its datafiles but without TavrokIN.dat, in a folder of
# its own.
mkdir "$work/bare"
cp "$build/tavrok" "$build/TavrokDF.dat" "$build/TavrokPT.dat" "$work/bare/"

# Starts the program, leaves the opening text, lets it run for three seconds
# and ends it $2 way; it must end with that way's status and say nothing on
# standard error. Leaves the peak level of what was captured in $peak.
play() {  # folder, way out
  rm -f "$work/out.raw"
  b=$build
  build=$1
  start
  build=$b
  press Return
  sleep 3
  case $2 in
    term) kill -TERM "$game"; want=143 ;;
    close) "$build/tavrok-xclose" "$win"; want=0 ;;
    lost) xdotool windowkill "$win"; want=1 ;;
  esac
  for i in $(seq 30); do
    kill -0 "$game" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$game" 2>/dev/null && fail "$2 did not end the program within 3 s"
  wait "$game"
  rc=$?
  game=""
  [ "$rc" -eq "$want" ] || fail "$2 ended the program with status $rc, not $want"
  if [ "$2" = lost ]; then
    [ "$(cat "$work/err")" = "tavrok: lost the connection to the display" ] || fail "lost display: wrong message"
  else
    [ -s "$work/err" ] && fail "standard error is not empty"
  fi
  [ -e "$1/allegro.cfg" ] && fail "the program wrote $1/allegro.cfg"
  peak=none
  [ -s "$work/out.raw" ] &&
    peak=$(sox -t raw -e signed -b 16 -c 1 -r 44100 "$work/out.raw" -n stats 2>&1 | awk '$1 == "Pk" && $2 == "lev" { print $4 }')
  echo "$case, ended by $2: peak level $peak dB"
}

export ALSA_CONFIG_PATH="$work/capture.conf"
for way in term close lost; do
  case="the theme"
  play "$build" "$way"
  case $peak in
    none | -inf) fail "nothing was heard" ;;
  esac
  [ "${peak%%.*}" -ge -20 ] || fail "the theme is too quiet: peak $peak dB"
  [ "$peak" = -0.00 ] && fail "the theme clips"
done

case="no TavrokIN.dat"
play "$work/bare" term
case $peak in
  none | -inf) ;;
  *) fail "something was heard: peak $peak dB" ;;
esac

export ALSA_CONFIG_PATH="$work/none.conf"
case="no sound device"
play "$build" term

echo "sound: every check passed ($restarts refused starts tried again)"
