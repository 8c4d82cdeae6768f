#include "proof/ways.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "cave/grid.h"
#include "cave/hra.h"
#include "cave/load.h"
#include "cave/nahoda.h"
#include "cave/view.h"
#include "sim/cavefile.h"

Way read_way(const std::string& path) {
  std::ifstream f(path);
  if (!f) tool_fail(path + ": cannot be read");
  Way w;
  int line = 0;
  for (std::string text; std::getline(f, text);) {
    line++;
    Keys k{};
    std::istringstream words(text);
    for (std::string t; words >> t;) {
      if (t == "up") k[KL_UP] = true;
      else if (t == "down") k[KL_DOWN] = true;
      else if (t == "left") k[KL_LEFT] = true;
      else if (t == "right") k[KL_RIGHT] = true;
      else tool_fail(path + ":" + std::to_string(line) + ": '" + t + "' is not a key a way through may use");
    }
    w.push_back(k);
  }
  return w;
}

void write_way(const std::string& path, const Way& way) {
  std::ofstream f(path);
  const char* names[] = {"up", "down", "left", "right"};
  const Klic keys[] = {KL_UP, KL_DOWN, KL_LEFT, KL_RIGHT};
  for (const Keys& k : way) {
    std::string line;
    for (int i = 0; i < 4; i++)
      if (k[keys[i]]) line += (line.empty() ? "" : " ") + std::string(names[i]);
    f << line << '\n';
  }
  if (!f) tool_fail(path + ": cannot be written");
}

std::string way_path(const std::string& ways, const CaveSet& s, uint32_t k, const std::string& state) {
  char name[64];
  std::snprintf(name, sizeof name, "%s/%02u", s.name, k);
  std::string base = ways + "/" + name;
  if (std::ifstream(base + "@" + state + ".txt")) return base + "@" + state + ".txt";
  return base + ".txt";
}

std::vector<State> states_for(const CaveSet& s, uint32_t k, int n) {
  std::vector<State> v = {{"fresh"}, {"255", true}};
  unsigned h = 2166136261u;  // the set's name, hashed
  for (const char* c = s.name; *c; c++) h = (h ^ static_cast<unsigned char>(*c)) * 16777619u;
  std::seed_seq seed{h, k};
  std::mt19937 rng(seed);
  for (int r = 1; r <= n; r++) {
    State st;
    st.label = "r" + std::to_string(r);
    st.other = 1 + rng() % s.caves;
    st.ticks = 1 + static_cast<int>(rng() % 400);
    st.draws = static_cast<int>(rng() % 5001);
    v.push_back(st);
  }
  return v;
}

void program_start() {
  sektor.fill(0);
  smer.fill(0);
  ring();
  tziv = tcas = tsutr = tpavouk = tvodaturbo = 0;
  init_mb800();
  headless_keys = {};
  headless_feed = nullptr;
  headless_po_ticku = nullptr;
  nahoda_seed(1);
}

namespace {

void carry(const CaveSet& s, const State& st) {
  if (st.all255) smer.fill(255);
  if (st.other) {
    nazev = s.data;
    bl = 0;
    aksektor = st.other;
    cave_start();
    for (int t = 0; t < st.ticks; t++) {
      tick_show();
      if (tick_play() != HRAJE) break;
    }
  }
  for (int d = 0; d < st.draws; d++) nahoda();
}

}  // namespace

std::string game_ways;

void start_from(const CaveSet& s, uint32_t k, const State& st) {
  program_start();
  if (st.label == "game" || st.label == "game-bl") {
    // A game from cave 1, each cave before k played by its way for this game.
    nazev = s.data;
    bl = st.label == "game-bl" ? 1 : 0;
    tstart = 1;
    new_game();
    cave_start();
    while (aksektor < k) {
      Way w = read_way(way_path(game_ways, s, aksektor, st.label));
      Konec end = HRAJE;
      for (size_t t = 0; t <= w.size() && end == HRAJE; t++) {
        headless_keys = t < w.size() ? w[t] : Keys{};
        tick_show();
        end = tick_play();
      }
      headless_keys = {};
      if (end != DOKONCIL || citac != 0)
        tool_fail(std::string(s.name) + " cave " + std::to_string(aksektor) + ": its way does not complete it in " +
                  st.label);
      cave_completion();
      cave_start();
    }
    return;
  }
  tstart = k;
  new_game();
  carry(s, st);
  nazev = s.data;
  bl = 0;
  aksektor = k;
  cave_start();
}

Outcome play_from(const CaveSet& s, uint32_t k, const State& st, const Way& way) {
  start_from(s, k, st);
  Konec end = HRAJE;
  Outcome o;
  // The player's step into the exit is acted on in the tick after it.
  for (size_t t = 0; t <= way.size() && end == HRAJE; t++) {
    headless_keys = t < way.size() ? way[t] : Keys{};
    tick_show();
    end = tick_play();
    o.tick++;
  }
  headless_keys = {};
  o.left = ch;
  o.done = end == DOKONCIL && citac == 0;
  o.died = end == ZEMREL || (end == DOKONCIL && citac != 0);
  return o;
}
