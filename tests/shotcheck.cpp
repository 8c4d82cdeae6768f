// tavrok-shotcheck DF SECONDS MODE...: looks at the virtual display until the
// game's window (at its top left) shows what the game's own renderer draws
// for a known state, or SECONDS pass (0: one look); exit 0 when it does, 1
// with a report when not, 2 on bad input. DF is TavrokDF.dat; MODE is
//   opening | title | setup PAGE [CHEATS START] [full]: PAGE 1, 2, 2j (with
//     the joystick question), 3, or 4 with the five cheats (0s and 1s) and
//     the starting cave; "full" in the text palette, else in the window's
//   cave STYLE SET K STEPS: a game from cave K in style 0..3 after the steps
//     (u, d, l, r; "-" for none): the status lines, the time down by three at
//     most, and the player where he started and is, in either frame of his pose
//   intro INTRO.dat PHASES: frames of the intro's phases in this order, 98 %
//     alike: 0 its black first frame (all alike), 1 zoom, 2 widening, 3 logo
// A cell may show any of its four animation frames. "tavrok-shotcheck close
// WINDOW" asks a window to close, as a window manager's close button does;
// "tavrok-shotcheck icon WINDOW" exits 0 when the window's icon and its mask
// are the game's own.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/xpm.h>
#include <allegro.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "cave/grid.h"
#include "cave/hra.h"
#include "cave/rules.h"
#include "cave/sets/sets.h"
#include "cave/stav.h"
#include "cave/view.h"
#include "pictures/intro.h"
#include "pictures/jpegd.h"
#include "screen/kamenick.h"
#include "screen/kresli.h"
#include "screen/styly.h"
#include "shell/texts.h"
#include "store/skore.h"
#include "text/text.h"

extern const char* const tavrok_xpm[];

