// tavrok-shotcheck: compares a screenshot of the running game (an X window
// dump of the root window, the game's window at its top left) with what the
// text screen should show, drawn by the game's own renderer.
//
//   tavrok-shotcheck DATAFILE SHOT.xwd opening      the opening text screen
//   tavrok-shotcheck DATAFILE SHOT.xwd title        the title, 2004 style
//   tavrok-shotcheck DATAFILE SHOT.xwd cave N [SET K]
//       the status line of cave K (default: the first of the default set) in
//       style N
//   tavrok-shotcheck DATAFILE SHOT.xwd setup PAGE [LIVES START] [full]
//       a page of the setup menu: 1, 2 (2j with the joystick question), 3 or
//       4 (with the lives cheat and the starting cave shown); drawn in the
//       palette of the window, or with "full" in the text style's own
//   tavrok-shotcheck DATAFILE SHOT.xwd intro INTRO.dat PHASE
//       a frame of phase 1, 2 or 3 of the intro, any of them, replayed from
//       the picture in INTRO.dat; 98 % of the pixels must match
//   tavrok-shotcheck DATAFILE SHOT.xwd walk SET K STEPS
//       the first cave of a game from cave K, 2004 style, after the player's
//       steps (a string of u, d, l, r; "-" for none): the status line and the
//       player's cells, where he started and where he is
// Every 8 x 8 cell must match the expected cell in one of the four animation
// frames (a screenshot may catch the window between two frames). Exit 0 if
// all match, 1 with a report if not, 2 on bad input.

#include <allegro.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "cave/grid.h"
#include "cave/hra.h"
#include "cave/rules.h"
#include "cave/load.h"
#include "cave/sets/sets.h"
#include "cave/view.h"
#include "pictures/jpegd.h"
#include "screen/kamenick.h"
#include "screen/kresli.h"
#include "screen/styly.h"
#include "screen/text.h"
#include "shell/texts.h"

namespace {

[[noreturn]] void bad(const std::string& msg) {
  std::fprintf(stderr, "tavrok-shotcheck: %s\n", msg.c_str());
  std::exit(2);
}

struct Shot {
  int w = 0, h = 0;
  std::vector<uint32_t> rgb;  // 0xRRGGBB
};

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

int shift_of(uint32_t mask) {
  int s = 0;
  while (mask && !(mask & 1)) mask >>= 1, s++;
  return s;
}

Shot read_xwd(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) bad(path + ": cannot open");
  std::vector<uint8_t> d((std::istreambuf_iterator<char>(f)), {});
  if (d.size() < 100) bad(path + ": too short for a window dump");
  uint32_t h[25];
  for (int i = 0; i < 25; i++) h[i] = be32(&d[i * 4]);
  uint32_t header = h[0], width = h[4], height = h[5], byte_order = h[7], bytes = h[11] / 8, stride = h[12],
           visual = h[13];
  uint32_t rmask = h[14], gmask = h[15], bmask = h[16], ncolors = h[19];
  if (h[1] != 7 || h[2] != 2 || (bytes != 3 && bytes != 4) || stride < width * bytes)
    bad(path + ": expected a true-colour dump of 24 or 32 bits a pixel");
  size_t off = header + ncolors * 12u;
  if (d.size() < off + size_t(stride) * height) bad(path + ": the image is cut short");
  // A DirectColor visual passes each channel through the colour map, whose
  // entries name the channel values they stand for.
  std::vector<uint32_t> rmap(256), gmap(256), bmap(256);
  for (uint32_t i = 0; i < 256; i++) rmap[i] = gmap[i] = bmap[i] = i;
  for (uint32_t i = 0; i < ncolors; i++) {
    const uint8_t* c = &d[header + i * 12];
    uint32_t pixel = be32(c);
    uint32_t r = (pixel & rmask) >> shift_of(rmask), g = (pixel & gmask) >> shift_of(gmask),
             b = (pixel & bmask) >> shift_of(bmask);
    if (r < 256) rmap[r] = c[4];
    if (g < 256) gmap[g] = c[6];
    if (b < 256) bmap[b] = c[8];
  }
  Shot s;
  s.w = static_cast<int>(width);
  s.h = static_cast<int>(height);
  for (uint32_t y = 0; y < height; y++)
    for (uint32_t x = 0; x < width; x++) {
      const uint8_t* p = &d[off + y * stride + x * bytes];
      uint32_t v = 0;
      for (uint32_t i = 0; i < bytes; i++) v |= uint32_t(p[byte_order == 0 ? i : bytes - 1 - i]) << (8 * i);
      uint32_t r = (v & rmask) >> shift_of(rmask), g = (v & gmask) >> shift_of(gmask),
               b = (v & bmask) >> shift_of(bmask);
      if (visual == 5 && r < 256 && g < 256 && b < 256)
        s.rgb.push_back(rmap[r] << 16 | gmap[g] << 8 | bmap[b]);
      else
        s.rgb.push_back(r << 16 | g << 8 | b);
    }
  if (s.w < 640 || s.h < 400) bad(path + ": smaller than the game's window");
  return s;
}

