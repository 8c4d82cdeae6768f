// tavrok-wayfix: finds ways through a cave that hold from the states the
// proof plays it from, for cave designers. Two searches, both taking
// WAYS/SET/KK.txt as a guide:
//
//   tavrok-wayfix WAYS SET K [--states N] [--only LIST | --skip LIST]
//                 [--window W] [--out FILE]
//
// One way for many states at once: ways that follow the guide's keys with
// pauses put in anywhere (a spider's round, a boulder's fall and the water's
// growth all come out differently when the player is early or late) and
// guide ticks left out, played from all the chosen states together (every
// state of tavrok-proof, or those of --only, or all but those of --skip;
// LIST is labels joined by commas, such as fresh,255,r3). A way survives
// only while the player lives in every one. Fails when no way is left
// within W guide ticks of the furthest (default 120).
//
//   tavrok-wayfix WAYS SET K --search STATE [--beam B] [--states N] [--out FILE]
//
// A way for one state, free to leave the guide: any key each tick, steered
// by the cells the guide's player passes through, the diamonds taken and the
// distance to the next diamond (to the exit once none is needed); the best B
// (default 300) ways go on each tick. WAYFIX_TRACE=1 in the environment
// shows its progress.
//
// The way found is written to --out (default the guide's own file); exit
// status 1 when none is found.
//
//   tavrok-wayfix WAYS SET K --replay STATE --input FILE [--states N]
//
// Plays the way in FILE from STATE and prints where it got, as one line of
// JSON: ticks played, the player's cell, diamonds still needed, "died" or
// "completed" or null, and the grid a letter a cell ('A' + element code).
// proof/plan builds ways step by step with it.

#include <array>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <map>
#include <tuple>
#include <sstream>
#include <string>
#include <vector>

#include "cave/grid.h"
#include "cave/hra.h"
#include "cave/load.h"
#include "cave/nahoda.h"
#include "proof/ways.h"
#include "sim/cavefile.h"

