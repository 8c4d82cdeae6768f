// A whole game through `hra`: what each end of a cave leads to, the time
// bonus, game over, the end of the set and ESC.
#include <gtest/gtest.h>

#include <vector>

#include "cave/hra.h"
#include "cave/load.h"
#include "tests/pic.h"
#include "tools/headless.h"

namespace {

// What the game reported at the end of a tick.
struct Seen {
  Konec k;
  uint32_t cave, sc, zi;
  int32_t cas;
};
std::vector<Seen> seen;
size_t limit;    // ticks before the hook stops the game
Keys after_end;  // held from a cave's end on, when no feed lets keys go

bool record_tick(Konec k) {
  seen.push_back({k, aksektor, sc, zi, cas});
  if (k != HRAJE) headless_keys = after_end;
  return seen.size() < limit;
}

using Feed = std::vector<std::vector<Klic>>;

class Game : public ::testing::Test {
 protected:
  std::vector<uint8_t> set = std::vector<uint8_t>(20 * RECORD);  // 20 caves: a C64-sized set
  std::vector<Keys> feed;

  void SetUp() override {
    fresh();
    limit = 1000;
    after_end = {};
    headless_po_ticku = record_tick;
    for (uint32_t k = 1; k <= 20; k++) cave(k, {"PX"}, 100);
  }
  void TearDown() override {
    headless_feed = nullptr;
    headless_po_ticku = nullptr;
  }

  void cave(uint32_t k, const Pic& p, unsigned time) {
    std::vector<uint8_t> r = record(p, 0, time);
    std::copy(r.begin(), r.end(), set.begin() + (k - 1) * RECORD);
  }

  // Plays a game from cave `start`, one feed entry a tick (none: the keys stay
  // as the test holds them).
  Konec play(uint32_t start, const Feed& keys) {
    feed.clear();
    for (const auto& tick : keys) {
      Keys h{};
      for (Klic k : tick) h[k] = true;
      feed.push_back(h);
    }
    headless_feed = keys.empty() ? nullptr : &feed;
    headless_fed = 0;
    seen.clear();
    nazev = set.data();
    tstart = start;
    return hra();
  }

  // Index of the first tick that ended a cave.
  static size_t first_end() {
    for (size_t i = 0; i < seen.size(); i++)
      if (seen[i].k != HRAJE) return i;
    return seen.size();
  }
};

const Feed die = {{KL_KILL}};

TEST_F(Game, WhatEachCaveEndLeadsTo) {
  struct Row {
    const char* what;
    uint8_t bl, lives_cheat;
    uint32_t start;
    Pic p;
    Feed keys;
    Konec end;
    size_t tick;  // of the cave
    uint32_t next, zi, sc;  // at the next cave's first tick
  } rows[] = {
      // 100 time units: 3998 ticks left after two give 12 steps of time bonus.
      {"exit", 0, 0, 1, {"PX"}, {{KL_RIGHT}}, DOKONCIL, 2, 2, 3, 10 + 96},
      {"death", 0, 0, 1, {"PX"}, die, ZEMREL, 10, 1, 2, 0},
      {"death, lives cheat", 0, 1, 1, {"PX"}, die, ZEMREL, 10, 1, 3, 0},
      {"cave 5 without bonus caves", 0, 0, 5, {"PX"}, die, ZEMREL, 10, 5, 2, 0},
      {"bonus cave alive", 1, 0, 5, {"PX"}, {{KL_RIGHT}}, DOKONCIL, 2, 6, 4, 10 + 96},
      {"bonus cave 10 alive", 1, 0, 10, {"PX"}, {{KL_RIGHT}}, DOKONCIL, 2, 11, 4, 10 + 96},
      {"ordinary cave among bonus caves", 1, 0, 4, {"PX"}, die, ZEMREL, 10, 4, 2, 0},
      {"death in a bonus cave", 1, 0, 15, {"PX"}, die, DOKONCIL, 10, 16, 3, 10},
      // He enters the exit and the spider kills him in the same tick.
      {"exit and death in one tick", 1, 0, 5, {"PXB"}, {{KL_RIGHT}}, DOKONCIL, 2, 6, 3, 10 + 96},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    fresh();
    bl = r.bl;
    tziv = r.lives_cheat;
    cave(r.start, r.p, 100);
    limit = 12;
    EXPECT_EQ(play(r.start, r.keys), HRAJE) << "the hook stopped it";
    size_t e = first_end();
    ASSERT_LT(e + 1, seen.size());
    EXPECT_EQ(seen[e].k, r.end);
    EXPECT_EQ(seen[e].cave, r.start);
    EXPECT_EQ(e + 1, r.tick);
    EXPECT_EQ(seen[e + 1].cave, r.next);
    EXPECT_EQ(seen[e + 1].zi, r.zi);
    EXPECT_EQ(seen[e + 1].sc, r.sc);
  }
}

TEST_F(Game, TimeBonusIsWhole320TickStepsOf8Points) {
  struct Row {
    uint8_t time_cheat;
    unsigned units;
    int32_t left;  // when the cave ends
    uint32_t sc;   // at the next cave: 10 for the cave, 8 a step
  } rows[] = {{1, 8, 320, 18}, {0, 8, 319, 10}, {0, 24, 959, 26}, {1, 25, 1000, 34}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.left);
    fresh();
    tcas = r.time_cheat;
    cave(1, {"P"}, r.units);
    limit = 2;
    play(1, {{KL_F12}});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].k, DOKONCIL);
    EXPECT_EQ(seen[0].cas, r.left);
    EXPECT_EQ(seen[1].sc, r.sc);
  }
}

