// The title, game-over and completion screens: each waits for a key.
#include <allegro.h>

#include "cave/platform.h"
#include "shell/texts.h"
#include "text/text.h"

namespace {

bool skip_key() { return key[KEY_ESC] || key[KEY_ENTER] || key[KEY_SPACE]; }

void message(int x, int y, const char* text) {
  Ggotoxy(x, y);
  writeln(text);
  Delay100(10, 0);
  vpic_1font();
  do {
    vpic_1font();
    Delay100(1, 1);
  } while (!skip_key());
}

}  // namespace

void titobr() {
  title_top();
  Delay100(5, 0);
  title_prompt();
  // A key still held from the screen before starts nothing.
  do {
    vpic_1font();
    Delay100(1, 1);
  } while (skip_key());
  do {
    vpic_1font();
    Delay100(1, 1);
  } while (!skip_key());
  Gclrscr();
}

void gameover() { message(33, 24, "   GAMEOVER   "); }

void prosel() { message(29, 24, "  CONGRATULATIONS  "); }
