#include "screen/grafika.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#ifdef _WIN32
#include <winalleg.h>
#else
#include <xalleg.h>
#endif

#include "cave/platform.h"
#include "screen/datadirs.h"
#include "screen/kamenick.h"
#include "screen/kresli.h"
#include "text/text.h"

uint8_t FScr;
int ScrK = 1;
BITMAP* view;

namespace {
BITMAP* big;    // at scale k > 1, the picture scaled, on its way to the screen
BITMAP* shown;  // the picture as last copied to the screen
bool current;   // the screen still shows `shown`: only rows that differ go
}  // namespace
int (*gfx_mode)(int card, int w, int h, int v_w, int v_h) = set_gfx_mode;
DATAFILE* datafile;
DATAFILE* datafile2;

std::string datafile_path(const char* name) {
  std::string path = find_data(name);
  return path.empty() ? name : path;
}

std::string optional_datafile(const char* name) {
  std::string path = find_data(name);
  if (path.empty()) return "";
  const char* why = datafile_sound(path.c_str());
  if (!*why) return path;
  std::fprintf(stderr, "%s: %s\n", path.c_str(), why);
  return "";
}

namespace {

[[noreturn]] void datafile_fail(const char* what) {
  allegro_exit();
  std::fprintf(stderr, "%s: %s\n", DATAFILE_NAME, what);
  std::exit(1);
}

// The main datafile, found as datafile_path says: it must be there and sound.
DATAFILE* load_main() {
  std::string path = find_data(DATAFILE_NAME);
  if (path.empty()) datafile_fail(not_found_text().c_str());
  const char* why = datafile_sound(path.c_str());
  if (*why) datafile_fail(why);
  return load_datafile(path.c_str());
}

}  // namespace

void InitGRF(void (*timer)()) {
  std::printf("\nTavrok C64/ZX/PC-1994/PC-2004 started...\n\n");
  std::fflush(stdout);
  KdeJeFont = 0;
  SMaxX = 80;
  SMaxY = 50;
  SColor = 7;
  Gclrscr();
  // Without a system driver (no display at all) the library cannot start,
  // and no graphics mode can be had either.
#ifndef _WIN32
  // The X11 window's class, which a desktop matches with the installed
  // desktop entry: named before the library makes the window, as it sets
  // a later one on an inner window only.
  xwin_set_window_name("tavrok", "Tavrok");
#endif
  if (install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0) GFXfail();
  set_window_title("Tavrok");
  install_keyboard();
  install_mouse();
  install_joystick(JOY_TYPE_AUTODETECT);
  calibrate_joystick(0);
  install_timer();
  install_int(timer, 100);
  InitGFX();
  sbuffer = create_bitmap(640, 480);
  acquire_bitmap(sbuffer);
  rectfill(sbuffer, 0, 0, 639, 479, 0);
  setfont1(8, 0, 256, 0, kamenick.data(), 0);
  datafile = load_main();
  std::string intro = optional_datafile(INTRO_DATAFILE_NAME);
  datafile2 = intro.empty() ? nullptr : load_datafile(intro.c_str());
  if (!intro.empty() && !datafile2) std::fprintf(stderr, "%s: cannot be read\n", intro.c_str());
  const char* why = check_datafile(datafile);
  if (*why) datafile_fail(why);
  load_styles(datafile);
  ActiveEFont(EFontK, fpalK);
}

namespace {
// The screen is held only while something draws on it: while it is held,
// the library's input thread cannot deliver keys.
void clear_screen() {
  acquire_screen();
  rectfill(screen, 0, 0, SCREEN_W - 1, SCREEN_H - 1, 0);
  release_screen();
}
}  // namespace

void to_screen(BITMAP* picture, int rows) {
  // Only the runs of rows that changed are scaled and copied: in a cave about
  // a third of them, and every copied pixel costs the display's conversion.
  auto same = [&](int y) { return current && std::memcmp(picture->line[y], shown->line[y], 640) == 0; };
  acquire_bitmap(view);
  for (int y = 0; y < rows;) {
    if (same(y)) {
      y++;
      continue;
    }
    int end = y + 1;
    while (end < rows && !same(end)) end++;
    for (int i = y; i < end; i++) std::memcpy(shown->line[i], picture->line[i], 640);
    if (ScrK == 1) {
      blit(picture, view, 0, y, 0, y, 640, end - y);
    } else {
      scale_copy(picture, big, y, end, ScrK);
      blit(big, view, 0, y * ScrK, 0, y * ScrK, 640 * ScrK, (end - y) * ScrK);
    }
    y = end;
  }
  current = true;
  release_bitmap(view);
}

