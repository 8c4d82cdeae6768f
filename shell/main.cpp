// The program: start-up, the opening text, the title loop and the game.
#include <allegro.h>

#include "cave/grid.h"
#include "cave/hra.h"
#include "cave/load.h"
#include "cave/sets/sets.h"
#include "cave/stav.h"
#include "cave/view.h"
#include "screen/grafika.h"
#include "screen/render.h"
#include "screen/text.h"
#include "shell/input.h"
#include "shell/screens.h"
#include "shell/timer.h"

namespace {

uint8_t hudba;      // 1: the music plays and is stopped at shutdown
MIDI* m1;

void shutdown() {
  if (hudba == 1) stop_midi();
  ExitGRF();
}

// Plays caves until the game ends; returns false when ESC ends the program.
bool game() {
  SColor = 15;
  EnabledChange = 1;
  new_game();
  cave_start();
  while (true) {
    tick_show();
    pacing();
    switch (tick_play()) {
      case ZEMREL:
        if (zi == 0) {
          gameover();
          return true;
        }
        cave_start();
        break;
      case DOKONCIL:
        if (cave_completion()) {
          prosel();
          return true;
        }
        cave_start();
        break;
      case HRAJE:
        break;
    }
    if (key[KEY_ESC]) return false;
  }
}

}  // namespace

int main(int argc, char** argv) {
  (void)argc;
  aktF = 0;
  ForceSetFont = 0;
  EnabledChange = 0;
  InitGRF();
  init_mb800();
  opening_text();
  inpjoystick = 0;
  inpmouse = 0;
  nazev = tavrokc64_1.data();
  tsutr = tpavouk = tcas = tziv = 0;
  tstart = 1;
  tvodaturbo = 0;
  vpic_2font();
  while (!key[KEY_ENTER] && !key[KEY_SPACE] && !key[KEY_DEL] && !key[KEY_ESC]) idle();

  hudba = 1;
  if (install_sound(DIGI_NONE, MIDI_AUTODETECT, argv[0]) != 0) hudba = 0;
  if (hudba == 1) {
    if (datafile2 && datafile2[0].type != DAT_END && datafile2[1].type == DAT_MIDI) {
      m1 = static_cast<MIDI*>(datafile2[1].dat);
      play_midi(m1, 1);
    } else {
      hudba = 0;  // no music to play
    }
  }

  ActiveEFont(EFontK, fpalK);
  ForceSetFont = 1;
  EnabledChange = 0;
  while (true) {
    EnabledChange = 0;
    Gclrscr();
    vpic_1font();
    titobr();
    Gclrscr();
    if (key[KEY_ESC] || !game()) break;
  }
  shutdown();
  return 0;
}
END_OF_MAIN()
