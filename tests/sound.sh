#!/bin/sh
# What the program plays, captured by a sound device that writes it to a file
# (run it through with-xvfb.sh): with TavrokIN.dat the theme, loud but not
# clipped, while every way out still ends the program; silence without it;
# and no device at all changes nothing. Usage: sound.sh BUILD_DIR
. "$(dirname "$0")/game.sh"
printf '%s\n' 'pcm.!default { type plug slave { pcm "capture" format S16_LE } }' \
  "pcm.capture { type file slave.pcm \"sink\" file \"$work/out.raw\" format \"raw\" }" 'pcm.sink { type null }' \
  >"$work/capture.conf"
mkdir "$work/bare"
cp "$build/tavrok" "$build/TavrokDF.dat" "$build/TavrokPT.dat" "$work/bare/"
# Plays for three seconds after the opening text, from FOLDER with the sound
# configuration CONF, and ends as ends() is told; $peak is the level heard.
play() {  # conf folder ms status way
  export ALSA_CONFIG_PATH="$1"
  cd "$2" || exit 1
  rm -f "$work/out.raw"
  start ./tavrok
  press Return
  sleep 3
  ends "$3" "$4" "$5"
  [ -e allegro.cfg ] && fail "the program wrote allegro.cfg"
  peak=$(sox -t raw -e signed -b 16 -c 1 -r 44100 "$work/out.raw" -n stats 2>&1 | awk '/^Pk lev dB/ { print $4 }')
  echo "peak level: ${peak:-none} dB"
}
for way in "3 143 term" "3 0 close" "3 1 lost"; do
  what="the theme"
  play "$work/capture.conf" "$build" $way
  case $peak in -[1-8].*) ;; *) fail "peak level ${peak:-none} dB, not between -9 and -1" ;; esac
done
what="no TavrokIN.dat"
play "$work/capture.conf" "$work/bare" 3 143 term
[ "${peak:--inf}" = -inf ] || fail "something was heard: peak $peak dB"
# Cut datafiles are named on standard error, and not played (a picture
# grabbed with a type of its own is read as plain data: the screen tests).
what="cut datafiles"
for f in TavrokIN.dat TavrokPT.dat; do head -c 1000 "$build/$f" >"$work/bare/$f"; done
said_before="TavrokIN.dat: is damaged: object 0 is cut short
TavrokPT.dat: is damaged: object 0 is cut short"
play "$work/capture.conf" "$work/bare" 3 143 term
[ "${peak:--inf}" = -inf ] || fail "something was heard: peak $peak dB"
said_before=""
what="no sound device"
play /dev/null "$build" 3 143 term
echo "sound: every check passed ($restarts refused starts tried again)"
