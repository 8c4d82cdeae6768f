// The title, game-over and completion screens: each waits for a key.
#include <allegro.h>

#include "cave/platform.h"
#include "cave/zaznam.h"
#include "shell/scores.h"
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
  title_table(current_table());
  // 1 to 9 and 0 play back that entry of the table, then the title again;
  // a key still held from the screen before starts nothing.
  const int digits[10] = {KEY_1, KEY_2, KEY_3, KEY_4, KEY_5, KEY_6, KEY_7, KEY_8, KEY_9, KEY_0};
  bool played = false;
  do {
    while (skip_key()) {
      vpic_1font();
      Delay100(1, 1);
    }
    played = false;
    while (!skip_key() && !played) {
      vpic_1font();
      Delay100(1, 1);
      int n = 1;
      while (n <= 10 && !key[digits[n - 1]]) n++;
      if (n <= 10) played = play_entry(n);
    }
    if (played) {
      EnabledChange = 0;
      Gclrscr();
      title_top();
      title_prompt();
      title_table(current_table());
    }
  } while (played);
  Gclrscr();
}

// A game with help is not entered in the tables: its end says so.
void gameover() {
  if (!prehravani && !counted()) not_entered_line();
  message(33, 24, "   GAMEOVER   ");
}

void prosel() {
  if (!prehravani && !counted()) not_entered_line();
  message(29, 24, "  CONGRATULATIONS  ");
}
