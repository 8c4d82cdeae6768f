#include "pictures/intro.h"

#include <allegro.h>

#include <string>

#include "cave/platform.h"
#include "pictures/jpegd.h"
#include "screen/grafika.h"
#include "text/text.h"

int32_t IntroRX = 640, IntroRY = 480;

namespace {

bool skip_key() { return key[KEY_ESC] || key[KEY_SPACE] || key[KEY_ENTER]; }

void (*poll)();  // what a wait does between two looks at the keys

// One frame: the screen is held only while drawing, never across the
// retrace wait, or no key arrives; the wait also polls, so the program can
// be ended at any frame. True when a skip key is held after it.
template <typename Draw>
bool frame(Draw draw) {
  acquire_screen();
  draw();
  release_screen();
  poll();
  vsync();
  return skip_key();
}

// The three phases; false when a skip key cut them short.
bool phases(BITMAP* title) {
  // Zoom out from a point: a growing square around (300, 696) over the
  // whole screen. Its first frame has no square and draws nothing.
  const int s = 300 / 50;
  for (int i = 0; i < 50; i++)
    if (frame([&] {
          if (i > 0) stretch_blit(title, screen, 300 - s * i, 696 - s * i, 2 * s * i, 2 * s * i, 0, 0, IntroRX, IntroRY);
        }))
      return false;

  // Widening: the full width of the picture, ever more of its height, into a
  // narrowing middle with black bars; the frame that takes v to 0 or below
  // is the last.
  for (int k = 0, v = 1; v > 0; k++) {
    int t = 150 * k / 37;
    v = 136 - t;
    int w = (IntroRX / 4) * k / 37;
    if (frame([&] {
          stretch_blit(title, screen, 0, 260 + v, 600, 2 * (436 - v), w, 0, 2 * (IntroRX / 2 - w), IntroRY);
          rectfill(screen, 0, 0, w, IntroRY - 1, 0);
          rectfill(screen, IntroRX - w - 1, 0, IntroRX - 1, IntroRY - 1, 0);
        }))
      return false;
  }
  Delay100(40, 1);

  // The logo grows from the middle over the last picture; its colour 0 is
  // transparent.
  for (int i = 0; i < 100; i++) {
    int a = 300 * i / 100, b = 130 * i / 100;
    int w = a * IntroRX / 800, h = b * IntroRY / 800;
    if (frame([&] {
          if (w > 0 && h > 0)
            masked_stretch_blit(title, screen, 0, 0, 600, 240, IntroRX / 2 - w, IntroRY / 2 - h, 2 * w, 2 * h);
        }))
      return false;
  }
  Delay100(20, 1);
  return true;
}

}  // namespace

void intro_title(void (*wait)()) {
  poll = wait;
  Gclrscr();
  vpic_1font();
  PALETTE pal2;
  // Only from an intro datafile that was found sound at start-up.
  std::string name = datafile_path(INTRO_DATAFILE_NAME) + "#I_JPG";
  BITMAP* title = datafile2 ? load_jpeg(name.c_str(), pal2) : nullptr;
  if (title) {
    set_palette(pal2);
    acquire_bitmap(title);
    // A key still held from the screen before does not skip the intro.
    while (key[KEY_ENTER] || key[KEY_SPACE]) poll();
    set_palette(pal2);
    vsync();
    phases(title);
  }
  while (key[KEY_ENTER] || key[KEY_SPACE]) poll();
  acquire_screen();
  rectfill(screen, 0, 0, 639, 479, 0);
  release_screen();
  if (title) {
    release_bitmap(title);
    destroy_bitmap(title);
  }
}
