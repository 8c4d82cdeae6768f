// The tick of a running cave: the countdown and its display, the death
// sequence, the cheat keys, and deaths and completions meeting in one tick.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "cave/hra.h"
#include "cave/load.h"
#include "screen/text.h"
#include "tests/pic.h"
#include "tools/headless.h"

namespace {

class Tick : public ::testing::Test {
 protected:
  std::vector<uint8_t> set;

  void SetUp() override { fresh(); }

  // Starts a new game on a one-cave set made from a picture; the record is
  // cave `number` of the set.
  void play(const Pic& p, unsigned need, unsigned time, uint32_t number = 1) {
    std::vector<uint8_t> rec = record(p, need, time);
    set.assign(number * RECORD, 0);
    std::copy(rec.begin(), rec.end(), set.end() - RECORD);
    nazev = set.data();
    tstart = number;
    new_game();
    cave_start();
  }

  Konec tick(std::initializer_list<Klic> keys = {}) {
    headless_keys = {};
    for (Klic k : keys) headless_keys[k] = true;
    tick_show();
    return tick_play();
  }

  // Runs ticks until one does not return HRAJE; gives its number.
  int until_end(int limit, std::initializer_list<Klic> keys = {}) {
    for (int t = 1; t <= limit; t++)
      if (tick(keys) != HRAJE) return t;
    return -1;
  }

