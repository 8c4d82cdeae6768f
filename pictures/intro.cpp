#include "pictures/intro.h"

#include <allegro.h>

#include "cave/platform.h"
#include "pictures/jpegd.h"
#include "text/text.h"

int32_t IntroRX = 640, IntroRY = 480;

namespace {

bool skip_key() { return key[KEY_ESC] || key[KEY_SPACE] || key[KEY_ENTER]; }

void (*poll)();  // what a wait does between two looks at the keys
BITMAP* target;  // where it draws: the screen, or a part of it

// One frame: the screen is held only while drawing, never across the
// retrace wait, or no key arrives; the wait also polls, so the program can
// be ended at any frame. True when a skip key is held after it.
template <typename Draw>
bool frame(Draw draw) {
  acquire_bitmap(target);
  draw();
  release_bitmap(target);
  poll();
  vsync();
  return skip_key();
}

}  // namespace

void intro_frame(BITMAP* title, BITMAP* to, int f) {
  if (f < 50) {
    // Zoom out from a point: a growing square around (300, 696) over the
    // whole screen. Its first frame has no square and draws nothing.
    const int s = 300 / 50;
    if (f > 0) stretch_blit(title, to, 300 - s * f, 696 - s * f, 2 * s * f, 2 * s * f, 0, 0, IntroRX, IntroRY);
  } else if (f < 85) {
    // Widening: the full width of the picture, ever more of its height, into
    // a narrowing middle with black bars, until v reaches 0 or below.
    const int k = f - 50, v = 136 - 150 * k / 37, w = (IntroRX / 4) * k / 37;
    stretch_blit(title, to, 0, 260 + v, 600, 2 * (436 - v), w, 0, 2 * (IntroRX / 2 - w), IntroRY);
    rectfill(to, 0, 0, w, IntroRY - 1, 0);
    rectfill(to, IntroRX - w - 1, 0, IntroRX - 1, IntroRY - 1, 0);
  } else {
    // The logo grows from the middle over the last picture; its colour 0 is
    // transparent.
    const int i = f - 85, w = 300 * i / 100 * IntroRX / 800, h = 130 * i / 100 * IntroRY / 800;
    if (w > 0 && h > 0) masked_stretch_blit(title, to, 0, 0, 600, 240, IntroRX / 2 - w, IntroRY / 2 - h, 2 * w, 2 * h);
  }
}

namespace {

// The three phases, with a pause after the widening and after the logo;
// false when a skip key cut them short.
bool phases(BITMAP* title) {
  for (int f = 0; f < INTRO_FRAMES; f++) {
    if (frame([&] { intro_frame(title, target, f); })) return false;
    if (f == 84) Delay100(40, 1);
  }
  Delay100(20, 1);
  return true;
}

}  // namespace

void intro_title(void (*wait)(), const char* picture, BITMAP* to) {
  poll = wait;
  target = to;
  // Drawn straight onto the screen, at the picture's size there (640k x 480k).
  IntroRX = to->w;
  IntroRY = to->h;
  Gclrscr();
  vpic_1font();
  PALETTE pal2;
  BITMAP* title = picture ? load_jpeg(picture, pal2) : nullptr;
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
  acquire_bitmap(to);
  rectfill(to, 0, 0, IntroRX - 1, IntroRY - 1, 0);
  release_bitmap(to);
  if (title) {
    release_bitmap(title);
    destroy_bitmap(title);
  }
}
