// tavrok-sim: plays one cave, or a whole game cave after cave, the way the
// game does, without drawing, waiting or a keyboard, and prints the state as
// JSON lines.
//
//   tavrok-sim --cave FILE [--number K] [--bl] [--input FILE] [--ticks N]
//              [--cheat NAME]... [--trace]
//   tavrok-sim --set NAME --number K [same options]
//   tavrok-sim --game [--set NAME] [--bl] [--start K] [--input FILE]
//              [--ticks N] [--cheat NAME]... [--trace] [--record FILE]
//   tavrok-sim --game --replay FILE [--verify] [--trace] [--record FILE]
//   tavrok-sim --dump-set NAME

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "cave/grid.h"
#include "cave/hra.h"
#include "cave/load.h"
#include "cave/sets/sets.h"
#include "cave/view.h"
#include "cave/zaznam.h"
#include "headless/headless.h"
#include "sim/cavefile.h"

namespace {

const char* const usage =
    "usage: tavrok-sim --cave FILE | --set NAME [--number K] [--bl] [--input FILE] [--ticks N] "
    "[--cheat NAME]... [--trace];  tavrok-sim --game [--set NAME] [--bl] [--start K] [same options] "
    "[--record FILE];  tavrok-sim --game --replay FILE [--verify] [--trace] [--record FILE];  "
    "tavrok-sim --dump-set NAME";

struct Options {
  std::string cave, set, dump, input, replay, record;
  long number = 1, start = 1;
  long ticks = -1;  // -1: as many as input lines
  bool game = false, bl = false, trace = false, verify = false;
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
  bool numbered = false, started = false;
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
    else if (a == "--game")
      o.game = true;
    else if (a == "--number") {
      o.number = number_arg(a, value(), 1, 1000);
      numbered = true;
    } else if (a == "--start") {
      o.start = number_arg(a, value(), 1, 1000);
      started = true;
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
    else if (a == "--replay")
      o.replay = value();
    else if (a == "--verify")
      o.verify = true;
    else if (a == "--record")
      o.record = value();
    else
      tool_fail("unknown argument '" + a + "'; " + usage);
  }
  if (!o.game && (!o.replay.empty() || o.verify || !o.record.empty()))
    tool_fail(std::string("--replay, --verify and --record need --game; ") + usage);
  if (o.verify && o.replay.empty()) tool_fail("--verify needs --replay FILE");
  if (!o.replay.empty() && (!o.set.empty() || o.bl || started || !o.input.empty() || o.ticks >= 0 || !o.cheats.empty()))
    tool_fail("a replay brings its own set, caves, keys and cheats: --replay goes only with --verify, --trace and --record");
  if (o.game) {
    if (!o.cave.empty() || !o.dump.empty() || numbered)
      tool_fail(std::string("--game does not go with --cave, --number or --dump-set; ") + usage);
    if (o.set.empty()) o.set = "tavrokc64_1";
    return o;
  }
  if (started) tool_fail("--start needs --game");
  int sources = !o.cave.empty() + !o.set.empty() + !o.dump.empty();
  if (sources != 1) tool_fail(std::string("give exactly one of --cave, --set and --dump-set; ") + usage);
  if (!o.set.empty() && !numbered) tool_fail("--set needs --number K");
  return o;
}

// The held keys of each tick, one line a tick; `esc` only in a whole game.
std::vector<Keys> read_input(const std::string& path, bool game) {
  std::vector<Keys> lines;
  std::istringstream text(read_file(path));
  std::string line;
  while (std::getline(text, line)) {
    Keys keys{};
    std::istringstream words(line);
    std::string w;
    while (words >> w) {
      bool known = false;
      for (int k = 0; k < KL_COUNT; k++)
        if (w == KLIC_JMENA[k] && (game || k != KL_ESC)) {
          keys[k] = true;
          known = true;
        }
      if (!known)
        tool_fail(path + " line " + std::to_string(lines.size() + 1) + ": unknown key '" + w +
                  "' (keys: up down left right kill f11 f12" + (game ? " esc)" : ")"));
    }
    lines.push_back(keys);
  }
  return lines;
}

void cheat(const std::string& name) {
  uint8_t* flags[] = {&tziv, &tcas, &tsutr, &tpavouk, &tvodaturbo};
  for (int i = 0; i < 5; i++)
    if (name == CHEAT_JMENA[i]) {
      *flags[i] = 1;
      return;
    }
  tool_fail("unknown cheat '" + name + "' (cheats: lives time boulders spiders turbo)");
}

// The full state; `cave` 0 leaves the cave number out (one-cave mode).
void print_state(long tick, uint32_t cave, const char* end) {
  std::string out;
  out.reserve(1400);
  char head[340];
  int n = std::snprintf(head, sizeof head, "{\"tick\":%ld,", tick);
  if (cave) n += std::snprintf(head + n, sizeof head - n, "\"cave\":%u,", cave);
  std::snprintf(head + n, sizeof head - n,
                "\"end\":%s,\"xp\":%d,\"yp\":%d,\"ch\":%u,\"sc\":%u,\"zi\":%u,\"cas\":%d,\"smrt\":%u,"
                "\"fxit\":%u,\"citac\":%u,\"va\":%u,\"tece\":%u,\"aktual\":%u,\"grid\":[",
                end, xp, yp, ch, sc, zi, cas, smrt, fxit, citac, va, tece, aktual);
  out += head;
  for (int y = 0; y < CH; y++) {
    out += y ? ",\"" : "\"";
    for (int x = 0; x < CW; x++) out += static_cast<char>('A' + sektor[at(x, y)]);
    out += '"';
  }
  out += "]}\n";
  std::fputs(out.c_str(), stdout);
}

// What the hook reports, indexed by Konec. One cave knows no game over, end
// of the set or ESC: it has simply died or been completed.
const char* const cave_ends[] = {"null", "\"died\"", "\"completed\"", "\"died\"", "\"completed\"", "null"};
const char* const game_ends[] = {"null", "\"died\"", "\"completed\"", "\"gameover\"", "\"set-completed\"", "\"quit\""};

struct Run {
  bool game = false, trace = false;
  long limit = 0;  // ticks in all
  long total = 0;  // ticks played
  long tick = 0;   // ticks since the cave started
} run;

// Reports each tick as `hra` ends it; stops at the tick limit, and in one-cave
// mode at the cave's end.
bool report(Konec k) {
  run.total++;
  run.tick++;
  bool last = run.total == run.limit || (!run.game && k != HRAJE);
  const char* end = (run.game ? game_ends : cave_ends)[k];
  if (run.trace || (!run.game && last))
    print_state(run.tick, run.game ? aksektor : 0, end);
  else if (run.game && k != HRAJE)
    std::printf("{\"cave\":%u,\"tick\":%ld,\"end\":%s,\"sc\":%u,\"zi\":%u,\"cas\":%d}\n", aksektor, run.tick, end, sc,
                zi, cas);
  if (k != HRAJE) run.tick = 0;
  return !last;
}

// Writes the record of the game just played to `path`, if one is named.
void record(const std::string& path) {
  if (path.empty()) return;
  if (zaznam_hry.result.what != PROHRAL && zaznam_hry.result.what != PROSEL && zaznam_hry.result.what != ODESEL)
    tool_fail(path + ": not written: the game had not ended when the input did (end it with esc)");
  FILE* f = std::fopen(path.c_str(), "wb");
  const std::string text = zaznam_text(zaznam_hry);
  if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0)
    tool_fail(path + ": cannot write: " + std::strerror(errno));
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
  if (!o.replay.empty()) {
    std::string why;
    if (!zaznam_cti(read_file(o.replay), zaznam_hry, why)) tool_fail(o.replay + ": " + why);
    run.game = true;
    run.trace = o.trace;
    init_mb800();
    headless_po_ticku = report;
    prehraj();
    record(o.record);
    if (o.verify && !rozdil.empty()) {
      std::fprintf(stderr, "tavrok-sim: %s: %s\n", o.replay.c_str(), rozdil.c_str());
      return 1;
    }
    return 0;
  }
  std::vector<uint8_t> set = cave_set(o.cave, o.set, o.game ? o.start : o.number);
  if (o.game && o.bl && o.set == "tavrok_s1") tool_fail("set 'tavrok_s1' has no bonus caves: leave out --bl");
  std::vector<Keys> input;
  if (!o.input.empty()) input = read_input(o.input, o.game);
  for (const std::string& c : o.cheats) cheat(c);
  run.game = o.game;
  run.trace = o.trace;
  run.limit = o.ticks >= 0 ? o.ticks : static_cast<long>(input.size());

  // Program start, then a new game at cave K. A whole game plays the built-in
  // set itself: its number of caves is known by its address.
  init_mb800();
  bl = o.bl ? 1 : 0;
  nazev = o.game ? find_set(o.set)->data : set.data();
  tstart = static_cast<uint32_t>(o.game ? o.start : o.number);
  if (run.limit == 0) {
    if (o.game) return 0;
    new_game();
    cave_start();
    print_state(0, 0, "null");
    return 0;
  }
  headless_feed = &input;
  headless_po_ticku = report;
  hra();
  record(o.record);
  return 0;
}