namespace {

// Everything a cave tick reads or changes.
struct Snap {
  std::array<uint8_t, GSIZE> sektor, smer;
  int32_t xp, yp, xk, yk, cas;
  uint32_t ch, sc, zi;
  uint8_t aktual, smrt, fxit, va, citac, tece, el;
  bool done;
  Nahoda rnd;  // where the random sequence stands
};

void save(Snap& s) {
  s.sektor = sektor;
  s.smer = smer;
  s.xp = xp, s.yp = yp, s.xk = xk, s.yk = yk, s.cas = cas;
  s.ch = ch, s.sc = sc, s.zi = zi;
  s.aktual = aktual, s.smrt = smrt, s.fxit = fxit, s.va = va, s.citac = citac, s.tece = tece, s.el = el;
  s.rnd = nahoda_stav;
}

void load(const Snap& s) {
  sektor = s.sektor;
  smer = s.smer;
  xp = s.xp, yp = s.yp, xk = s.xk, yk = s.yk, cas = s.cas;
  ch = s.ch, sc = s.sc, zi = s.zi;
  aktual = s.aktual, smrt = s.smrt, fxit = s.fxit, va = s.va, citac = s.citac, tece = s.tece, el = s.el;
  nahoda_stav = s.rnd;
}

// The search tree: every step taken, with the step before it.
struct Step {
  int parent;
  Keys keys;
};
std::vector<Step> steps;

struct Node {
  std::vector<Snap> snaps;  // one per state
  int g = 0;                // guide ticks used
  int step = -1;            // last step taken
};

Way way_of(int step) {
  Way w;
  for (; step >= 0; step = steps[static_cast<size_t>(step)].parent) w.push_back(steps[static_cast<size_t>(step)].keys);
  return Way(w.rbegin(), w.rend());
}

std::vector<std::string> labels(const std::string& list) {
  std::vector<std::string> v;
  std::istringstream in(list);
  for (std::string l; std::getline(in, l, ',');) v.push_back(l);
  return v;
}

// The search for one state: any key each tick, steered by the guide's
// path (the cells its player passes through from a fresh start) and by
// the diamonds taken. Of all ways that bring the player to the same cell
// having followed the path equally far, one is kept; of those, the best
// `beam` go on to the next tick.
struct Lead {
  Snap snap;
  int g = 0;  // how far along the path
  int step = -1;
  long score = 0;
};

std::vector<std::pair<int32_t, int32_t>> path_of(const CaveSet& s, uint32_t k, const Way& guide) {
  State fresh{"fresh"};
  start_from(s, k, fresh);
  std::vector<std::pair<int32_t, int32_t>> p{{xp, yp}};
  for (const Keys& keys : guide) {
    headless_keys = keys;
    tick_show();
    if (tick_play() != HRAJE) break;
    if (xp != 255 && std::make_pair(xp, yp) != p.back()) p.push_back({xp, yp});
  }
  return p;
}

// Steps from the player to the nearest diamond (to the exit once none is
// needed) through what he can walk or dig through; 999 when there is none.
int distance() {
  static std::array<int16_t, GSIZE> seen;
  static std::array<int, GSIZE> queue;
  if (fxit == 1) return -1000;  // in the exit: done next tick
  if (xp == 255) return 999;
  seen.fill(-1);
  int head = 0, tail = 0, from = at(xp, yp);
  seen[static_cast<size_t>(from)] = 0;
  queue[static_cast<size_t>(tail++)] = from;
  while (head < tail) {
    int c = queue[static_cast<size_t>(head++)];
    uint8_t e = sektor[static_cast<size_t>(c)];
    if (c != from && ((ch > 0 && e == E_DIAMOND) || (ch == 0 && e == E_EXIT))) return seen[static_cast<size_t>(c)];
    for (int d : {UP, DOWN, LEFT, RIGHT}) {
      int n = c + d;
      uint8_t f = sektor[static_cast<size_t>(n)];
      if (seen[static_cast<size_t>(n)] >= 0) continue;
      if (f == E_EMPTY || f == E_DIRT || f == E_DIAMOND || f == E_EXIT) {
        seen[static_cast<size_t>(n)] = static_cast<int16_t>(seen[static_cast<size_t>(c)] + 1);
        queue[static_cast<size_t>(tail++)] = n;
      }
    }
  }
  return 999;
}

Way search(const CaveSet& s, uint32_t k, const State& st, const Way& guide, size_t beam) {
  auto path = path_of(s, k, guide);
  uint32_t need = 0;
  std::vector<Lead> now(1);
  start_from(s, k, st);
  need = ch;
  save(now[0].snap);
  static const Klic moves[4] = {KL_UP, KL_DOWN, KL_LEFT, KL_RIGHT};
  for (int t = 0; t < 8000 && !now.empty(); t++) {
    // The ways of this tick, one per cell and path progress, in `pool`.
    std::map<std::tuple<int32_t, int32_t, int>, size_t> next;
    std::vector<Lead> pool;
    pool.reserve(now.size() * 5);
    for (const Lead& lead : now)
      for (int a = 0; a < 5; a++) {
        Keys keys{};
        if (a < 4) keys[moves[a]] = true;
        load(lead.snap);
        headless_keys = keys;
        tick_show();
        Konec end = tick_play();
        bool done = end == DOKONCIL && citac == 0;
        if (!done && (end != HRAJE || smrt == 1 || citac != 0 || cas == 0)) continue;
        steps.push_back({lead.step, keys});
        if (done) return way_of(static_cast<int>(steps.size()) - 1);
        Lead n;
        n.g = lead.g;
        for (int j = lead.g + 1; j < static_cast<int>(path.size()) && j <= lead.g + 8; j++)
          if (path[static_cast<size_t>(j)] == std::make_pair(xp, yp)) n.g = j;
        n.step = static_cast<int>(steps.size()) - 1;
        // No diamond in reach counts as one far off: taking the last one
        // in reach is still worth it.
        n.score = 10L * n.g + 40L * (need - ch) - std::min(distance(), 30);
        auto key = std::make_tuple(xp, yp, n.g);
        auto it = next.find(key);
        if (it != next.end() && pool[it->second].score >= n.score) continue;
        save(n.snap);
        if (it != next.end()) {
          pool[it->second] = std::move(n);
        } else {
          next[key] = pool.size();
          pool.push_back(std::move(n));
        }
      }
    // The best `beam` go on, sorted by index rather than by moving caves.
    std::vector<size_t> order;
    order.reserve(next.size());
    for (const auto& e : next) order.push_back(e.second);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return pool[a].score > pool[b].score; });
    if (order.size() > beam) order.resize(beam);
    now.clear();
    for (size_t i : order) now.push_back(std::move(pool[i]));
    if (std::getenv("WAYFIX_TRACE") && t % 50 == 0 && !now.empty())
      std::fprintf(stderr, "tick %d: %zu leads, best g %d of %zu, score %ld\n", t, now.size(), now[0].g, path.size(),
                   now[0].score);
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  tool_name = "tavrok-wayfix";
  if (argc < 4) tool_fail("usage: tavrok-wayfix WAYS SET K [--states N] [--only LIST | --skip LIST] [--window W] [--out FILE]");
  std::string ways = argv[1];
  const CaveSet* s = find_set(argv[2]);
  if (!s) tool_fail(std::string("unknown cave set '") + argv[2] + "'");
  uint32_t k = static_cast<uint32_t>(std::atoi(argv[3]));
  if (k < 1 || k > s->caves) tool_fail("no cave " + std::string(argv[3]) + " in " + s->name);
  int n = 20, window = 120;
  std::string path = way_path(ways, *s, k, "");
  std::string out = path, only, skip, one, replay, input;
  size_t beam = 300;
  for (int i = 4; i < argc; i += 2) {
    std::string a = argv[i];
    if (i + 1 >= argc) tool_fail(a + " needs a value");
    if (a == "--states") n = std::atoi(argv[i + 1]);
    else if (a == "--only") only = argv[i + 1];
    else if (a == "--skip") skip = argv[i + 1];
    else if (a == "--window") window = std::atoi(argv[i + 1]);
    else if (a == "--search") one = argv[i + 1];
    else if (a == "--beam") beam = static_cast<size_t>(std::atoi(argv[i + 1]));
    else if (a == "--out") out = argv[i + 1];
    else if (a == "--replay") replay = argv[i + 1];
    else if (a == "--input") input = argv[i + 1];
    else tool_fail("unknown argument '" + a + "'");
  }
  if (!replay.empty()) {
    if (input.empty()) tool_fail("--replay needs --input FILE");
    game_ways = ways;
    State st{replay};
    for (const State& c : states_for(*s, k, n))
      if (c.label == replay) st = c;
    if (st.label != "fresh" && st.label != "game" && st.label != "game-bl" && st.ticks == 0 && !st.all255)
      tool_fail("no state '" + replay + "'");
    Way w = read_way(input);
    start_from(*s, k, st);
    Konec end = HRAJE;
    int ticks = 0;
    for (size_t t = 0; t < w.size() && end == HRAJE; t++, ticks++) {
      headless_keys = w[t];
      tick_show();
      end = tick_play();
    }
    headless_keys = {};
    std::string grid;
    for (int y = 0; y < CH; y++) {
      grid += y ? ",\"" : "\"";
      for (int x = 0; x < CW; x++) grid += static_cast<char>('A' + sektor[at(x, y)]);
      grid += '"';
    }
    const char* ended = end == HRAJE ? "null" : end == DOKONCIL && citac == 0 ? "\"completed\"" : "\"died\"";
    std::printf("{\"tick\":%d,\"xp\":%d,\"yp\":%d,\"ch\":%u,\"smrt\":%u,\"end\":%s,\"grid\":[%s]}\n", ticks, xp, yp,
                ch, smrt, ended, grid.c_str());
    return 0;
  }
  Way guide = read_way(path);
  std::vector<State> states;
  for (const State& st : states_for(*s, k, n)) {
    bool in = only.empty() && one.empty();
    if (!one.empty()) in = st.label == one;
    for (const std::string& l : labels(only)) in = in || l == st.label;
    for (const std::string& l : labels(skip)) in = in && l != st.label;
    if (in) states.push_back(st);
  }
  if (states.empty() && one != "game" && one != "game-bl") tool_fail("no state chosen");

