// A running cave tick by tick, and whole games through `hra`: the cave
// start, the countdown, the death sequence, the cheat keys, what each end of
// a cave leads to, the time bonus, game over, the end of the set and ESC
// (that ESC on the title ends the program, the end-to-end run shows).
#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cave/hra.h"
#include "cave/sets/sets.h"
#include "cave/stav.h"
#include "cave/zaznam.h"
#include "tests/files.h"
#include "tests/pic.h"

namespace {

using Feed = std::vector<std::vector<Klic>>;

struct Seen { Konec k; uint32_t cave, sc, zi; int32_t cas; };  // a tick's end, as the game reported it
std::vector<Seen> seen;
size_t limit;    // ticks before the hook stops the game; it then holds ESC for good, which ends a title that follows
Keys after_end;  // held from a cave's end on, when no feed lets keys go

bool record_tick(Konec k) {
  seen.push_back({k, aksektor, sc, zi, cas});
  if (k != HRAJE) headless_keys = after_end;
  if (seen.size() < limit) return true;
  headless_keys[KL_ESC] = true;
  headless_feed = nullptr;
  return false;
}

class Game : public ::testing::Test {
 protected:
  std::vector<uint8_t> set = std::vector<uint8_t>(20 * RECORD);  // 20 caves, every one "PX" at first
  std::vector<Keys> feed;

