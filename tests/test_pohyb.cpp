// The cave tick: creatures, the bottom-up scan and the water.
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "cave/rules.h"
#include "tests/pic.h"

namespace {

class Pohyb : public ::testing::Test {
 protected:
  void SetUp() override { fresh(); }
  void ticks(int n) {
    for (int i = 0; i < n; i++) pohyb();
  }
};

// --- creatures -----------------------------------------------------------

TEST_F(Pohyb, UpperCreatureWinsACellTheOtherTakesItsNextTry) {
  put({"#B#",
       "# #",
       "#B ",
       "###"});
  smer[at(1, 0)] = 3;  // first try: down
  smer[at(1, 2)] = 1;  // first try: up, then left, down, right
  pohyb();
  EXPECT_EQ(pic(3, 4), (Pic{"# #",
                            "#B#",
                            "# B",
                            "###"}));
  EXPECT_EQ(smer[at(1, 1)], 2);
  EXPECT_EQ(smer[at(2, 2)], 3);
  EXPECT_EQ(smer[at(1, 0)], 255);
  EXPECT_EQ(smer[at(1, 2)], 255);
}

TEST_F(Pohyb, CreatureBehindAnotherInACorridorTurnsBack) {
  put({"########",
       "#  BD  #",
       "########"});
  smer[at(3, 1)] = 3;
  smer[at(4, 1)] = 3;
  pohyb();
  EXPECT_EQ(pic(8, 3)[1], "# B  D #");
  EXPECT_EQ(smer[at(2, 1)], 1);
  EXPECT_EQ(smer[at(5, 1)], 3);
}

TEST_F(Pohyb, WalledInCreatureStaysThenTriesDownRightUpLeft) {
  put({"###",
       "#B#",
       "###"});
  smer[at(1, 1)] = 0;
  pohyb();
  EXPECT_EQ(S(1, 1), E_SPIDER);
  EXPECT_EQ(smer[at(1, 1)], 255);

  S(1, 0) = E_EMPTY;  // up
  S(0, 1) = E_EMPTY;  // left
  S(2, 1) = E_EMPTY;  // right
  pohyb();
  EXPECT_EQ(S(2, 1), E_SPIDER) << "right comes before up and left";

  put({"# #",
       " D#",
       "###"});
  smer[at(1, 1)] = 255;
  pohyb();
  EXPECT_EQ(S(1, 0), E_DSPIDER) << "up comes before left";
}

TEST_F(Pohyb, FirstCaveCreatureTriesRightFirst) {
  put({"   ",
       " B ",
       "   "}, ' ');
  pohyb();
  EXPECT_EQ(S(2, 1), E_SPIDER);
  EXPECT_EQ(smer[at(2, 1)], 3);
}

TEST_F(Pohyb, CreatureKeepsTheWallOnItsRight) {
  put({"#######",
       "#     #",
       "# ### #",
       "#     #",
       "#######"});
  S(2, 1) = E_SPIDER;
  smer[at(2, 1)] = 3;
  const std::vector<std::pair<int, int>> path = {{3, 1}, {4, 1}, {5, 1}, {5, 2}, {5, 3}, {4, 3},
                                                 {3, 3}, {2, 3}, {1, 3}, {1, 2}, {1, 1}, {2, 1}};
  for (auto [x, y] : path) {
    pohyb();
    ASSERT_EQ(S(x, y), E_SPIDER) << "expected at " << x << "," << y;
  }
  EXPECT_EQ(smer[at(2, 1)], 3);
}

TEST_F(Pohyb, CreaturesNeverEnterThePlayerDirtOrExits) {
  put({"#.#",
       "PBX",
       "###"});
  smer[at(1, 1)] = 0;
  pohyb();
  EXPECT_EQ(S(1, 1), E_SPIDER);
  EXPECT_EQ(smrt, 1) << "the player next to it dies in the scan";
}

// --- falling, rolling, pausing --------------------------------------------

TEST_F(Pohyb, FallingBoulderKillsUnlessInvulnerable) {
  put({"O",
       " ",
       "P"});
  pohyb();
  EXPECT_EQ(pic(1, 3), (Pic{" ", "O", "P"}));
  EXPECT_EQ(smrt, 1);

  fresh();
  tsutr = 1;
  put({"O",
       " ",
       "P"});
  pohyb();
  EXPECT_EQ(smrt, 0);
  std::vector<uint8_t> seen;
  for (int i = 0; i < 4; i++) {
    pohyb();
    seen.push_back(S(0, 1));
  }
  EXPECT_EQ(seen, (std::vector<uint8_t>{20, 10, 20, 10}));
  EXPECT_EQ(smrt, 0);
}

TEST_F(Pohyb, RestingBoulderFollowsThePlayerWhoStepsAway) {
  // Not held at the moment of the step: falls into the cell at once.
  put({"O#",
       "P ",
       "##"});
  xk = 1;
  yk = 0;
  aktual = 6;
  krok();
  pohyb();
  EXPECT_EQ(pic(2, 2), (Pic{" #", "OP"}));

  // Held at that moment: it turns back first and falls a tick later.
  put({"o#",
       "P ",
       "##"});
  krok();
  pohyb();
  EXPECT_EQ(pic(2, 2), (Pic{"O#", " P"}));
  pohyb();
  EXPECT_EQ(pic(2, 2), (Pic{" #", "OP"}));
}

TEST_F(Pohyb, StepDownUnderARestingBoulderKills) {
  put({"O",
       "P",
       " ",
       "#"});
  xk = 0;
  yk = 1;
  aktual = 2;
  krok();
  pohyb();
  EXPECT_EQ(pic(1, 3), (Pic{" ", "O", "P"}));
  EXPECT_EQ(smrt, 1);
}

TEST_F(Pohyb, RollingRightSettlesInTheSameTickRollingLeftOneLater) {
  put({"O ",
       "O ",
       "##"});
  pohyb();
  EXPECT_EQ(pic(2, 3), (Pic{" O", "O ", "##"}));
  pohyb();
  EXPECT_EQ(pic(2, 3), (Pic{"  ", "OO", "##"}));

  put({"  O",
       "  O",
       "###"});
  pohyb();
  EXPECT_EQ(pic(3, 2), (Pic{" o ", "  O"}));
  pohyb();
  EXPECT_EQ(pic(3, 2), (Pic{" O ", "  O"}));
  pohyb();
  EXPECT_EQ(pic(3, 2), (Pic{"   ", " OO"}));
}

TEST_F(Pohyb, RollPrefersRightAndNeedsBothCellsFree) {
  put({"#   #",
       "#   #",
       "## ##"}, '#');
  S(2, 0) = E_DIAMOND;
  S(2, 1) = E_BRICK;
  pohyb();
  EXPECT_EQ(pic(5, 2)[0], "#  *#");

  put({"#   #",
       "# ###"}, '#');
  S(2, 0) = E_BOULDER;
  S(2, 1) = E_BOULDER;
  pohyb();
  EXPECT_EQ(pic(5, 2)[0], "#o  #") << "down-right filled: rolls left";

  // Nothing rolls off steel, dirt, exits, walls that grow or convert, water.
  for (char under : {'S', '.', 'X', 'G', 'C', '~'}) {
    fresh();
    put({"   ", " O ", "   "}, ' ');
    S(1, 2) = code_of(under);
    S(0, 3) = S(1, 3) = S(2, 3) = E_BRICK;
    pohyb();
    EXPECT_EQ(S(1, 1), E_BOULDER) << under;
  }
}

TEST_F(Pohyb, ConverterTurnsAColumnIntoDiamondsOnePerTick) {
  put({"O", "O", "O", "C", " ", " ", " ", " ", "#"});
  pohyb();
  EXPECT_EQ(pic(1, 6), (Pic{" ", "O", "O", "C", "*", " "}));
  pohyb();
  EXPECT_EQ(pic(1, 6), (Pic{" ", " ", "O", "C", "*", "*"}));
  pohyb();
  EXPECT_EQ(pic(1, 8), (Pic{" ", " ", " ", "C", "*", "*", "*", " "}));

  // Coming out of the converter does not kill the player below.
  put({"O", "C", " ", "P"});
  pohyb();
  EXPECT_EQ(pic(1, 4), (Pic{" ", "C", "*", "P"}));
  EXPECT_EQ(smrt, 0);
}

TEST_F(Pohyb, GrowingWallFillsRightAtOnceLeftOneCellATick) {
  put({"G    #",
       "    G#"});
  pohyb();
  EXPECT_EQ(pic(6, 2), (Pic{"GGGGG#", "   GG#"}));
  pohyb();
  EXPECT_EQ(pic(6, 2)[1], "  GGG#");
}

// --- explosions and contacts ---------------------------------------------

TEST_F(Pohyb, FallOntoSpiderExplodesAroundIt) {
  for (char kind : {'B', 'D'}) {
    fresh();
    put({" * ",
         "# #",
         std::string(1, kind) + "  ",
         "###"});
    pohyb();
    const Pic want = kind == 'B' ? Pic{"   ", "111", "111", "111"} : Pic{"   ", "***", "***", "***"};
    EXPECT_EQ(pic(3, 4), want) << kind;
  }
}

TEST_F(Pohyb, SpiderInWaterExplodesStagesAboveAdvanceAtOnce) {
  put({"###",
       "#B#",
       "#~#",
       "###"});
  pohyb();
  // The cell left of the spider was scanned before it exploded.
  EXPECT_EQ(pic(3, 4), (Pic{"222", "122", "111", "###"}));
  pohyb();
  EXPECT_EQ(pic(3, 4), (Pic{"333", "233", "222", "###"}));
  pohyb();
  pohyb();
  EXPECT_EQ(pic(3, 4), (Pic{"   ", "   ", "   ", "###"}));

  put({"###",
       "#D#",
       "#~#",
       "###"});
  pohyb();
  EXPECT_EQ(pic(3, 4), (Pic{"***", "***", "***", "###"}));
}

TEST_F(Pohyb, ExplosionNextToTheRingLeavesTheRing) {
  put({"B~"});
  pohyb();
  EXPECT_EQ(sektor[at(-1, -1)], E_STEEL);
  EXPECT_EQ(sektor[at(0, -1)], E_STEEL);
  EXPECT_EQ(sektor[at(-1, 0)], E_STEEL);
  EXPECT_EQ(S(0, 0), E_EXPL2);
}

TEST_F(Pohyb, SpiderContactIsFourNeighboursOnly) {
  put({"PB"});
  pohyb();
  EXPECT_EQ(smrt, 1);

  fresh();
  put({"P#",
       "#D"});
  pohyb();
  EXPECT_EQ(smrt, 0);

  fresh();
  tpavouk = 1;
  put({"PB"});
  pohyb();
  EXPECT_EQ(smrt, 0);

  // A creature that walks up to the player in this tick already kills.
  fresh();
  put({"P B"});
  smer[at(2, 0)] = 2;  // first try: left
  pohyb();
  EXPECT_EQ(pic(3, 1), Pic{"PB "});
  EXPECT_EQ(smrt, 1);
}

TEST_F(Pohyb, ExplosionOverThePlayerKillsNobody) {
  put({"P##",
       "#B#",
       "#~#",
       "###"});
  pohyb();
  EXPECT_EQ(S(0, 0), E_EXPL2);
  EXPECT_EQ(smrt, 0);
  EXPECT_EQ(xp, 0);
  EXPECT_EQ(yp, 0);
}

TEST_F(Pohyb, ExplosionStagesAdvanceOneStagePerTick) {
  put({"123 "});
  pohyb();
  EXPECT_EQ(pic(4, 1), Pic{"23  "});
}

// --- water -----------------------------------------------------------------

TEST_F(Pohyb, WaterGrowsOnEveryTenthTick) {
  put({"~  "});
  ticks(9);
  EXPECT_EQ(pic(3, 1), Pic{"~  "});
  EXPECT_EQ(tece, 9);
  pohyb();
  EXPECT_EQ(pic(3, 2), (Pic{"~~ ", "###"}));
  EXPECT_EQ(tece, 0);
  ticks(10);
  EXPECT_EQ(pic(3, 1), Pic{"~~~"});
}

TEST_F(Pohyb, TurboWaterGrowsEveryTick) {
  tvodaturbo = 1;
  put({"~   "});
  pohyb();
  EXPECT_EQ(pic(4, 1), Pic{"~~  "});
  EXPECT_EQ(tece, 0);
  pohyb();
  EXPECT_EQ(pic(4, 1), Pic{"~~~ "});
}

TEST_F(Pohyb, WaterFillsEveryFreeNeighbourOfThePickedCellDiamondsToo) {
  tvodaturbo = 1;
  put({"#.#",
       "*~ ",
       "# #"});
  pohyb();
  EXPECT_EQ(pic(3, 3), (Pic{"#~#", "~~~", "#~#"}));
}

TEST_F(Pohyb, WaterDoesNotGrowIntoSolidsOrTheLiving) {
  tvodaturbo = 1;
  put({"#O#",
       "P~1",
       "# #"});
  pohyb();
  EXPECT_EQ(pic(3, 3), (Pic{"#O#", "P~2", "#~#"}));
}

TEST_F(Pohyb, EnclosedWaterTurnsToDiamondsOnAnyTick) {
  put({"#O#",
       "#~~#",
       "####"});
  tece = 3;
  pohyb();
  EXPECT_EQ(pic(4, 2), (Pic{"#O##", "#**#"}));
  EXPECT_EQ(tece, 4);
}

TEST_F(Pohyb, WaterTurnsOnlyWhenNoWaterAnywhereCanGrow) {
  put({"#~#  ",
       "###~ "});
  ticks(3);
  EXPECT_EQ(S(1, 0), E_WATER);
  EXPECT_EQ(S(3, 1), E_WATER);
  // Close the second body too: both turn in the same tick.
  S(4, 0) = S(4, 1) = S(3, 0) = E_BRICK;
  pohyb();
  EXPECT_EQ(S(1, 0), E_DIAMOND);
  EXPECT_EQ(S(3, 1), E_DIAMOND);
}

TEST_F(Pohyb, GrowthPicksTheListEntryByOneRandDraw) {
  // Three growing cells, surveyed top to bottom, left to right.
  put({"~#~#~#",
       " # # #"});
  std::srand(1);
  int pick = std::rand() % 3;
  int after = std::rand();
  std::srand(1);
  ticks(10);
  const Pic options[3] = {
      {"~#~#~#", "~# # #"},
      {"~#~#~#", " #~# #"},
      {"~#~#~#", " # #~#"},
  };
  EXPECT_EQ(pic(6, 2), options[pick]);
  EXPECT_EQ(std::rand(), after) << "the ten ticks drew exactly once";
}

}  // namespace
