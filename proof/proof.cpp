// tavrok-proof: proves that every built-in cave can be completed from the
// states a real game carries into it, and that each set can be played
// through in one game.
//
//   tavrok-proof WAYS [--set NAME] [--cave K] [--except SET:K,...] [--states N]
//                [--games] [-v]
//
// A cave's spiders start in the directions that the cells they stand on
// hold (what earlier caves left there), and its water spreads by the random
// sequence, which earlier caves have moved on. So each cave is played from a
// fresh program start, from every direction 255, and from N (default 20)
// random states, each left by a random stretch of another cave of the set
// and up to 5000 more draws; seeded by the set, the cave and the state's
// number, so a run is repeatable. The way through is WAYS/SET/KK.txt, or
// WAYS/SET/KK@STATE.txt where one is stored for that state (STATE: fresh,
// 255, r1..rN, game, game-bl). It must reach an exit alive.
//
// --except leaves out the caves it lists (tavrokc64_p:4, say).
//
// --games plays each set in one game from cave 1 (and, for the sets with
// bonus caves, again with them), every cave by its way, to the end of the
// set without a death.
//
// Prints one line per failure and a summary; exit status 1 if anything
// failed, 2 on bad arguments.

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "cave/grid.h"
#include "cave/hra.h"
#include "cave/load.h"
#include "cave/sets/sets.h"
#include "cave/view.h"
#include "headless/headless.h"
#include "proof/ways.h"
#include "sim/cavefile.h"
#include "text/text.h"

namespace {

std::string ways_dir;
bool verbose = false;

int failures = 0;

void fail(const std::string& what) {
  failures++;
  std::printf("FAIL %s\n", what.c_str());
}

void prove_cave(const CaveSet& s, uint32_t k, int n) {
  std::map<std::string, Way> ways;
  int ok = 0;
  auto states = states_for(s, k, n);
  for (const State& st : states) {
    std::string path = way_path(ways_dir, s, k, st.label);
    if (!ways.count(path)) ways[path] = read_way(path);
    Outcome o = play_from(s, k, st, ways[path]);
    if (o.done) ok++;
    else
      fail(std::string(s.name) + " cave " + std::to_string(k) + " from state " + st.label + ": " +
           (o.died ? "died" : "not completed") + " at tick " + std::to_string(o.tick) + " of " +
           std::to_string(ways[path].size()));
  }
  if (verbose) std::printf("%s cave %u: %d of %zu states\n", s.name, k, ok, states.size());
}

// One game from cave 1 to the end of the set, each cave by its way (or the
// way stored for this game), as the program plays it.
struct GameRun {
  const CaveSet* s;
  std::string label;
  Way way;
  size_t t = 0;
  std::string why;
} g;

void next_way() {
  g.way = read_way(way_path(ways_dir, *g.s, aksektor, g.label));
  g.t = 0;
}

bool game_tick(Konec k) {
  if (k == HRAJE) {
    g.t++;
    headless_keys = g.t < g.way.size() ? g.way[g.t] : Keys{};
    if (g.t > g.way.size() + 1) {
      g.why = "cave " + std::to_string(aksektor) + " not completed by its way";
      return false;
    }
    return true;
  }
  if (k == DOKONCIL && citac != 0 && el == 1) {
    g.why = "bonus cave " + std::to_string(aksektor) + " completed by dying";
    return false;
  }
  if (k != DOKONCIL && k != PROSEL) {
    g.why = "died in cave " + std::to_string(aksektor) + " at tick " + std::to_string(g.t + 1);
    return false;
  }
  if (k == DOKONCIL) {
    // The next cave's way starts with the tick after its start.
    uint32_t next = aksektor + 1;
    g.way = read_way(way_path(ways_dir, *g.s, next, g.label));
    g.t = 0;
    headless_keys = g.way.empty() ? Keys{} : g.way[0];
  }
  return true;
}

void prove_game(const CaveSet& s, bool bonus) {
  program_start();
  nazev = s.data;
  bl = bonus ? 1 : 0;
  tstart = 1;
  g = GameRun{};
  g.s = &s;
  g.label = bonus ? "game-bl" : "game";
  aksektor = 1;
  next_way();
  headless_keys = g.way.empty() ? Keys{} : g.way[0];
  headless_po_ticku = game_tick;
  Konec end = hra();
  headless_po_ticku = nullptr;
  std::string what = std::string(s.name) + (bonus ? " with bonus caves" : "") + " in one game";
  if (!g.why.empty()) fail(what + ": " + g.why);
  else if (end != PROSEL) fail(what + ": did not reach the end of the set");
  else if (verbose) std::printf("%s: completed, score %u, lives %u\n", what.c_str(), sc, zi);
}

long number(const char* opt, const char* text, long hi) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!*text || *end || v < 1 || v > hi) tool_fail(std::string(opt) + " needs a number from 1 to " + std::to_string(hi));
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  tool_name = "tavrok-proof";
  std::string set, except;
  long cave = 0, n = 20;
  bool games = false;
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) tool_fail(a + " needs a value");
      return argv[++i];
    };
    if (a == "--set") set = value();
    else if (a == "--cave") cave = number("--cave", value(), 25);
    else if (a == "--states") n = number("--states", value(), 100000);
    else if (a == "--games") games = true;
    else if (a == "-v") verbose = true;
    else if (a == "--except") except = "," + std::string(value()) + ",";
    else if (a[0] != '-' && ways_dir.empty()) ways_dir = a;
    else tool_fail("unknown argument '" + a + "'");
  }
  if (ways_dir.empty()) tool_fail("usage: tavrok-proof WAYS [--set NAME] [--cave K] [--except SET:K,...] [--states N] [--games] [-v]");
  if (!set.empty() && !find_set(set)) tool_fail("unknown cave set '" + set + "'");
  int runs = 0;
  for (const char* name : {"tavrok_s1", "tavrokc64_1", "tavrokc64_p", "tavrokc64_b"}) {
    if (!set.empty() && set != name) continue;
    const CaveSet& s = *find_set(name);
    if (games) {
      prove_game(s, false);
      runs++;
      if (s.data != tavrok_s1.data()) {
        prove_game(s, true);
        runs++;
      }
      continue;
    }
    for (uint32_t k = 1; k <= s.caves; k++) {
      if (cave && k != static_cast<uint32_t>(cave)) continue;
      if (except.find("," + std::string(name) + ":" + std::to_string(k) + ",") != std::string::npos) continue;
      prove_cave(s, k, static_cast<int>(n));
      runs += static_cast<int>(n) + 2;
    }
  }
  std::printf("%d of %d runs failed\n", failures, runs);
  return failures ? 1 : 0;
}