  void SetUp() override { reset(); }
  void TearDown() override {
    headless_feed = nullptr;
    headless_po_ticku = nullptr;
  }
  void reset() {
    fresh();
    seen.clear();
    limit = 1000;
    after_end = {};
    headless_po_ticku = record_tick;
    nazev = set.data();
    for (uint32_t k = 1; k <= 20; k++) cave(k, {"PX"});
  }
  void cave(uint32_t k, const Pic& p, unsigned time = 100, unsigned need = 0) {
    std::vector<uint8_t> r = record(p, need, time);
    std::copy(r.begin(), r.end(), set.begin() + (k - 1) * RECORD);
  }
  // A new game at cave k, to be played tick by tick.
  void start(uint32_t k) {
    tstart = k;
    new_game();
    cave_start();
  }
  Konec tick(const std::vector<Klic>& keys = {}) {
    headless_keys = keys_of(keys);
    tick_show();
    return tick_play();
  }
  // A whole game from cave k, the keys held one feed entry a tick (none: the
  // keys stay as the test holds them).
  Konec play(uint32_t k, const Feed& keys) {
    feed.clear();
    for (const auto& t : keys) feed.push_back(keys_of(t));
    headless_feed = keys.empty() ? nullptr : &feed;
    headless_fed = 0;
    tstart = k;
    return hra();
  }
};

TEST_F(Game, CaveStartLoadsTheCaveInsideTheRingAndShowsTheStatus) {
  cave(4, {"  *", " PX"}, 120, 7);
  start(4);
  EXPECT_EQ(pic(4, 2), (Pic{"  *#", " PX#"}));
  EXPECT_TRUE(ring_whole());
  EXPECT_EQ(player(), XY(1, 1));
  EXPECT_EQ(aktual, E_PLAYER);
  EXPECT_EQ(headless_log.delay_ticks, 10);
  EXPECT_EQ(text(12, 5), (Pic{"00000 Score ", "00003 Lives ", "00007 Need  ", "00004 Sector", "00120 Time  "}));
  EXPECT_EQ(cell(0, 0)[1], SColor) << "the status line keeps the colours of the cleared screen";
  // Five digits, and the labels written every time.
  sc = 100042;
  Ggotoxy(7, 1);
  pwrite("XXXXX");
  stav();
  EXPECT_EQ(text(12, 1)[0], "00042 Score ");
  // With bonus caves every fifth cave is one.
  for (bl = 0; bl <= 1; bl++)
    for (aksektor = 1; aksektor <= 20; aksektor++) {
      load();
      EXPECT_EQ(el, bl == 1 && aksektor % 5 == 0 ? 1 : 0) << aksektor;
    }
}

TEST_F(Game, CountdownRunsBeforeTheDisplayAndKillsAtZero) {
  cave(1, {"P"}, 120);
  start(1);
  const struct { int t; int32_t cas; const char* shown; } checks[] = {
      {1, 4799, "00119"}, {40, 4760, "00119"}, {41, 4759, "00118"}, {4761, 39, "00000"}, {4800, 0, "00000"}};
  int t = 0;
  for (const auto& c : checks) {
    for (; t < c.t; t++) ASSERT_EQ(tick(), HRAJE) << t;
    EXPECT_EQ(cas, c.cas);
    EXPECT_EQ(text(5, 5)[4], c.shown) << t;
  }
  EXPECT_EQ(XY(citac, xp), XY(10, 255));
  // A cave without time never counts down.
  reset();
  cave(1, {"P"}, 0);
  start(1);
  for (t = 0; t < 100; t++) ASSERT_EQ(tick(), HRAJE);
  EXPECT_EQ(cas, 0);
}

TEST_F(Game, DeathSequenceAndTheDiamondCheat) {
  cave(1, {"PX ", "S.O"});
  start(1);
  tick({KL_F11});  // diamonds around him, but not on steel
  EXPECT_EQ(pic(3, 2), (Pic{"P* ", "S*O"}));
  EXPECT_TRUE(ring_whole());
  tick({KL_KILL});  // the explosion is made in the tick and advanced by its cave tick
  EXPECT_EQ(pic(3, 2), (Pic{"22 ", "S2O"}));
  EXPECT_EQ(player(), XY(255, 255));
  // Neither steps nor diamonds while he is dead.
  for (int t = 3; t <= 10; t++) ASSERT_EQ(tick({KL_F11, KL_RIGHT, KL_DOWN}), HRAJE) << t;
  EXPECT_EQ(pic(3, 2), (Pic{"   ", "S O"}));
  EXPECT_EQ(player(), XY(255, 255));
  EXPECT_EQ(zi, 3u);
  EXPECT_EQ(tick(), ZEMREL);
  EXPECT_EQ(text(5, 2)[1], "00002");
  cave_start();  // lives left: the cave starts again
  EXPECT_EQ(pic(3, 2), (Pic{"PX ", "S.O"}));
  EXPECT_EQ(player(), XY(0, 0));
  EXPECT_EQ(tick(), HRAJE);
}

TEST_F(Game, HeldDirectionsStepUpDownLeftRightInOrderAlternatingTwoFrames) {
  cave(1, {"     ", "     ", "  P  ", "     ", "     "});
  start(1);
  const struct { std::vector<Klic> keys; int x, y, aktual; } steps[] = {
      {{KL_UP, KL_LEFT}, 1, 1, 8}, {{KL_UP, KL_DOWN}, 1, 1, 2}, {{KL_DOWN}, 1, 2, 3},  {{KL_DOWN}, 1, 3, 2},
      {{KL_UP}, 1, 2, 4},          {{KL_UP}, 1, 1, 5},          {{KL_RIGHT}, 2, 1, 6}, {{KL_RIGHT}, 3, 1, 7},
      {{KL_LEFT}, 2, 1, 8},        {{KL_LEFT}, 1, 1, 9}};
  for (const auto& s : steps) {
    tick(s.keys);
    EXPECT_EQ(player(), XY(s.x, s.y));
    EXPECT_EQ(aktual, s.aktual);
  }
  // The mouse steps him when it moves two or more in a tick, not one.
  for (auto [mx, my, x, y] : {std::array{-1, 1, 1, 1}, {1, -1, 1, 1}, {0, 2, 1, 2}, {0, -2, 1, 1}, {2, 0, 2, 1}, {-2, 0, 1, 1}}) {
    headless_mx = mx, headless_my = my;
    tick();
    EXPECT_EQ(player(), XY(x, y)) << mx << "," << my;
  }
}

// Whole games. For every tick that ends a cave, counted from the game's
// start: how, in which cave, then the cave, lives and score at the next tick
// (or when the game is over). Setup: 'b' bonus caves, 'l' the lives cheat,
// 't' the time cheat. A cave of 100 units of time ended in its first or
// second tick leaves 12 steps of 8 points of time bonus.
TEST_F(Game, WhatEachCaveEndLeadsTo) {
  using End = std::tuple<size_t, Konec, uint32_t, uint32_t, uint32_t, uint32_t>;
  Feed late_kill(35), late_exit(38), three_deaths(21);
  late_kill.push_back({KL_KILL});
  late_exit.push_back({KL_RIGHT});
  three_deaths[0] = three_deaths[10] = three_deaths[20] = {KL_KILL};  // the first tick of each try
  const Feed die = {{KL_KILL}}, exit = {{KL_RIGHT}}, f12 = {{KL_F12}};
  const struct {
    const char* what; std::string setup; uint32_t start; Pic p; unsigned time; Feed keys; Konec ret; std::vector<End> ends;
  } games[] = {
      {"exit", "", 1, {"PX"}, 100, exit, HRAJE, {{2, DOKONCIL, 1, 2, 3, 106}}},
      {"death, nine ticks later", "", 1, {"PX"}, 100, die, HRAJE, {{10, ZEMREL, 1, 1, 2, 0}}},
      {"a held kill key postpones it", "", 1, {"PX"}, 100, Feed(5, {KL_KILL}), HRAJE, {{14, ZEMREL, 1, 1, 2, 0}}},
      {"death, lives cheat", "l", 1, {"PX"}, 100, die, HRAJE, {{10, ZEMREL, 1, 1, 3, 0}}},
      {"the time runs out", "", 1, {"PX"}, 1, {}, HRAJE, {{49, ZEMREL, 1, 1, 2, 0}}},
      {"a time-out restarts the sequence", "", 1, {"PX"}, 1, late_kill, HRAJE, {{49, ZEMREL, 1, 1, 2, 0}}},
      {"the level cheat", "", 1, {"P"}, 100, f12, HRAJE, {{1, DOKONCIL, 1, 2, 3, 106}}},
      {"the level cheat in the sequence", "", 1, {"P"}, 100, {{KL_KILL}, {}, {KL_F12}}, HRAJE,
       {{3, DOKONCIL, 1, 2, 3, 106}}},
      {"bonus cave alive", "b", 5, {"PX"}, 100, exit, HRAJE, {{2, DOKONCIL, 5, 6, 4, 106}}},
      {"death in a bonus cave", "b", 15, {"PX"}, 100, die, HRAJE, {{10, DOKONCIL, 15, 16, 3, 10}}},
      {"the exit wins over a death in the same tick", "b", 5, {"PXB"}, 100, exit, HRAJE, {{2, DOKONCIL, 5, 6, 3, 106}}},
      {"and over the time running out in the next", "", 1, {"PX"}, 1, late_exit, HRAJE, {{40, DOKONCIL, 1, 2, 3, 10}}},
      {"time bonus: whole 320-tick steps", "t", 1, {"P"}, 8, f12, HRAJE, {{1, DOKONCIL, 1, 2, 3, 18}}},
      {"time bonus: 319 ticks", "", 1, {"P"}, 8, f12, HRAJE, {{1, DOKONCIL, 1, 2, 3, 10}}},
      {"time bonus: 959 ticks", "", 1, {"P"}, 24, f12, HRAJE, {{1, DOKONCIL, 1, 2, 3, 26}}},
      {"the last life ends the game", "", 1, {"PX"}, 100, three_deaths, PROHRAL,
       {{10, ZEMREL, 1, 1, 2, 0}, {20, ZEMREL, 1, 1, 1, 0}, {30, PROHRAL, 1, 1, 0, 0}}},
      {"the lives cheat keeps them", "l", 1, {"PX"}, 100, three_deaths, HRAJE,
       {{10, ZEMREL, 1, 1, 3, 0}, {20, ZEMREL, 1, 1, 3, 0}, {30, ZEMREL, 1, 1, 3, 0}}},
      {"the last cave ends the set, with no time bonus", "", 19, {"PX"}, 100, {{KL_RIGHT}, {}, {KL_RIGHT}}, PROSEL,
       {{2, DOKONCIL, 19, 20, 3, 106}, {4, PROSEL, 20, 21, 3, 116}}},
      // ESC quits only at the end of a tick that goes on.
      {"ESC in a cave", "", 1, {"PX"}, 100, {{}, {KL_ESC}}, ODESEL, {{2, ODESEL, 1, 1, 3, 0}}},
      {"ESC on a death's last tick", "", 1, {"PX"}, 100, {{KL_KILL}, {}, {}, {}, {}, {}, {}, {}, {}, {KL_ESC}, {KL_ESC}},
       ODESEL, {{10, ZEMREL, 1, 1, 2, 0}, {11, ODESEL, 1, 1, 2, 0}}},
      // The feed lets keys go between caves: the whole time bonus.
      {"ESC on a completion", "", 1, {"PX"}, 100, {{KL_F12, KL_ESC}, {KL_ESC}}, ODESEL,
       {{1, DOKONCIL, 1, 2, 3, 106}, {2, ODESEL, 2, 2, 3, 106}}},
  };
  for (const auto& g : games) {
    SCOPED_TRACE(g.what);
    reset();
    for (char c : g.setup) (c == 'b' ? bl : c == 'l' ? tziv : tcas) = 1;
    cave(g.start, g.p, g.time);
    limit = g.ret == HRAJE ? std::get<0>(g.ends.back()) + 1 : 1000;  // a tick past the last end
    EXPECT_EQ(play(g.start, g.keys), g.ret);
    std::vector<End> ends;
    for (size_t i = 0; i < seen.size(); i++) {
      Seen n = i + 1 < seen.size() ? seen[i + 1] : Seen{HRAJE, aksektor, sc, zi, cas};
      if (seen[i].k != HRAJE) ends.emplace_back(i + 1, seen[i].k, seen[i].cave, n.cave, n.zi, n.sc);
    }
    EXPECT_EQ(ends, g.ends);
    EXPECT_EQ(XY(headless_log.gameovers, headless_log.prosels), XY(g.ret == PROHRAL, g.ret == PROSEL));
  }
  // ESC held through the time bonus cuts it after one step, and the game
  // ends at the end of the next cave's first tick.
  reset();
  headless_keys[KL_F12] = headless_keys[KL_ESC] = after_end[KL_ESC] = true;
  EXPECT_EQ(play(1, {}), ODESEL);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(XY(seen[0].k, seen[1].cave), XY(DOKONCIL, 2));
  EXPECT_EQ(seen[1].sc, 10u + 8);
  EXPECT_EQ(SColor, 15);
}

// Games recorded as they are played, written as text, read back and played
// again: the same ends of caves and result, and the program's own set,
// cheats and carried state put back afterwards. One tick of the second cave
// changed, the playback names that cave. And which games count for the
// tables: no cheat, cave 1, no F11 or F12.
TEST_F(Game, ReplaysPlayBackAsRecordedAndOnlyGamesWithoutHelpCount) {
  Feed ways;  // caves 1 and 2 by their stored ways, then ESC
  for (const char* f : {"01", "02"}) {
    std::istringstream lines(slurp(TAVROK_SOLUTIONS "/tavrokc64_1/" + std::string(f) + ".txt"));
    for (std::string line, w; std::getline(lines, line);) {
      ways.emplace_back();
      for (std::istringstream words(line); words >> w;)
        for (int k = 0; k < KL_COUNT; k++)
          if (w == KLIC_JMENA[k]) ways.back().push_back(static_cast<Klic>(k));
    }
  }
  ways.push_back({KL_ESC});
  Feed deaths(21), f11 = {{KL_F11}, {KL_ESC}};
  deaths[0] = deaths[10] = deaths[20] = {KL_KILL};
  const struct {
    const char* what; const char* set; uint8_t bl, turbo; uint32_t start; int mx; Feed keys; bool f12_esc; bool counts;
  } games[] = {
      {"two caves by their ways, then ESC", "tavrokc64_1", 0, 0, 1, 0, ways, false, true},
      {"deaths to game over, steered by the mouse", "tavrok_s1", 0, 0, 1, 3, deaths, false, true},
      // F12 and ESC held: every cave done at once, its time bonus cut after
      // a step, through the bonus caves to the end of the set.
      {"bonus caves, time bonuses cut, the set completed", "tavrokc64_b", 1, 0, 4, 0, {}, true, false},
      {"F11", "tavrokc64_p", 0, 0, 1, 0, f11, false, false},
      {"a cheat", "tavrokc64_1", 0, 1, 1, 0, deaths, false, false},
      {"not from cave 1", "tavrokc64_1", 0, 0, 2, 0, deaths, false, false},
  };
  const uint8_t* own = find_set("tavrok_s1")->data;
  for (const auto& g : games) {
    SCOPED_TRACE(g.what);
    reset();
    nazev = find_set(g.set)->data;
    bl = g.bl;
    tvodaturbo = g.turbo;
    nahoda_seed(7);  // what earlier games left behind
    smer.fill(255);
    headless_mx = g.mx;
    headless_keys[KL_F12] = headless_keys[KL_ESC] = after_end[KL_F12] = after_end[KL_ESC] = g.f12_esc;
    const Konec k = play(g.start, g.keys);
    const std::vector<Seen> played = seen;
    const Zaznam made = zaznam_hry;
    EXPECT_EQ(bez_pomoci(made), g.counts);
    EXPECT_EQ(made.result.what, k);
    ASSERT_FALSE(made.ends.empty());
    Zaznam read;
    std::string why;
    ASSERT_TRUE(zaznam_cti(zaznam_text(made), read, why)) << why;
    EXPECT_EQ(zaznam_text(read), zaznam_text(made));

    // Played back with nothing held and the program's own setup and state;
    // then with every key of the second cave's first tick turned over.
    Zaznam changed = read;
    if (made.ends.size() > 1) changed.ticks.at(made.ends[0].tick) ^= 0xFF;
    for (const Zaznam* z : {&read, &changed}) {
      if (z == &changed && made.ends.size() == 1) break;
      reset();
      nazev = own;
      tziv = 1;
      zaznam_hry = *z;
      const Konec again = prehraj();
      EXPECT_EQ(XY(nazev == own, smer[at(5, 5)]), XY(true, 0));
      EXPECT_EQ(XY(tziv, tvodaturbo), XY(1, 0)) << "the program's own cheats";
      if (z == &read) {
        EXPECT_EQ(XY(again, rozdil.size()), XY(k, 0)) << rozdil;
        ASSERT_EQ(seen.size(), played.size());
        for (size_t i = 0; i < seen.size(); i++) EXPECT_EQ(XY(seen[i].k, seen[i].sc), XY(played[i].k, played[i].sc));
      } else {
        const uint32_t cave2 = made.ends[0].cave + (made.ends[0].what == DOKONCIL);
        EXPECT_EQ(rozdil.substr(0, rozdil.find(',')), "cave " + std::to_string(cave2)) << rozdil;
      }
    }
  }
  headless_mx = 0;
}

}  // namespace