  static std::string shown(int row) {
    std::string s;
    for (int x = 0; x < 5; x++) s += static_cast<char>(*cell(x, row));
    return s;
  }
};

const Pic walled = {"P"};  // the player alone in brick wall

TEST_F(Tick, CaveStartPlacesThePlayerAndShowsTheStatus) {
  play({"  *", " PX"}, 3, 120);
  EXPECT_EQ(S(1, 1), E_PLAYER);
  EXPECT_EQ(aktual, E_PLAYER);
  EXPECT_EQ(cas, 4800);
  EXPECT_EQ(ch, 3u);
  EXPECT_EQ(shown(0), "00000");
  EXPECT_EQ(shown(1), "00003");
  EXPECT_EQ(shown(2), "00003");
  EXPECT_EQ(shown(4), "00120");
  EXPECT_EQ(sektor[at(-1, 5)], E_STEEL);
  EXPECT_EQ(headless_log.delay_ticks, 10);
}

TEST_F(Tick, CountdownRunsBeforeTheDisplay) {
  play(walled, 0, 120);
  tick();
  EXPECT_EQ(shown(4), "00119");
  for (int t = 2; t <= 40; t++) tick();
  EXPECT_EQ(shown(4), "00119");
  tick();
  EXPECT_EQ(shown(4), "00118");
  for (int t = 42; t <= 4761; t++) tick();
  EXPECT_EQ(cas, 39);
  EXPECT_EQ(shown(4), "00000");
  EXPECT_EQ(citac, 0);
  // The tick that reaches 0 kills at once.
  for (int t = 4762; t <= 4800; t++) tick();
  EXPECT_EQ(cas, 0);
  EXPECT_EQ(citac, 10);
  EXPECT_EQ(xp, 255);
}

TEST_F(Tick, NoCountdownWithTimeZeroOrTheTimeCheat) {
  play(walled, 0, 0);
  EXPECT_EQ(until_end(2000), -1);
  EXPECT_EQ(cas, 0);
  EXPECT_EQ(citac, 0);

  fresh();
  tcas = 1;
  play(walled, 0, 1);
  EXPECT_EQ(until_end(100), -1);
  EXPECT_EQ(cas, 40);
}

TEST_F(Tick, DeathIsSettledNineTicksLater) {
  play({"   ", " P ", "   "}, 0, 100);
  EXPECT_EQ(tick({KL_KILL}), HRAJE);
  EXPECT_EQ(xp, 255);
  EXPECT_EQ(yp, 255);
  // Made in step 5, advanced by the cave tick of the same tick.
  EXPECT_EQ(pic(3, 3), (Pic{"222", "222", "222"}));
  // No steps during the sequence; the explosion goes on.
  for (int t = 2; t <= 9; t++) {
    ASSERT_EQ(tick({KL_RIGHT, KL_DOWN}), HRAJE) << t;
    EXPECT_EQ(zi, 3u);
  }
  EXPECT_EQ(pic(3, 3), (Pic{"   ", "   ", "   "}));
  EXPECT_EQ(tick(), ZEMREL);
  EXPECT_EQ(zi, 2u);
  EXPECT_EQ(shown(1), "00002");

  // Lives left: the cave starts again and shows the new count.
  cave_start();
  EXPECT_EQ(S(1, 1), E_PLAYER);
  EXPECT_EQ(xp, 1);
  EXPECT_EQ(shown(1), "00002");
  EXPECT_EQ(tick(), HRAJE);
}

TEST_F(Tick, HeldKillKeyPostponesTheEnd) {
  play(walled, 0, 100);
  for (int t = 1; t <= 5; t++) ASSERT_EQ(tick({KL_KILL}), HRAJE);
  EXPECT_EQ(until_end(20), 9);
}

TEST_F(Tick, TimeOutDuringTheSequenceRestartsIt) {
  play(walled, 0, 1);  // 40 ticks
  for (int t = 1; t <= 35; t++) tick();
  tick({KL_KILL});  // tick 36
  EXPECT_EQ(until_end(20), 13) << "the time-out in tick 40 restarts the countdown at 10";
}

TEST_F(Tick, LevelCheatCompletesEvenDuringTheSequence) {
  play(walled, 5, 100);
  EXPECT_EQ(tick({KL_F12}), DOKONCIL);

  fresh();
  play(walled, 5, 100);
  tick({KL_KILL});
  tick();
  EXPECT_EQ(tick({KL_F12}), DOKONCIL);
  EXPECT_EQ(citac, 8);
}

TEST_F(Tick, DiamondCheatSparesSteelAndThePlayer) {
  play({"PX ", "S.O"}, 0, 100);
  tick({KL_F11});
  EXPECT_EQ(pic(3, 2), (Pic{"P* ", "S*O"}));
  EXPECT_EQ(sektor[at(-1, -1)], E_STEEL);
  EXPECT_EQ(sektor[at(-1, 0)], E_STEEL);
  EXPECT_EQ(sektor[at(0, -1)], E_STEEL);

  // The death explosion takes both diamonds; the cheat makes no new ones
  // while the player is off the grid.
  tick({KL_KILL});
  tick({KL_F11});
  int diamonds = 0;
  for (int y = 0; y < CH; y++)
    for (int x = 0; x < CW; x++) diamonds += S(x, y) == E_DIAMOND;
  EXPECT_EQ(diamonds, 0);
}

TEST_F(Tick, HeldDirectionsStepInOrderUpDownLeftRight) {
  play({"   ", "   ", "  P"}, 0, 100);
  tick({KL_UP, KL_LEFT});
  EXPECT_EQ(xp, 1);
  EXPECT_EQ(yp, 1);
  EXPECT_EQ(aktual, 8);
  // Up then down in one tick returns to the same cell.
  tick({KL_UP, KL_DOWN});
  EXPECT_EQ(xp, 1);
  EXPECT_EQ(yp, 1);
  EXPECT_EQ(aktual, 2);
  // A held direction alternates the two frames of its player code; the cave
  // starts with the first frame of down.
  const struct {
    Klic k;
    uint8_t frame1, frame2;
  } frames[] = {{KL_DOWN, 3, 2}, {KL_UP, 4, 5}, {KL_RIGHT, 6, 7}, {KL_LEFT, 8, 9}};
  for (const auto& f : frames) {
    fresh();
    play({"     ", "     ", "  P  ", "     ", "     "}, 0, 100);
    tick({f.k});
    EXPECT_EQ(aktual, f.frame1) << "key " << f.k;
    tick({f.k});
    EXPECT_EQ(aktual, f.frame2) << "key " << f.k;
  }
}

TEST_F(Tick, EnteringTheExitWinsOverADeathInTheSameTick) {
  play({"PXB"}, 0, 100);
  EXPECT_EQ(tick({KL_RIGHT}), HRAJE);
  EXPECT_EQ(fxit, 1);
  EXPECT_EQ(smrt, 1);
  EXPECT_EQ(tick(), DOKONCIL);
  EXPECT_EQ(citac, 10);
  EXPECT_EQ(S(1, 0), E_EXPL1);

  // The time runs out in the tick after he entered the exit.
  fresh();
  play({"PX"}, 0, 1);
  for (int t = 1; t <= 38; t++) tick();
  EXPECT_EQ(tick({KL_RIGHT}), HRAJE);
  EXPECT_EQ(tick(), DOKONCIL);
  EXPECT_EQ(cas, 0);
}

}  // namespace