bool near(uint32_t got, const RGB& want) {
  auto chan = [](uint32_t v, int c6) {
    int want8 = c6 * 255 / 63;
    int diff = static_cast<int>(v & 255) - want8;
    return diff >= -5 && diff <= 5;
  };
  return chan(got >> 16, want.r) && chan(got >> 8, want.g) && chan(got, want.b);
}

// Does cell (x, y) of the shot show what the back buffer holds there?
bool cell_matches(const Shot& s, int x, int y, const PALETTE p) {
  for (int py = 0; py < 8; py++)
    for (int px = 0; px < 8; px++) {
      int X = x * 8 + px, Y = y * 8 + py;
      if (!near(s.rgb[Y * s.w + X], p[sbuffer->line[Y][X]])) return false;
    }
  return true;
}

// Replays the intro's frames from its picture into a bitmap and scores each
// frame of the phase against the shot; exit status 0 if one matches.
int intro_check(const Shot& shot, const std::string& intro, int phase) {
  PALETTE pal;
  BITMAP* title = load_jpeg((intro + "#I_JPG").c_str(), pal);
  if (!title) bad(intro + ": holds no intro picture I_JPG");
  BITMAP* scr = create_bitmap(640, 480);
  clear_to_color(scr, 0);
  double best = 0;
  int best_frame = -1, frame = 0;
  auto score = [&](int p) {
    if (p == phase) {
      long same = 0;
      for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++) same += near(shot.rgb[y * shot.w + x], pal[scr->line[y][x]]);
      double f = same / (640.0 * 480.0);
      if (f > best) best = f, best_frame = frame;
    }
    frame++;
  };
  for (int i = 0; i < 50; i++) {
    if (i > 0) stretch_blit(title, scr, 300 - 6 * i, 696 - 6 * i, 12 * i, 12 * i, 0, 0, 640, 480);
    score(1);
  }
  for (int k = 0, v = 1; v > 0; k++) {
    v = 136 - 150 * k / 37;
    int w = 160 * k / 37;
    stretch_blit(title, scr, 0, 260 + v, 600, 2 * (436 - v), w, 0, 2 * (320 - w), 480);
    rectfill(scr, 0, 0, w, 479, 0);
    rectfill(scr, 640 - w - 1, 0, 639, 479, 0);
    score(2);
  }
  for (int i = 0; i < 100; i++) {
    int w = 300 * i / 100 * 640 / 800, h = 130 * i / 100 * 480 / 800;
    if (w > 0 && h > 0) masked_stretch_blit(title, scr, 0, 0, 600, 240, 320 - w, 240 - h, 2 * w, 2 * h);
    score(3);
  }
  std::printf("intro phase %d: frame %d matches %.1f %% of the pixels\n", phase, best_frame, 100 * best);
  return best >= 0.98 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) bad("usage: tavrok-shotcheck DATAFILE SHOT.xwd opening|title|cave N [SET K]|setup PAGE...|walk SET K STEPS");
  std::string mode = argv[3];
  Shot shot = read_xwd(argv[2]);
  install_allegro(SYSTEM_NONE, &errno, atexit);
  if (mode == "intro" && argc == 6) return intro_check(shot, argv[4], std::atoi(argv[5]));
  DATAFILE* df = nullptr;
  const char* why = open_styles(argv[1], &df);
  if (*why) bad(std::string(argv[1]) + ": " + why);
  setfont1(8, 0, 256, 0, kamenick.data(), 0);

  // What the text screen holds, which cells to compare, and how it is drawn.
  std::vector<bool> want(TROWS * TCOLS, true);
  auto only = [&want](int cols, int rows) {
    for (int y = 0; y < TROWS; y++)
      for (int x = 0; x < TCOLS; x++) want[y * TCOLS + x] = x < cols && y < rows;
  };
  auto game_at = [](const char* set, const char* k) {
    const CaveSet* s = find_set(set);
    if (!s) bad(std::string("unknown cave set '") + set + "'");
    init_mb800();
    nazev = s->data;
    tstart = static_cast<uint32_t>(std::atoi(k));
    if (tstart < 1 || tstart > s->caves) bad("no such cave");
    SColor = 15;
    Gclrscr();
    new_game();
    cave_start();
  };
  bool text_font = false;
  const RGB* palette = fpal04;
  if (mode == "opening") {
    opening_text();
    text_font = true;
    palette = default_palette;
  } else if (mode == "title") {
    title_top();
    title_prompt();
    styl(0);
  } else if (mode == "cave" && (argc == 5 || argc == 7)) {
    int style = std::atoi(argv[4]);
    if (style < 0 || style > 3) bad("style is 0..3");
    game_at(argc == 7 ? argv[5] : "tavrokc64_1", argc == 7 ? argv[6] : "1");
    styl(static_cast<uint8_t>(style));
    const RGB* pals[4] = {fpal04, fpal64, fpalZX, fpal94};
    palette = pals[style];
    only(12, 4);  // score, lives, diamonds needed and cave number stand still
  } else if (mode == "setup" && argc >= 5) {
    std::string page = argv[4];
    bool full = std::string(argv[argc - 1]) == "full";
    Gclrscr();
    setup_text(page == "2j" ? 2 : std::atoi(page.c_str()));
    if (page == "2j") joystick_question();
    if (page == "4") {
      if (argc < 7) bad("setup 4 needs LIVES START");
      tziv = static_cast<uint8_t>(std::atoi(argv[5]));
      tstart = static_cast<uint32_t>(std::atoi(argv[6]));
      cheat_values();
    }
    ActiveEFont(EFontK, fpalK);
    palette = full ? fpalK : default_palette;
  } else if (mode == "walk" && argc == 7) {
    game_at(argv[4], argv[5]);
    int x0 = xp, y0 = yp;
    for (const char* c = argv[6]; *c && *c != '-'; c++) {
      const char* dirs = "udlr";
      const char* d = std::strchr(dirs, *c);
      if (!d) bad("steps are u, d, l and r");
      static const int dx[4] = {0, 0, -1, 1}, dy[4] = {-1, 1, 0, 0};
      static const uint8_t first[4] = {4, 2, 8, 6};
      int i = static_cast<int>(d - dirs);
      xk = dx[i];
      yk = dy[i];
      aktual = aktual == first[i] ? static_cast<uint8_t>(first[i] + 1) : first[i];
      krok();
    }
    zobraz();
    okno();
    styl(0);
    only(12, 4);
    // The window's origin as the view places it around the player.
    int h = std::clamp(2 * xp - 40, 0, 4), v = std::clamp(2 * yp - 20, 0, 14);
    for (auto [gx, gy] : {std::pair<int, int>{x0, y0}, {xp, yp}})
      for (int d = 0; d < 4; d++) {
        int x = 2 + 2 * gx + d % 2 - h, y = 8 + 2 + 2 * gy + d / 2 - v;
        if (x >= 0 && x < TCOLS && y >= 8 && y < TROWS) want[y * TCOLS + x] = true;
      }
  } else {
    bad("unknown mode '" + mode + "'");
  }

  std::vector<bool> ok(TROWS * TCOLS, false);
  CanHide = 0;
  for (int f = 1; f <= (text_font ? 1 : 4); f++) {
    movefont = static_cast<uint8_t>(f);
    if (text_font)
      kresli_2font();
    else
      kresli_1font();
    for (int y = 0; y < TROWS; y++)
      for (int x = 0; x < TCOLS; x++)
        if (want[y * TCOLS + x] && !ok[y * TCOLS + x] && cell_matches(shot, x, y, palette)) ok[y * TCOLS + x] = true;
  }
  int bad_cells = 0, compared = 0;
  for (int y = 0; y < TROWS; y++)
    for (int x = 0; x < TCOLS; x++)
      if (want[y * TCOLS + x] && (compared++, !ok[y * TCOLS + x])) {
        if (bad_cells < 10) {
          std::printf("cell %d,%d (character 0x%02X) differs from every frame", x, y, cell(x, y)[0]);
          for (int i = 0; i < 64; i++) {
            int X = x * 8 + i % 8, Y = y * 8 + i / 8;
            const RGB& e = palette[sbuffer->line[Y][X]];
            if (!near(shot.rgb[Y * shot.w + X], e)) {
              std::printf(": pixel %d,%d is #%06X, frame %d has #%02X%02X%02X", X, Y, shot.rgb[Y * shot.w + X],
                          movefont, e.r * 255 / 63, e.g * 255 / 63, e.b * 255 / 63);
              break;
            }
          }
          std::printf("\n");
        }
        bad_cells++;
      }
  std::printf("%s: %d of %d cells as expected\n", mode.c_str(), compared - bad_cells, compared);
  return bad_cells ? 1 : 0;
}