  if (!one.empty()) {
    game_ways = ways;
    if (one == "game" || one == "game-bl") states = {State{one}};
    Way w = search(*s, k, states[0], guide, beam);
    if (w.empty()) {
      std::printf("%s cave %u: no way found from state %s\n", s->name, k, states[0].label.c_str());
      return 1;
    }
    write_way(out, w);
    std::printf("%s cave %u: a way of %zu ticks from state %s, written to %s\n", s->name, k, w.size(),
                states[0].label.c_str(), out.c_str());
    return 0;
  }

  // The start of the cave from each state.
  Node root;
  for (const State& st : states) {
    start_from(*s, k, st);
    root.snaps.emplace_back();
    save(root.snaps.back());
    root.snaps.back().done = false;
  }

  std::map<int, Node> layer;  // by guide ticks used: the first node to get there
  layer[0] = root;
  int limit = 4 * static_cast<int>(guide.size()) + 400;
  for (int t = 0; t < limit && !layer.empty(); t++) {
    std::map<int, Node> next;
    int top = layer.rbegin()->first;
    for (auto it = layer.rbegin(); it != layer.rend(); ++it) {
      const Node& node = it->second;
      if (node.g < top - window) break;
      // Follow the guide, pause, or leave a guide tick out.
      for (int a = 0; a < 3; a++) {
        if (a != 1 && node.g >= static_cast<int>(guide.size()) + 1) continue;
        int g = a == 1 ? node.g : node.g + 1;
        if (next.count(g)) continue;
        Keys keys = a == 0 && node.g < static_cast<int>(guide.size()) ? guide[static_cast<size_t>(node.g)] : Keys{};
        if (a == 2 && keys == Keys{} && node.g < static_cast<int>(guide.size()) &&
            guide[static_cast<size_t>(node.g)] == Keys{})
          continue;  // leaving out a pause is the same as following it
        Node child;
        child.g = g;
        bool alive = true, all_done = true;
        for (const Snap& sn : node.snaps) {
          child.snaps.push_back(sn);
          Snap& c = child.snaps.back();
          if (c.done) continue;
          load(sn);
          headless_keys = keys;
          tick_show();
          Konec end = tick_play();
          save(c);
          c.done = end == DOKONCIL && citac == 0;
          if (!c.done && (end != HRAJE || smrt == 1 || citac != 0 || cas == 0)) {
            alive = false;
            break;
          }
          all_done = all_done && c.done;
        }
        if (!alive) continue;
        steps.push_back({node.step, keys});
        child.step = static_cast<int>(steps.size()) - 1;
        if (all_done) {
          Way w = way_of(child.step);
          write_way(out, w);
          std::printf("%s cave %u: a way of %zu ticks holds from %zu states, written to %s\n", s->name, k, w.size(),
                      states.size(), out.c_str());
          return 0;
        }
        next[g] = std::move(child);
      }
    }
    layer = std::move(next);
  }
  std::printf("%s cave %u: no way found from %zu states\n", s->name, k, states.size());
  return 1;
}
