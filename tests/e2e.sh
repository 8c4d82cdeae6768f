#!/bin/sh
# The real program on a virtual display (run it through with-xvfb.sh), driven
# by keys and the mouse; what it shows is compared with what the game's own
# renderer draws. Usage: e2e.sh BUILD_DIR
. "$(dirname "$0")/game.sh"

# Without a display: the fatal message, status 1. Without TavrokDF.dat:
# status 1 and one line naming it and where it was looked for (a cut one:
# the package test).
env -u DISPLAY "$build/tavrok" >"$work/out" 2>/dev/null
[ $? -eq 1 ] && grep -qxF '!!! FATAL ERROR: cannot initialize graphics mode (need 640x480/256) !!!' "$work/out" ||
  fail "without a display: $(cat "$work/out")"
cp "$build/tavrok" "$work/"
cd "$work" && ./tavrok 2>err >/dev/null
[ $? -eq 1 ] && grep -qxF "TavrokDF.dat: not found in the working folder, $work or ${work%/*}/share/games/tavrok" err ||
  fail "without TavrokDF.dat"
cd "$build" || exit 1

# ENTER leaves the opening text, ESC the intro, ENTER on the title starts a
# game and "=" switches styles, once a press however long held. The game is
# paced: five seconds in, its time has gone down by three at most (twelve
# seconds).
start
size "640 480 "
see "" opening
# The window is the game's own: its title, its class (which the desktop
# entry names) and its icon.
[ "$(xprop -id "$win" WM_NAME WM_CLASS | tr '\n' ' ')" = 'WM_NAME(STRING) = "Tavrok" WM_CLASS(STRING) = "tavrok", "Tavrok" ' ] ||
  fail "the window is $(xprop -id "$win" WM_NAME WM_CLASS)"
"$build/tavrok-shotcheck" icon "$win" || fail "the window's icon"
see "Return Escape" title
see Return cave 0 tavrokc64_1 1 -
see equal cave 1 tavrokc64_1 1 -
see equal:3 cave 2 tavrokc64_1 1 -
ends 5 0 press Escape

# The setup menu: its pages, ESC ignored, mouse and joystick (there is none:
# it must change nothing and say nothing) on, the classic set, unlimited
# lives, turbo water and the third cave.
start
see "" opening
setup_pages
see "1 5 6 6" setup 4 10001 3
see "Return Escape" title
see Return cave 0 tavrok_s1 3 -
# The mouse switched on steers him (how far a move must go: the unit tests).
xdotool $(for i in 1 2 3; do echo mousemove_relative 2 0 sleep 0.3; done)
see "" cave 0 tavrok_s1 3 rrr
# A death takes no life: the cave starts again. The keys and the keypad's
# walk him right to the steel, down to the wall, left through a diamond and
# up to the edge.
see grave cave 0 tavrok_s1 3 -
see "Right:1.5 KP_2:1 Left:1.5 KP_Up:1" cave 0 tavrok_s1 3 rrrrrrrdddlllllllluuuu
ends 0.5 0 close

# Full screen granted, at the display's own 800 x 600: the picture in its
# middle, black around it; the menu goes on in the text palette; the fourth
# set, whose starting cave steps up to its last, the twentieth, and round to 1.
start
see Delete setup 1
export TAVROK_SHOT_AT=80,60
see y setup 2 full
see "n n 4" setup 4 00000 1 full
see "$(yes 6:0.25 | head -n 19)" setup 4 00000 20 full
see 6 setup 4 00000 1 full
see "Return Escape" title
see Return cave 0 tavrokc64_b 1 -
ends 1 143 term
unset TAVROK_SHOT_AT

# The intro: with ENTER still held it shows nothing; let go, the zoom, the
# widening and the logo are the picture's own frames; ESC ends the logo at
# once, and the title follows.
start
see "" opening
intro_seen 20
press Escape
intro 0 3 && fail "ESC did not end the logo"
see "" title
ends 1 143 term

# A game started from the title and lost at once, three lives given up, to
# its GAMEOVER, then the page that asks the name, which offers "tester".
lost_at_once() {
  start
  see "" opening
  see "Return Escape" title
  see Return cave 0 tavrokc64_1 1 -
  press grave; sleep 1.5; press grave; sleep 1.5; press grave
  see "" gameover 0
  see Return name 1 0 tester
}

# The table of best games: a game lost at once reaches the empty table; the
# name offered (the login name) is typed over, the title shows the entry,
# and key 1 plays it back to its GAMEOVER (left shift runs it fast); the
# simulator verifies its replay. A game with F11 pressed says it is not
# entered, and is not.
export USER=tester
lost_at_once
press BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace
xdotool type --delay 200 "Ada-1"
see "" name 1 0 Ada-1
see Return title
data=$XDG_DATA_HOME/tavrok
[ "$(tail -n +2 "$data/scores-tavrokc64_1.txt" | sed 's/ [0-9]* replay-[0-9-]*.txt / * /')" = "0 1 * Ada-1" ] ||
  fail "the table holds: $(cat "$data/scores-tavrokc64_1.txt")"
"$build/tavrok-sim" --game --replay "$data"/replay-*.txt --verify >/dev/null || fail "the entry's replay does not verify"
press 1
xdotool keydown Shift_L
see "" gameover 0
xdotool keyup Shift_L
see Return title
see Return cave 0 tavrokc64_1 1 -
press F11 grave; sleep 1.5; press grave; sleep 1.5; press grave
see "" gameover 0 not-entered
see Return title
[ "$(wc -l <"$data/scores-tavrokc64_1.txt")" -eq 2 ] || fail "a game with F11 was entered"
ends 5 0 press Escape

# A data folder that cannot be made: one line saying so, and the game's
# entry is kept for the session (the title shows it as the table would).
touch "$work/file"
export XDG_DATA_HOME="$work/file"
lost_at_once
mkdir -p "$work/seen/tavrok"
printf 'tavrok-scores 1\n0 1 %s - tester\n' "$(date +%s)" >"$work/seen/tavrok/scores-tavrokc64_1.txt"
XDG_DATA_HOME=$work/seen see Return title
said_before="tavrok: $work/file/tavrok: cannot create the folder (at $work/file): Not a directory; the tables of best games last this session only" \
  ends 5 0 press Escape
export XDG_DATA_HOME="$work/data"

# The last game's replay played back in the window, which ESC ends; a replay
# that cannot be read: one line naming it, status 2.
start "$build/tavrok" --replay "$data/last-replay.txt"
see "" cave 0 tavrokc64_1 1 -
ends 5 0 press Escape
"$build/tavrok" --replay "$work/none.txt" >/dev/null 2>"$work/err"
[ $? -eq 2 ] && [ "$(cat "$work/err")" = "tavrok: $work/none.txt: cannot be read" ] || fail "--replay of no file: $(cat "$work/err")"
echo "e2e: every check passed ($restarts refused starts tried again)"