namespace {

[[noreturn]] void bad(const char* msg) {
  std::fprintf(stderr, "tavrok-shotcheck: %s\n", msg);
  std::exit(2);
}

// Whether two pixmaps hold the same pixels.
bool same_pixmap(Display* d, Pixmap a, Pixmap b) {
  Window root;
  int x, y;
  unsigned w[2], h[2], border, depth;
  if (!a || !b || !XGetGeometry(d, a, &root, &x, &y, &w[0], &h[0], &border, &depth) ||
      !XGetGeometry(d, b, &root, &x, &y, &w[1], &h[1], &border, &depth) || w[0] != w[1] || h[0] != h[1])
    return false;
  XImage* ia = XGetImage(d, a, 0, 0, w[0], h[0], AllPlanes, ZPixmap);
  XImage* ib = XGetImage(d, b, 0, 0, w[0], h[0], AllPlanes, ZPixmap);
  bool same = ia && ib;
  for (unsigned i = 0; same && i < w[0] * h[0]; i++) same = XGetPixel(ia, i % w[0], i / w[0]) == XGetPixel(ib, i % w[0], i / w[0]);
  if (ia) XDestroyImage(ia);
  if (ib) XDestroyImage(ib);
  return same;
}

// The game's 640 x 480 picture on the screen as 0xRRGGBB (the root window
// is TrueColor), shrunk by TAVROK_SHOT_SCALE (k, 1 by default): the top left
// pixel of each k x k block. The picture is at the top left, or with
// TAVROK_SHOT_AT=X,Y at X, Y, every pixel around it black. With `blocks`, a
// block not of one colour has its bits 7 flipped, so that it matches
// nothing (the intro, drawn at the screen's size, has finer pixels than its
// 640 x 480 frames); so does the whole picture if a border is not black.
std::vector<uint32_t> grab(Display* d, bool blocks) {
  const char* scale = std::getenv("TAVROK_SHOT_SCALE");
  const char* at = std::getenv("TAVROK_SHOT_AT");
  const int k = scale ? std::atoi(scale) : 1;
  int x0 = 0, y0 = 0;
  if (at) std::sscanf(at, "%d,%d", &x0, &y0);
  XWindowAttributes root;
  XGetWindowAttributes(d, DefaultRootWindow(d), &root);
  XImage* im = XGetImage(d, DefaultRootWindow(d), 0, 0, root.width, root.height, AllPlanes, ZPixmap);
  uint32_t border = 0;
  for (int y = 0; at && y < root.height; y++)
    for (int x = 0; x < root.width; x++)
      if (x < x0 || y < y0 || x >= x0 + 640 * k || y >= y0 + 480 * k) border |= XGetPixel(im, x, y) ? 0x808080 : 0;
  std::vector<uint32_t> rgb;
  for (int y = y0; y < y0 + 480 * k; y += k)
    for (int x = x0; x < x0 + 640 * k; x += k) {
      const unsigned long p = XGetPixel(im, x, y);
      bool flat = true;
      for (int i = 1; i < k * k && flat && blocks; i++) flat = XGetPixel(im, x + i % k, y + i / k) == p;
      rgb.push_back(static_cast<uint32_t>((flat ? p : p ^ 0x808080) ^ border));
    }
  XDestroyImage(im);
  return rgb;
}

bool near(uint32_t got, const RGB& want) {
  auto chan = [](uint32_t v, int c6) { return std::abs(static_cast<int>(v & 255) - c6 * 255 / 63) <= 5; };
  return chan(got >> 16, want.r) && chan(got >> 8, want.g) && chan(got, want.b);
}

using Picture = std::vector<uint8_t>;  // palette indices
Picture copy(BITMAP* b, int rows, int step) {
  Picture p;
  for (int y = 0; y < rows; y += step)
    for (int x = 0; x < 640; x += step) p.push_back(b->line[y][x]);
  return p;
}

// The intro's frames, drawn by the intro from its picture, at half
// resolution.
std::vector<Picture> intro_frames(const char* intro, PALETTE pal) {
  BITMAP* title = load_jpeg((std::string(intro) + "#I_JPG").c_str(), pal);
  if (!title) bad("no intro picture");
  BITMAP* scr = create_bitmap(640, 480);
  clear_to_color(scr, 0);
  std::vector<Picture> frames;
  for (int f = 0; f < INTRO_FRAMES; f++) {
    intro_frame(title, scr, f);
    frames.push_back(copy(scr, 480, 2));
  }
  return frames;
}

// Whether cell c of the shot shows the picture's.
bool same(const std::vector<uint32_t>& shot, const Picture& p, const RGB* pal, int c) {
  for (int i = c / TCOLS * 5120 + c % TCOLS * 8, j = 0; j < 64; j++, i += j % 8 ? 1 : 633)
    if (!near(shot[i], pal[p[i]])) return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Display* d = XOpenDisplay(nullptr);
  if (!d || argc < 3) bad("usage: tavrok-shotcheck DATAFILE SECONDS MODE... | close WINDOW; or no display");
  if (std::strcmp(argv[1], "close") == 0) {
    XEvent e{};
    Window w = std::strtoul(argv[2], nullptr, 0);
    e.xclient = {ClientMessage, 0, False, d, w, XInternAtom(d, "WM_PROTOCOLS", False), 32, {}};
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    XSendEvent(d, e.xclient.window, False, NoEventMask, &e);
    return XCloseDisplay(d);
  }
  if (std::strcmp(argv[1], "icon") == 0) {
    XWMHints* hints = XGetWMHints(d, std::strtoul(argv[2], nullptr, 0));
    Pixmap icon = 0, mask = 0;
    XpmCreatePixmapFromData(d, DefaultRootWindow(d), const_cast<char**>(tavrok_xpm), &icon, &mask, nullptr);
    const bool ours = hints && (hints->flags & IconPixmapHint) && (hints->flags & IconMaskHint) &&
                      same_pixmap(d, hints->icon_pixmap, icon) && same_pixmap(d, hints->icon_mask, mask);
    std::puts(ours ? "icon: the game's own" : "icon: not the game's");
    return ours ? 0 : 1;
  }
  const std::time_t end = std::time(nullptr) + std::atoi(argv[2]);
  const std::string mode = argc > 3 ? argv[3] : "";
  install_allegro(SYSTEM_NONE, &errno, atexit);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each line as soon as it is seen
  if (mode == "intro" && argc == 6 && std::strspn(argv[5], "0123") == std::strlen(argv[5])) {
    PALETTE pal;
    const std::vector<Picture> frames = intro_frames(argv[4], pal);
    const int from[4] = {0, 0, 50, 85}, to[4] = {1, 50, 85, 185};
    for (const char* phase = argv[5]; *phase;) {
      const bool last = std::time(nullptr) >= end;
      const std::vector<uint32_t> shot = grab(d, false);
      // The phase's frame most alike: seen if alike in 98 % of the pixels
      // (phase 0: all) and not one of the blank frames (the first, the last
      // of the widening and the first of the logo, all alike) of phase 0.
      int p = *phase - '0', best = -1;
      double score = 0;
      for (int f = from[p]; f < to[p]; f++) {
        long same = 0;
        for (size_t i = 0; i < 76800; i++) same += near(shot[i / 320 * 1280 + i % 320 * 2], pal[frames[f][i]]);
        if (same > score * 76800) score = same / 76800.0, best = f;
      }
      bool seen = p == 0 ? score == 1 : score >= 0.98 && best != 0 && best != 84 && best != 85;
      if (seen || last)
        std::printf("intro phase %d %sseen: frame %d, %.1f %% alike\n", p, seen ? "" : "not ", best, 100 * score);
      if (seen)
        phase++;
      else if (last)
        return 1;
    }
    return 0;
  }

  DATAFILE* df = nullptr;
  if (*open_styles(argv[1], &df)) bad("a damaged datafile");
  setfont1(8, 0, 256, 0, kamenick.data(), 0);
  // The cells compared, and the screens the game may show, each in any of
  // its animation frames.
  std::vector<bool> want(TROWS * TCOLS, mode != "cave");
  std::vector<std::vector<Picture>> screens;
  const RGB* pal = mode == "title" ? fpal04 : default_palette;
  auto render = [&screens](int frames) {
    CanHide = 0;
    screens.emplace_back();
    for (movefont = 1; movefont <= frames; movefont++) {
      frames == 1 ? kresli_2font() : kresli_1font();
      screens.back().push_back(copy(sbuffer, 400, 1));
    }
  };
  if (mode == "opening") {
    opening_text();
    render(1);
  } else if (mode == "title") {
    // With the table of the default game, as the game finds it.
    std::string message;
    title_top();
    title_prompt();
    title_table(data_dir().empty() ? std::vector<Zapis>{} : load_table(data_dir() + "/" + table_name("tavrokc64_1", false), message));
    styl(0);
    render(4);
  } else if (mode == "name" && argc == 7) {
    name_page(std::atoi(argv[4]), static_cast<uint32_t>(std::atol(argv[5])), argv[6]);
    ActiveEFont(EFontK, fpalK);
    pal = fpalK;
    render(4);
  } else if (mode == "gameover" && argc >= 5) {
    // The message alone, over whatever the cave shows; with "not-entered"
    // the line of a game with help.
    const int style = std::atoi(argv[4]);
    if (style < 0 || style > 3) bad("no such style");
    SColor = 15;
    Gclrscr();
    const bool line = argc == 6 && std::strcmp(argv[5], "not-entered") == 0;
    if (line) not_entered_line();
    Ggotoxy(33, 24);
    writeln("   GAMEOVER   ");
    for (int c = 0; c < TROWS * TCOLS; c++)
      want[c] = (c / TCOLS == 23 && c % TCOLS >= 32 && c % TCOLS < 46) || (line && c / TCOLS == 26 && c % TCOLS >= 18 && c % TCOLS < 64);
    styl(static_cast<uint8_t>(style));
    pal = std::vector<const RGB*>{fpal04, fpal64, fpalZX, fpal94}[style];
    render(4);
  } else if (mode == "setup" && argc >= 5) {
    setup_text(std::atoi(argv[4]));
    if (std::strcmp(argv[4], "2j") == 0) joystick_question();
    if (argc >= 7 && std::strlen(argv[5]) == 5) {
      uint8_t* cheats[5] = {&tziv, &tcas, &tsutr, &tpavouk, &tvodaturbo};
      for (int i = 0; i < 5; i++) *cheats[i] = argv[5][i] == '1';
      tstart = static_cast<uint32_t>(std::atoi(argv[6]));
      cheat_values();
    }
    ActiveEFont(EFontK, fpalK);
    if (std::strcmp(argv[argc - 1], "full") == 0) pal = fpalK;
    render(4);
  } else if (mode == "cave" && argc == 8) {
    const int style = std::atoi(argv[4]);
    const CaveSet* set = find_set(argv[5]);
    tstart = static_cast<uint32_t>(std::atoi(argv[6]));
    if (style < 0 || style > 3 || !set || tstart < 1 || tstart > set->caves) bad("no such style, set or cave");
    init_mb800();
    nazev = set->data;
    SColor = 15;
    new_game();
    cave_start();
    const int x0 = xp, y0 = yp;
    for (const char* c = argv[7]; *c != '-' && *c; c++) {
      const char* dirs = "udlr";
      if (!std::strchr(dirs, *c)) bad("steps are u, d, l and r");
      const int i = static_cast<int>(std::strchr(dirs, *c) - dirs), pose = "\4\2\10\6"[i];
      xk = i < 2 ? 0 : 2 * i - 5;
      yk = i < 2 ? 2 * i - 1 : 0;
      aktual = static_cast<uint8_t>(aktual == pose ? pose + 1 : pose);
      krok();
    }
    styl(static_cast<uint8_t>(style));
    pal = std::vector<const RGB*>{fpal04, fpal64, fpalZX, fpal94}[style];
    for (int c = 0; c < TROWS * TCOLS; c++) want[c] = c % TCOLS < 12 && c / TCOLS < 5;  // numbers and names
    // His cells, where the view places its window around him.
    const int h = std::clamp(2 * xp - 40, 0, 4), v = std::clamp(2 * yp - 20, 0, 14);
    for (int c = 0; c < 8; c++) {
      int x = 2 + 2 * (c < 4 ? x0 : xp) + c % 2 - h, y = 10 + 2 * (c < 4 ? y0 : yp) + c / 2 % 2 - v;
      if (x >= 0 && y >= 8 && y < TROWS) want[y * TCOLS + x] = true;
    }
    const int32_t cas0 = cas;
    for (int k = 0; k < 8; k++) {  // the time down by k / 2, his pose in frame k % 2
      cas = cas0 - 40 * (k / 2);
      stav();
      sektor[at(xp, yp)] ^= k % 2;
      zobraz();
      okno();
      sektor[at(xp, yp)] ^= k % 2;
      render(4);
    }
  } else {
    bad("unknown mode, or not its arguments");
  }

  while (true) {
    const bool last = std::time(nullptr) >= end;
    const std::vector<uint32_t> shot = grab(d, true);
    std::vector<int> wrong(want.size() + 1);  // the cells the screen most alike gets wrong
    for (const std::vector<Picture>& frames : screens) {
      std::vector<int> w;
      for (int c = 0; c < TROWS * TCOLS; c++)
        if (want[c] && std::none_of(frames.begin(), frames.end(), [&](auto& p) { return same(shot, p, pal, c); }))
          w.push_back(c);
      if (w.size() < wrong.size()) wrong = w;
    }
    if (wrong.empty() || last) {
      std::printf("%s: %zu of %zu cells differ", mode.c_str(), wrong.size(),
                  static_cast<size_t>(std::count(want.begin(), want.end(), true)));
      for (int c : wrong) std::printf(" %d,%d", c % TCOLS, c / TCOLS);
      std::printf("\n");
      return wrong.empty() ? 0 : 1;
    }
    usleep(100000);
  }
}
