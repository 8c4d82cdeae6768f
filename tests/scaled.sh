#!/bin/sh
# The picture scaled by a whole number k, on a large virtual display (run it
# through with-xvfb.sh with TAVROK_XVFB=1920x1080x24 or 3840x2160x24): every
# screen, shrunk by k, is what the 640 x 480 game shows, each of its pixels a
# k x k block (the intro, drawn at the screen's own size, is finer).
# Usage: scaled.sh BUILD_DIR
. "$(dirname "$0")/game.sh"

case "$(xwininfo -root | awk '/Width|Height/ {printf "%sx", $2}')" in
1920x1080x)
  # The desktop's own scale, 2: a 1280 x 960 window fits within 90 % of it,
  # a larger one does not. The intro, the title and a cave in all four
  # styles.
  export TAVROK_SHOT_SCALE=2
  start
  size "1280 960 "
  see "" opening
  intro_seen 20
  see Escape title
  see Return cave 0 tavrokc64_1 1 -
  see equal cave 1 tavrokc64_1 1 -
  see equal cave 2 tavrokc64_1 1 -
  see equal cave 3 tavrokc64_1 1 -
  ends 5 0 press Escape

  # Full screen at the display's own size: the picture at 1280 x 960 in its
  # middle, black around it, and the game still answers keys.
  start
  see Delete setup 1
  export TAVROK_SHOT_AT=320,60
  see y setup 2 full
  see "n n 1" setup 4 00000 1 full
  see "Return Escape" title
  see Return cave 0 tavrok_s1 1 -
  see equal cave 1 tavrok_s1 1 -
  ends 5 0 press Escape
  ;;
3840x2160x)
  # The desktop's own scale, 4 (5 would not fit in 90 % of its height): the
  # opening text, a setup page, the title and a cave.
  export TAVROK_SHOT_SCALE=4
  start
  size "2560 1920 "
  see "" opening
  see Delete setup 1
  see "n n n 1" setup 4 00000 1
  see "Return Escape" title
  see Return cave 0 tavrok_s1 1 -
  ends 5 0 press Escape

  # TAVROK_SCALE chooses it: 3; the setup menu's pages, the mouse switched
  # on and the classic set: a move of 6 screen pixels in a tick is a step,
  # one of 5 is not.
  export TAVROK_SCALE=3 TAVROK_SHOT_SCALE=3
  start
  size "1920 1440 "
  see "" opening
  setup_pages
  see "Return Escape" title
  see Return cave 0 tavrok_s1 1 -
  xdotool $(for i in 1 2 3; do echo mousemove_relative 6 0 sleep 0.3; done) mousemove_relative 5 0 sleep 0.3
  see "" cave 0 tavrok_s1 1 rrr
  ends 5 0 close

  # Any other value: one line naming it, and the desktop's scale.
  export TAVROK_SCALE=9 TAVROK_SHOT_SCALE=4
  start
  size "2560 1920 "
  see "" opening
  said_before="TAVROK_SCALE: '9' is not a scale from 1 to 8" ends 5 0 close
  ;;
*) fail "a display of 1920 x 1080 or 3840 x 2160, please" ;;
esac
echo "scaled: every check passed"
