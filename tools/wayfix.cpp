// tavrok-wayfix: makes a cave's way through hold from every state the proof
// plays it from, for cave designers.
//
//   tavrok-wayfix WAYS SET K [--states N] [--out FILE]
//
// Reads WAYS/SET/KK.txt and plays it from the states of tavrok-proof. While
// some state fails, it takes the state that fails earliest and tries pauses
// of 1 to 16 ticks inserted before the failure, or pauses of the way taken
// out (a spider's round, a boulder's fall and the water's growth all come
// out differently when the player is early or late), and keeps the change
// that carries that state furthest without losing a state that held. Writes
// the way (to --out, default the way's own file) when every state holds;
// exit status 1 when it finds no change that helps.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/cavefile.h"
#include "tools/ways.h"

namespace {

struct Change {
  int at = 0, len = 0;
  bool insert = true;
};

Way apply(const Way& w, const Change& c) {
  Way v = w;
  if (c.insert) v.insert(v.begin() + c.at, static_cast<size_t>(c.len), Keys{});
  else v.erase(v.begin() + c.at, v.begin() + c.at + c.len);
  return v;
}

bool idle_run(const Way& w, int at, int len) {
  if (at + len > static_cast<int>(w.size())) return false;
  for (int i = at; i < at + len; i++)
    if (w[static_cast<size_t>(i)] != Keys{}) return false;
  return true;
}

// How far along the way a state got: the way's own ticks played before it
// failed (pauses inserted before the failure not counted), with the diamonds
// still needed weighing in when the way ran out.
long reach(const Outcome& o, const Change* c, size_t len) {
  if (o.done) return 1L << 40;
  long t = o.tick;
  if (c && t > c->at) t += c->insert ? -c->len : c->len;
  if (!o.died) t = static_cast<long>(len) + 1 - 50L * o.left;
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  tool_name = "tavrok-wayfix";
  if (argc < 4) tool_fail("usage: tavrok-wayfix WAYS SET K [--states N] [--out FILE]");
  std::string ways = argv[1];
  const CaveSet* s = find_set(argv[2]);
  if (!s) tool_fail(std::string("unknown cave set '") + argv[2] + "'");
  uint32_t k = static_cast<uint32_t>(std::atoi(argv[3]));
  if (k < 1 || k > s->caves) tool_fail("no cave " + std::string(argv[3]) + " in " + s->name);
  int n = 20;
  std::string path = way_path(ways, *s, k, "");
  std::string out = path;
  for (int i = 4; i + 1 < argc; i += 2) {
    std::string a = argv[i];
    if (a == "--states") n = std::atoi(argv[i + 1]);
    else if (a == "--out") out = argv[i + 1];
    else tool_fail("unknown argument '" + a + "'");
  }
  Way way = read_way(path);
  auto states = states_for(*s, k, n);

  auto all = [&](const Way& w, std::vector<Outcome>& res) {
    int ok = 0;
    res.clear();
    for (const State& st : states) {
      res.push_back(play_from(*s, k, st, w));
      ok += res.back().done;
    }
    return ok;
  };

  std::vector<Outcome> res;
  int ok = all(way, res);
  for (int step = 0; step < 80 && ok < static_cast<int>(states.size()); step++) {
    // The state that fails earliest.
    size_t f = 0;
    for (size_t i = 0; i < states.size(); i++)
      if (!res[i].done && (res[f].done || res[i].tick < res[f].tick)) f = i;
    long now = reach(res[f], nullptr, way.size());
    int tf = std::min(res[f].tick, static_cast<int>(way.size()));
    std::vector<std::pair<long, Change>> tried;
    for (int at = std::max(0, tf - 200); at <= tf; at += at < tf - 60 ? 4 : 1)
      for (int len : {1, 2, 4, 8, 16})
        for (bool insert : {true, false}) {
          if (!insert && !idle_run(way, at, len)) continue;
          Change c{at, len, insert};
          Way w = apply(way, c);
          long r = reach(play_from(*s, k, states[f], w), &c, w.size());
          if (r > now) tried.push_back({r - (insert ? len : 0), c});
        }
    std::stable_sort(tried.begin(), tried.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    bool moved = false;
    for (size_t i = 0; i < tried.size() && i < 12 && !moved; i++) {
      Way w = apply(way, tried[i].second);
      std::vector<Outcome> r2;
      int ok2 = all(w, r2);
      if (ok2 >= ok) {
        way = w;
        res = r2;
        ok = ok2;
        moved = true;
        std::printf("%s cave %u: %s %d at %d: %d of %zu states hold\n", s->name, k,
                    tried[i].second.insert ? "pause" : "take out", tried[i].second.len, tried[i].second.at, ok,
                    states.size());
      }
    }
    if (!moved) break;
  }
  if (ok < static_cast<int>(states.size())) {
    std::printf("%s cave %u: only %d of %zu states hold; state %s still fails\n", s->name, k, ok, states.size(),
                [&] {
                  for (size_t i = 0; i < states.size(); i++)
                    if (!res[i].done) return states[i].label;
                  return std::string();
                }()
                    .c_str());
    return 1;
  }
  write_way(out, way);
  std::printf("%s cave %u: every state holds, way of %zu ticks written to %s\n", s->name, k, way.size(), out.c_str());
  return 0;
}
