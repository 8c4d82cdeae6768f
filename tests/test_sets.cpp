// The built-in cave sets: their shapes. That every cave can be completed is
// proven by tavrok-proof (ctest proof).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cave/hra.h"
#include "cave/load.h"
#include "cave/sets/sets.h"
#include "cave/view.h"
#include "tests/pic.h"
#include "tools/headless.h"

namespace {

struct Rec {
  const uint8_t* r;
  uint8_t at(int x, int y) const { return r[y * CW + x]; }
  unsigned need() const { return r[1000] + 256u * r[1001]; }
  int sx() const { return r[1002]; }
  int sy() const { return r[1003]; }
  unsigned time() const { return r[1004] + 256u * r[1005]; }
  int count(uint8_t code) const { return static_cast<int>(std::count(r, r + CW * CH, code)); }
};

Rec cave(const CaveSet& s, uint32_t k) { return {s.data + (k - 1) * RECORD}; }

bool bonus(uint32_t k) { return k % 5 == 0; }

TEST(Sets, EveryRecordIsPlayable) {
  for (const char* name : {"tavrok_s1", "tavrokc64_1", "tavrokc64_p", "tavrokc64_b"}) {
    const CaveSet* s = find_set(name);
    ASSERT_NE(s, nullptr) << name;
    EXPECT_EQ(caves_in(s->data), s->caves);
    for (uint32_t k = 1; k <= s->caves; k++) {
      Rec c = cave(*s, k);
      SCOPED_TRACE(std::string(name) + " cave " + std::to_string(k));
      EXPECT_LT(c.sx(), CW);
      EXPECT_LT(c.sy(), CH);
      EXPECT_GT(c.count(E_EXIT), 0);
      for (int i = 0; i < CW * CH; i++) {
        uint8_t v = c.r[i];
        EXPECT_TRUE(v == 0 || v == 1 || v == 10 || v == 11 || (v >= 15 && v <= 19) || v >= 22) << "code " << +v;
      }
    }
  }
  EXPECT_EQ(caves_in(tavrok_s1.data()), 25u);
  EXPECT_EQ(caves_in(tavrokc64_b.data()), 20u);
}

TEST(Sets, ClassicSetUsesTheWholeAreaAndEveryElement) {
  const CaveSet& s = *find_set("tavrok_s1");
  const unsigned times[] = {1, 7, 40, 100, 120, 200, 300, 400, 600, 700, 800, 900, 1000};
  std::vector<int> used(25);
  for (uint32_t k = 1; k <= 25; k++) {
    Rec c = cave(s, k);
    SCOPED_TRACE("cave " + std::to_string(k));
    EXPECT_GE(c.need(), 1u);
    EXPECT_LE(c.need(), 999u);
    EXPECT_NE(std::find(std::begin(times), std::end(times), c.time()), std::end(times)) << c.time();
    for (int i = 0; i < CW * CH; i++) used[c.r[i]]++;
  }
  for (int code : {0, 1, 10, 11, 15, 16, 17, 18, 19, 22, 23, 24}) EXPECT_GT(used[code], 0) << "code " << code;
}

TEST(Sets, FirstC64SetShape) {
  const CaveSet& s = *find_set("tavrokc64_1");
  Rec first = cave(s, 1);
  for (uint32_t k = 1; k <= 20; k++) {
    Rec c = cave(s, k);
    SCOPED_TRACE("cave " + std::to_string(k));
    EXPECT_GE(c.need(), 4u);
    EXPECT_LE(c.need(), 75u);
    EXPECT_GE(c.time(), 18u);
    EXPECT_LE(c.time(), 130u);
    EXPECT_GE(c.sx(), 1);
    EXPECT_LE(c.sx(), 21);
    EXPECT_LE(c.sy(), 18);
    for (int y = 0; y <= 20; y++) {
      EXPECT_EQ(c.at(0, y), E_STEEL);
      EXPECT_EQ(c.at(39, y), E_STEEL);
    }
    for (int x = 0; x < CW; x++) EXPECT_EQ(c.at(x, 20), E_STEEL);
    for (int i = 21 * CW; i < CH * CW; i++) EXPECT_EQ(c.r[i], first.r[i]) << "rows 21..24 are the same everywhere";
  }
  int open = 0;
  for (int i = 21 * CW; i < CH * CW; i++) {
    EXPECT_TRUE(first.r[i] == E_STEEL || first.r[i] == E_EMPTY);
    open += first.r[i] == E_EMPTY;
  }
  EXPECT_GT(open, 0);
  EXPECT_LT(open, 40);
  EXPECT_EQ(cave(s, 5).time(), 40u);
  EXPECT_EQ(cave(s, 10).time(), 60u);
  EXPECT_EQ(cave(s, 15).time(), 60u);
  EXPECT_EQ(cave(s, 20).time(), 18u);
}

// The two later C64 sets: a steel frame, steel or spiders below it, small
// steel-walled bonus caves.
void framed(const char* name, unsigned need_lo, int bottom, int max_sx, int max_sy, uint8_t below,
            int bonus_steel) {
  const CaveSet& s = *find_set(name);
  for (uint32_t k = 1; k <= 20; k++) {
    Rec c = cave(s, k);
    SCOPED_TRACE(std::string(name) + " cave " + std::to_string(k));
    EXPECT_GE(c.need(), need_lo);
    EXPECT_LE(c.need(), 99u);
    EXPECT_EQ(c.time(), 200u);
    EXPECT_GE(c.sx(), 1);
    EXPECT_LE(c.sx(), max_sx);
    EXPECT_GE(c.sy(), 1);
    EXPECT_LE(c.sy(), max_sy);
    for (int x = 0; x < CW; x++) {
      EXPECT_EQ(c.at(x, 0), E_STEEL);
      EXPECT_EQ(c.at(x, bottom), E_STEEL);
    }
    for (int y = 0; y <= bottom; y++) {
      EXPECT_EQ(c.at(0, y), E_STEEL);
      EXPECT_EQ(c.at(39, y), E_STEEL);
    }
    for (int y = 22; y < CH; y++)
      for (int x = 0; x < CW; x++) EXPECT_EQ(c.at(x, y), below);
    if (bonus(k)) {
      EXPECT_EQ(c.count(E_STEEL), bonus_steel);
    }
  }
}

TEST(Sets, ExpertSetShape) { framed("tavrokc64_p", 7, 22, 38, 21, E_STEEL, 820); }

TEST(Sets, ExtremeSetShape) { framed("tavrokc64_b", 1, 21, 36, 20, E_SPIDER, 700); }

}  // namespace