TEST_F(Game, LastLifeEndsTheGame) {
  Feed keys(21);
  keys[0] = keys[10] = keys[20] = {KL_KILL};  // the first tick of each try
  EXPECT_EQ(play(1, keys), PROHRAL);
  ASSERT_EQ(seen.size(), 30u);
  const size_t ends[] = {9, 19, 29};
  for (size_t i = 0; i < 3; i++) {
    EXPECT_EQ(seen[ends[i]].k, i < 2 ? ZEMREL : PROHRAL);
    EXPECT_EQ(seen[ends[i]].zi, 2 - i);
    EXPECT_EQ(seen[ends[i]].cave, 1u);
  }
  EXPECT_EQ(headless_log.gameovers, 1);
  EXPECT_EQ(headless_log.prosels, 0);

  // With the lives cheat the same deaths cost nothing.
  fresh();
  tziv = 1;
  limit = 40;
  EXPECT_EQ(play(1, keys), HRAJE);
  for (const Seen& s : seen) {
    EXPECT_NE(s.k, PROHRAL);
    EXPECT_EQ(s.zi, 3u);
  }
  EXPECT_EQ(headless_log.gameovers, 0);
}

TEST_F(Game, LastCaveEndsTheSetWithoutTimeBonus) {
  EXPECT_EQ(play(19, {{KL_RIGHT}, {}, {KL_RIGHT}}), PROSEL);
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[1].k, DOKONCIL);
  EXPECT_EQ(seen[3].k, PROSEL);
  EXPECT_EQ(seen[3].cave, 20u);
  EXPECT_GT(seen[3].cas, 320);
  EXPECT_EQ(sc, seen[3].sc + 10);
  EXPECT_EQ(headless_log.prosels, 1);
  EXPECT_EQ(headless_log.gameovers, 0);
}

TEST_F(Game, EscQuitsOnlyAtTheEndOfATickThatGoesOn) {
  struct Row {
    const char* what;
    Feed keys;
    std::vector<size_t> ends;  // ticks that end a cave; the last one quits
    uint32_t cave;             // where it quits
  } rows[] = {
      {"in a cave", {{}, {KL_ESC}}, {2}, 1},
      {"on a death's last tick", {{KL_KILL}, {}, {}, {}, {}, {}, {}, {}, {}, {KL_ESC}, {KL_ESC}}, {10, 11}, 1},
      {"on a completion", {{KL_F12, KL_ESC}, {KL_ESC}}, {1, 2}, 2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    fresh();
    EXPECT_EQ(play(1, r.keys), ODESEL);
    std::vector<size_t> ends;
    for (size_t i = 0; i < seen.size(); i++)
      if (seen[i].k != HRAJE) ends.push_back(i + 1);
    EXPECT_EQ(ends, r.ends);
    EXPECT_EQ(seen.back().k, ODESEL);
    EXPECT_EQ(seen.back().cave, r.cave);
  }
  // The feed lets keys go between caves, so that completion got its whole
  // time bonus (3999 ticks left: 12 steps).
  EXPECT_EQ(seen.back().sc, 10u + 96);

  // ESC held through the time bonus cuts it after one step, and the game
  // ends at the end of the next cave's first tick.
  fresh();
  headless_keys[KL_F12] = headless_keys[KL_ESC] = true;
  after_end[KL_ESC] = true;
  EXPECT_EQ(play(1, {}), ODESEL);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].k, DOKONCIL);
  EXPECT_EQ(seen[1].cave, 2u);
  EXPECT_EQ(seen[1].sc, 10u + 8);
}

}  // namespace