void screen_drawn_over() { current = false; }

int choose_k(int w, int h, const char* asked) {
  if (asked) {
    char* end = nullptr;
    const long k = std::strtol(asked, &end, 10);
    if (*asked && !*end && k >= 1 && k <= 8) return static_cast<int>(k);
    std::fprintf(stderr, "TAVROK_SCALE: '%s' is not a scale from 1 to 8\n", asked);
  }
  // 640k <= 0.9 w and 480k <= 0.9 h, in whole numbers.
  const int k = std::min(9 * w / 6400, 9 * h / 4800);
  return std::max(k, 1);
}

namespace {
// Sets `card` at w x h with the picture at scale k in its middle; on success
// k is the scale, `view` the picture's place and the screen is cleared.
bool set_mode(int card, int w, int h, int k) {
  if (view != screen) destroy_bitmap(view);
  view = nullptr;
  if (gfx_mode(card, w, h, 0, 0) != 0) return false;
  if (k != ScrK || !big) {
    destroy_bitmap(big);
    big = k > 1 ? create_bitmap_ex(8, 640 * k, 480 * k) : nullptr;
  }
  if (!shown) shown = create_bitmap_ex(8, 640, 480);
  current = false;
  ScrK = k;
  const int vw = 640 * k, vh = 480 * k;
  view = vw == SCREEN_W && vh == SCREEN_H ? screen : create_sub_bitmap(screen, (SCREEN_W - vw) / 2, (SCREEN_H - vh) / 2, vw, vh);
#ifdef _WIN32
  // The library takes the keyboard, mouse and joystick when the window is
  // activated; after a refused mode the new window may never be told so.
  win_grab_input();
#endif
  clear_screen();
  return true;
}
}  // namespace

namespace {
// Full screen at the desktop's own size, so that the display keeps its
// mode, with the picture at the largest scale it holds (640 x 480 when the
// desktop's size is unknown or smaller).
bool set_full_screen() {
  int w = 0, h = 0;
  if (get_desktop_resolution(&w, &h) != 0 || w < 640 || h < 480) w = 640, h = 480;
  return set_mode(GFX_AUTODETECT_FULLSCREEN, w, h, std::min(w / 640, h / 480));
}
}  // namespace

void InitGFX() {
  int w = 0, h = 0;
  if (get_desktop_resolution(&w, &h) != 0) w = h = 0;
  int k = choose_k(w, h, std::getenv("TAVROK_SCALE"));
  while (k >= 1 && !set_mode(GFX_AUTODETECT_WINDOWED, 640 * k, 480 * k, k)) k--;
  FScr = k < 1;
  if (FScr && !set_full_screen()) GFXfail();
  get_palette(oldtxt);
}

void go_fullscreen() {
  // When full screen is refused, the player keeps playing in a window.
  const int k = ScrK;
  FScr = set_full_screen();
  if (!FScr && !set_mode(GFX_AUTODETECT_WINDOWED, 640 * k, 480 * k, k)) GFXfail();
  ActiveEFont(EFontK, fpalK);
}

void GFXfail() {
  std::printf("\n!!! FATAL ERROR: cannot initialize graphics mode (need 640x480/256) !!!\n\n");
  std::fflush(stdout);
  std::exit(1);
}

void ExitGRF() {
  remove_timer();
  // In the order start-up stored them.
  for (int f = 1; f <= 4; f++) release_bitmap(EFontK.f[f]);
  for (int f = 1; f <= 4; f++)
    for (EFont* r : {&EFont94, &EFontZX, &EFont64, &EFont04}) release_bitmap(r->f[f]);
  release_bitmap(sbuffer);
  if (view != screen) destroy_bitmap(view);
  view = nullptr;
  destroy_bitmap(big);
  destroy_bitmap(shown);
  big = shown = nullptr;
  remove_joystick();
  remove_mouse();
  remove_keyboard();
  allegro_exit();
  std::printf("\nBye...\n\n");
  std::fflush(stdout);
}

void pal(uint8_t index, uint8_t r, uint8_t g, uint8_t b) {
  RGB c = {r, g, b, 0};
  set_color(index, &c);
}
