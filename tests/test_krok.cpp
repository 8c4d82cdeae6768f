// The player's step: pushing, digging, exits, diamonds, and the chains that
// one call can make.
#include <gtest/gtest.h>

#include "cave/rules.h"
#include "tests/pic.h"
#include "tools/headless.h"

namespace {

class Krok : public ::testing::Test {
 protected:
  void SetUp() override { fresh(); }
  void step(int dx, int dy) {
    xk = dx;
    yk = dy;
    aktual = dx > 0 ? 6 : dx < 0 ? 8 : dy < 0 ? 4 : 2;
    krok();
  }
};

TEST_F(Krok, PushesABoulderSidewaysIntoEmptyOnly) {
  put({"PO  "});
  step(1, 0);
  EXPECT_EQ(pic(4, 1), Pic{" PO "});
  step(1, 0);
  EXPECT_EQ(pic(4, 1), Pic{"  PO"});
  EXPECT_EQ(xp, 2);

  for (const char* behind : {"PO.", "PO#", "POO", "POS", "PO*"}) {
    put({behind});
    step(1, 0);
    EXPECT_EQ(pic(3, 1), Pic{behind}) << behind;
    EXPECT_EQ(xp, 0);
  }
  put({"  OP"});
  step(-1, 0);
  EXPECT_EQ(pic(4, 1), Pic{" OP "});
}

TEST_F(Krok, NeverPushesUpOrDownNorAHeldBoulder) {
  put({"P", "O", " "});
  step(0, 1);
  EXPECT_EQ(pic(1, 3), (Pic{"P", "O", " "}));
  put({" ", "O", "P"});
  step(0, -1);
  EXPECT_EQ(pic(1, 3), (Pic{" ", "O", "P"}));
  put({"Po "});
  step(1, 0);
  EXPECT_EQ(pic(3, 1), Pic{"Po "});
}

TEST_F(Krok, ChainsThroughEmptyExitAndDiamond) {
  ch = 0;
  put({"P X#"});
  step(1, 0);
  EXPECT_EQ(pic(4, 1), Pic{"  P#"});
  EXPECT_EQ(fxit, 1);

  fxit = 0;
  put({"PX*#"});
  step(1, 0);
  EXPECT_EQ(pic(4, 1), Pic{"  P#"});  // the exit is left empty
  EXPECT_EQ(fxit, 1);
  EXPECT_EQ(sc, 1u);

  fxit = 0;
  put({"P.X*#"});
  step(1, 0);
  EXPECT_EQ(xp, 3);
  EXPECT_EQ(pic(5, 1), Pic{"   P#"});
  EXPECT_EQ(fxit, 1);
  EXPECT_EQ(sc, 2u);
}

TEST_F(Krok, ClosedExitHeldDiamondAndSolidsBlock) {
  ch = 1;
  for (const char* ahead : {"PX", "P+", "P#", "PS", "PC", "PG", "P~", "PB", "PD", "P1", "Po"}) {
    put({ahead});
    step(1, 0);
    EXPECT_EQ(pic(2, 1), Pic{ahead}) << ahead;
    EXPECT_EQ(fxit, 0);
    EXPECT_EQ(sc, 0u);
  }
}

TEST_F(Krok, LastNeededDiamondFlashesOnce) {
  ch = 2;
  put({"P***"});
  step(1, 0);
  EXPECT_EQ(ch, 1u);
  EXPECT_TRUE(headless_log.pals.empty());
  step(1, 0);
  EXPECT_EQ(ch, 0u);
  ASSERT_EQ(headless_log.pals.size(), 2u);
  EXPECT_EQ(headless_log.pals[0], (std::array<uint8_t, 4>{0, 63, 63, 63}));
  EXPECT_EQ(headless_log.pals[1], (std::array<uint8_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(headless_log.delay_ticks, 1);
  step(1, 0);
  EXPECT_EQ(ch, 0u);
  EXPECT_EQ(sc, 3u);
  EXPECT_EQ(headless_log.pals.size(), 2u);
}

TEST_F(Krok, EveryHundredthDiamondGivesALife) {
  sc = 98;
  zi = 3;
  put({"P***"});
  step(1, 0);
  EXPECT_EQ(zi, 3u);
  step(1, 0);
  EXPECT_EQ(sc, 100u);
  EXPECT_EQ(zi, 4u);
  step(1, 0);
  EXPECT_EQ(zi, 4u);
}

TEST_F(Krok, StepsOutOfACellAnExplosionOverwrote) {
  put({"P  "});
  S(0, 0) = E_EXPL2;
  step(1, 0);
  EXPECT_EQ(pic(3, 1), Pic{" P "});
  EXPECT_EQ(xp, 1);
}

}  // namespace
