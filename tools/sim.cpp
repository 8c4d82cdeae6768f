// tavrok-sim: plays one cave of a new game tick by tick, the way the game's
// main loop does, without drawing, waiting or a keyboard, and prints the
// state as JSON lines.
//
//   tavrok-sim --cave FILE [--number K] [--bl] [--input FILE] [--ticks N]
//              [--cheat NAME]... [--trace]
//   tavrok-sim --set NAME --number K [same options]
//   tavrok-sim --dump-set NAME

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cave/grid.h"
#include "cave/hra.h"
#include "cave/load.h"
#include "cave/sets/sets.h"
#include "cave/view.h"
#include "tools/cavefile.h"
#include "tools/headless.h"

namespace {

const char* const usage =
    "usage: tavrok-sim --cave FILE | --set NAME [--number K] [--bl] [--input FILE] [--ticks N] "
    "[--cheat NAME]... [--trace];  tavrok-sim --dump-set NAME";

struct Options {
  std::string cave, set, dump, input;
  long number = 1;
  long ticks = -1;  // -1: as many as input lines
  bool bl = false, trace = false;
  std::vector<std::string> cheats;
};

long number_arg(const std::string& opt, const char* text, long lo, long hi) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text, &end, 10);
  if (*text == 0 || *end != 0 || errno != 0 || v < lo || v > hi)
    tool_fail(opt + " needs a whole number from " + std::to_string(lo) + " to " + std::to_string(hi) + ", not '" + text +
         "'");
  return v;
}

Options parse(int argc, char** argv) {
  Options o;
  bool numbered = false;
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) tool_fail(a + " needs a value");
      return argv[++i];
    };
    if (a == "--cave")
      o.cave = value();
    else if (a == "--set")
      o.set = value();
    else if (a == "--dump-set")
      o.dump = value();
    else if (a == "--number") {
      o.number = number_arg(a, value(), 1, 1000);
      numbered = true;
    } else if (a == "--bl")
      o.bl = true;
    else if (a == "--input")
      o.input = value();
    else if (a == "--ticks")
      o.ticks = number_arg(a, value(), 0, 1000000000);
    else if (a == "--cheat")
      o.cheats.push_back(value());
    else if (a == "--trace")
      o.trace = true;
    else
      tool_fail("unknown argument '" + a + "'; " + usage);
  }
  int sources = !o.cave.empty() + !o.set.empty() + !o.dump.empty();
  if (sources != 1) tool_fail(std::string("give exactly one of --cave, --set and --dump-set; ") + usage);
  if (!o.set.empty() && !numbered) tool_fail("--set needs --number K");
  return o;
}

// The held keys of each tick, one line a tick.
std::vector<std::array<bool, KL_COUNT>> read_input(const std::string& path) {
  static const struct {
    const char* name;
    Klic key;
  } names[] = {{"up", KL_UP},     {"down", KL_DOWN}, {"left", KL_LEFT}, {"right", KL_RIGHT},
               {"kill", KL_KILL}, {"f11", KL_F11},   {"f12", KL_F12}};
  std::vector<std::array<bool, KL_COUNT>> lines;
  std::istringstream text(read_file(path));
  std::string line;
  while (std::getline(text, line)) {
    std::array<bool, KL_COUNT> keys{};
    std::istringstream words(line);
    std::string w;
    while (words >> w) {
      bool known = false;
      for (const auto& n : names)
        if (w == n.name) {
          keys[n.key] = true;
          known = true;
        }
      if (!known)
        tool_fail(path + " line " + std::to_string(lines.size() + 1) + ": unknown key '" + w +
             "' (keys: up down left right kill f11 f12)");
    }
    lines.push_back(keys);
  }
  return lines;
}

void cheat(const std::string& name) {
  if (name == "lives")
    tziv = 1;
  else if (name == "time")
    tcas = 1;
  else if (name == "boulders")
    tsutr = 1;
  else if (name == "spiders")
    tpavouk = 1;
  else if (name == "turbo")
    tvodaturbo = 1;
  else
    tool_fail("unknown cheat '" + name + "' (cheats: lives time boulders spiders turbo)");
}

void print_state(long tick, const char* end) {
  std::string out;
  out.reserve(1400);
  char head[320];
  std::snprintf(head, sizeof head,
                "{\"tick\":%ld,\"end\":%s,\"xp\":%d,\"yp\":%d,\"ch\":%u,\"sc\":%u,\"zi\":%u,\"cas\":%d,\"smrt\":%u,"
                "\"fxit\":%u,\"citac\":%u,\"va\":%u,\"tece\":%u,\"aktual\":%u,\"grid\":[",
                tick, end, xp, yp, ch, sc, zi, cas, smrt, fxit, citac, va, tece, aktual);
  out += head;
  for (int y = 0; y < CH; y++) {
    out += y ? ",\"" : "\"";
    for (int x = 0; x < CW; x++) out += static_cast<char>('A' + sektor[at(x, y)]);
    out += '"';
  }
  out += "]}\n";
  std::fputs(out.c_str(), stdout);
}

}  // namespace

int main(int argc, char** argv) {
  tool_name = "tavrok-sim";
  Options o = parse(argc, argv);

  if (!o.dump.empty()) {
    const CaveSet* s = find_set(o.dump);
    if (!s) tool_fail("unknown cave set '" + o.dump + "'");
    std::fwrite(s->data, RECORD, s->caves, stdout);
    return 0;
  }

  // Everything is read and checked before anything runs, so bad input never
  // leaves half an output behind.
  std::vector<uint8_t> set = cave_set(o.cave, o.set, o.number);
  std::vector<std::array<bool, KL_COUNT>> input;
  if (!o.input.empty()) input = read_input(o.input);
  for (const std::string& c : o.cheats) cheat(c);
  long ticks = o.ticks >= 0 ? o.ticks : static_cast<long>(input.size());

  // Program start, then a new game at cave K.
  init_mb800();
  bl = o.bl ? 1 : 0;
  nazev = set.data();
  tstart = static_cast<uint32_t>(o.number);
  new_game();
  cave_start();

  const char* end = "null";
  long t = 0;
  while (t < ticks) {
    t++;
    headless_keys = static_cast<size_t>(t) <= input.size() ? input[t - 1] : std::array<bool, KL_COUNT>{};
    tick_show();
    Konec k = tick_play();
    if (k == DOKONCIL) end = "\"completed\"";
    if (k == ZEMREL) end = "\"died\"";
    if (o.trace || k != HRAJE || t == ticks) print_state(t, end);
    if (k != HRAJE) break;
  }
  if (ticks == 0) print_state(0, end);
  return 0;
}
