// tavrok-preview: a picture of a cave as the game shows it, in any style,
// without playing: the first picture of the cave (or the picture after T
// ticks with no keys held), drawn by the game's own renderer into a PNG.
//
//   tavrok-preview (--cave FILE [--number K] | --set NAME --number K)
//                  [--style N] [--frame F] [--ticks T] [--data FILE] --png FILE
//
// N: 0 2004, 1 C64, 2 ZX, 3 1994. F: animation frame 1..4. The datafile is
// TavrokDF.dat, found as the game finds it, unless --data names another.

#include <allegro.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cave/hra.h"
#include "cave/load.h"
#include "cave/view.h"
#include "screen/datadirs.h"
#include "screen/kresli.h"
#include "screen/styly.h"
#include "sim/cavefile.h"
#include "sim/png.h"
#include "text/text.h"

namespace {

long number_arg(const std::string& opt, const char* text, long lo, long hi) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (*text == 0 || *end != 0 || v < lo || v > hi)
    tool_fail(opt + " needs a whole number from " + std::to_string(lo) + " to " + std::to_string(hi) + ", not '" +
              text + "'");
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  tool_name = "tavrok-preview";
  std::string cave, set, png, data;
  long number = 1, style = 0, frame = 1, ticks = 0;
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    if (i + 1 >= argc) tool_fail(a + " needs a value, or is not an option");
    const char* v = argv[++i];
    if (a == "--cave") cave = v;
    else if (a == "--set") set = v;
    else if (a == "--number") number = number_arg(a, v, 1, 1000);
    else if (a == "--style") style = number_arg(a, v, 0, 3);
    else if (a == "--frame") frame = number_arg(a, v, 1, 4);
    else if (a == "--ticks") ticks = number_arg(a, v, 0, 100000);
    else if (a == "--data") data = v;
    else if (a == "--png") png = v;
    else tool_fail("unknown argument '" + a + "'");
  }
  if (cave.empty() == set.empty()) tool_fail("give one of --cave FILE and --set NAME");
  if (png.empty()) tool_fail("--png FILE is needed");
  std::vector<uint8_t> records = cave_set(cave, set, number);

  install_allegro(SYSTEM_NONE, &errno, atexit);
  if (data.empty()) data = find_data("TavrokDF.dat");
  if (data.empty()) tool_fail("TavrokDF.dat: " + not_found_text() + "; name one with --data FILE");
  DATAFILE* df = nullptr;
  const char* why = open_styles(data.c_str(), &df);
  if (*why) tool_fail(data + ": " + why);

  // A new game at this cave, as the game starts it, the ticks asked for, and
  // the first half of the next tick, which makes its picture.
  init_mb800();
  nazev = records.data();
  tstart = static_cast<uint32_t>(number);
  SColor = 15;
  new_game();
  cave_start();
  for (long t = 0; t < ticks; t++) {
    tick_show();
    if (tick_play() != HRAJE) break;
  }
  tick_show();

  styl(static_cast<uint8_t>(style));
  movefont = static_cast<uint8_t>(frame);
  CanHide = 0;
  kresli_1font();

  PALETTE p;
  get_palette(p);
  std::array<std::array<uint8_t, 3>, 256> rgb{};
  for (int i = 0; i < 256; i++) {
    rgb[i] = {static_cast<uint8_t>(p[i].r << 2 | p[i].r >> 4), static_cast<uint8_t>(p[i].g << 2 | p[i].g >> 4),
              static_cast<uint8_t>(p[i].b << 2 | p[i].b >> 4)};
  }
  std::vector<uint8_t> px(640 * 400);
  for (int y = 0; y < 400; y++) std::memcpy(&px[y * 640], sbuffer->line[y], 640);
  if (!write_png(png, 640, 400, px, rgb)) tool_fail(png + ": cannot write");
  return 0;
}
