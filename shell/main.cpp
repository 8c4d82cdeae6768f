// The program: start-up, the opening text, the setup menu, the music, the
// title loop and the way out.
#include <allegro.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "cave/grid.h"
#include "cave/hra.h"
#include "cave/load.h"
#include "cave/sets/sets.h"
#include "cave/view.h"
#include "screen/grafika.h"
#include "screen/render.h"
#include "pictures/intro.h"
#include "screen/text.h"
#include "shell/input.h"
#include "shell/quit.h"
#include "shell/texts.h"
#include "shell/setup.h"
#include "shell/timer.h"

namespace {

MIDI* m1;

// The sound library reports every device it fails to open on standard
// error; a machine without a sound card simply plays no music.
int install_sound_quietly(const char* cfg) {
  std::fflush(stderr);
  int saved = dup(STDERR_FILENO);
  int null = open("/dev/null", O_WRONLY);
  if (null >= 0) {
    dup2(null, STDERR_FILENO);
    close(null);
  }
  int r = install_sound(DIGI_NONE, MIDI_AUTODETECT, cfg);
  std::fflush(stderr);
  if (saved >= 0) {
    dup2(saved, STDERR_FILENO);
    close(saved);
  }
  return r;
}

void music(const char* cfg) {
  hudba = 1;
  if (install_sound_quietly(cfg) != 0) hudba = 0;
  if (hudba == 0) return;
  if (datafile2 && datafile2[0].type != DAT_END && datafile2[1].type == DAT_MIDI) {
    m1 = static_cast<MIDI*>(datafile2[1].dat);
    play_midi(m1, 1);
  } else {
    hudba = 0;  // no music to play
  }
}

}  // namespace

// The game's own platform calls between ticks.
bool po_ticku(Konec) { return true; }

int main(int argc, char** argv) {
  (void)argc;
  aktF = 0;
  ForceSetFont = 0;
  EnabledChange = 0;
  InitGRF(timerCycle);
  LX = mouse_x;
  LY = mouse_y;
  quit_watch();
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
  if (key[KEY_DEL]) {
    setup();
    quit_watch();
  }

  music(argv[0]);
  intro_title(idle);

  ActiveEFont(EFontK, fpalK);
  ForceSetFont = 1;
  EnabledChange = 0;
  titulky();
  shutdown();
  return 0;
}
END_OF_MAIN()
