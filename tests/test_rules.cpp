// The cave core: the player's step, the cave tick and the view (blocks,
// random diamond colours, the scrolling window).
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "cave/rules.h"
#include "tests/pic.h"

namespace {

class Rules : public ::testing::Test {
 protected:
  void SetUp() override { fresh(); }
};

void step(int dx, int dy) {
  xk = dx, yk = dy;
  aktual = dx > 0 ? 6 : dx < 0 ? 8 : dy < 0 ? 4 : 2;
  krok();
}

// One step on each picture: the picture after it (none: unchanged), where
// the player then stands, completion and the score.
TEST_F(Rules, OneStep) {
  struct Row { Pic before; int dx, dy; unsigned need; Pic after; int fxit = 0; unsigned sc = 0; };
  std::vector<Row> rows = {
      {{"PO  "}, 1, 0, 0, {" PO "}}, {{"  OP"}, -1, 0, 0, {" OP "}}, {{"PO."}, 1, 0, 0, {}}, {{"PO#"}, 1, 0, 0, {}},
      {{"POO"}, 1, 0, 0, {}},        {{"POS"}, 1, 0, 0, {}},         {{"PO*"}, 1, 0, 0, {}}, {{"Po "}, 1, 0, 0, {}},
      {{"P", "O", " "}, 0, 1, 0, {}}, {{" ", "O", "P"}, 0, -1, 0, {}},
      // One call walks or digs, enters an open exit, then takes a diamond.
      {{"P X#"}, 1, 0, 0, {"  P#"}, 1}, {{"PX*#"}, 1, 0, 0, {"  P#"}, 1, 1}, {{"P.X*#"}, 1, 0, 0, {"   P#"}, 1, 1}};
  for (char c : std::string("X+#SCG~BD1o")) rows.push_back({{std::string("P") + c}, 1, 0, 1, {}});
  for (const Row& r : rows) {
    const Pic& want = r.after.empty() ? r.before : r.after;
    SCOPED_TRACE(want[0]);
    fresh();
    ch = r.need;
    put(r.before);
    step(r.dx, r.dy);
    EXPECT_EQ(pic(want), want);
    XY where;
    for (int y = 0; y < static_cast<int>(want.size()); y++)
      if (size_t x = want[y].find('P'); x != std::string::npos) where = {static_cast<int>(x), y};
    EXPECT_EQ(player(), where);
    EXPECT_EQ(fxit, r.fxit);
    EXPECT_EQ(sc, r.sc);
  }
  // The cell he leaves is emptied whatever it holds by then.
  put({"P  "});
  S(0, 0) = E_EXPL2;
  step(1, 0);
  EXPECT_EQ(pic(3, 1), Pic{" P "});
}

TEST_F(Rules, DiamondsCountDownFlashAtTheLastAndGiveALifeEveryHundred) {
  ch = 2, sc = 98;
  put({"P***"});
  const struct { Pic after; unsigned ch, sc, zi; size_t pals; } steps[] = {
      {{" P**"}, 1, 99, 3, 0}, {{"  P*"}, 0, 100, 4, 2}, {{"   P"}, 0, 101, 4, 2}};
  for (const auto& s : steps) {
    step(1, 0);
    EXPECT_EQ(pic(4, 1), s.after);
    EXPECT_EQ(std::vector<unsigned>({ch, sc, zi}), std::vector<unsigned>({s.ch, s.sc, s.zi}));
    EXPECT_EQ(headless_log.pals.size(), s.pals);
  }
  EXPECT_EQ(headless_log.pals, (std::vector<std::array<uint8_t, 4>>{{0, 63, 63, 63}, {0, 0, 0, 0}}));
  EXPECT_EQ(headless_log.delay_ticks, 1);
}

// Cave ticks on each picture: the picture after every tick, whether the
// player dies, the cheats ('b' boulders, 's' spiders, 't' turbo water), a
// step before the first tick, and the creatures' directions {x, y, d}
// before and after.
TEST_F(Rules, CaveTicks) {
  using Dirs = std::vector<std::array<int, 3>>;
  const struct {
    const char* what; Pic before; std::vector<Pic> after; int smrt = 0; std::string cheats = ""; int dx = 0, dy = 0;
    Dirs dirs = {}, dirs_after = {};
  } scenes[] = {
      {"the upper creature wins a cell, the other takes its next try", {"#B#", "# #", "#B ", "###"},
       {{"# #", "#B#", "# B", "###"}}, 0, "", 0, 0, {{1, 0, 3}, {1, 2, 1}}, {{1, 1, 2}, {2, 2, 3}, {1, 0, 255}, {1, 2, 255}}},
      {"a creature behind another in a corridor turns back", {"########", "#  BD  #", "########"},
       {{"########", "# B  D #", "########"}}, 0, "", 0, 0, {{3, 1, 3}, {4, 1, 3}}, {{2, 1, 1}, {5, 1, 3}}},
      {"walled in, it stays", {"###", "#B#", "###"}, {{"###", "#B#", "###"}}, 0, "", 0, 0, {{1, 1, 0}}, {{1, 1, 255}}},
      {"right comes before up and left", {"# #", " B ", "###"}, {{"# #", "  B", "###"}}, 0, "", 0, 0, {{1, 1, 255}}, {{2, 1, 3}}},
      {"up comes before left", {"# #", " D#", "###"}, {{"#D#", "  #", "###"}}, 0, "", 0, 0, {{1, 1, 255}}, {{1, 0, 0}}},
      {"a fresh cave's creature tries right first", {"   ", " B ", "   "}, {{"   ", "  B", "   "}}, 0, "", 0, 0, {}, {{2, 1, 3}}},
      {"creatures never enter the player, dirt or exits; he dies beside one", {"#.#", "PBX", "###"},
       {{"#.#", "PBX", "###"}}, 1, "", 0, 0, {{1, 1, 0}}},
      {"a creature that walks up to him kills at once", {"P B"}, {{"PB "}}, 1, "", 0, 0, {{2, 0, 2}}},
      {"diagonal creatures are harmless", {"P#", "#D"}, {{"P#", "#D"}}},
      {"the spider cheat", {"PB"}, {{"PB"}}, 0, "s"},
      {"a falling boulder kills", {"O", " ", "P"}, {{" ", "O", "P"}}, 1},
      {"a harmless boulder rests on him, held and let go in turn", {"O", " ", "P"},
       {{" ", "O", "P"}, {" ", "o", "P"}, {" ", "O", "P"}, {" ", "o", "P"}, {" ", "O", "P"}}, 0, "b"},
      {"a resting boulder falls where he stepped away", {"O#", "P ", "##"}, {{" #", "OP", "##"}}, 0, "", 1},
      {"a held one turns back first", {"o#", "P ", "##"}, {{"O#", " P", "##"}, {" #", "OP", "##"}}, 0, "", 1},
      {"a step down under a resting boulder kills", {"O", "P", " ", "#"}, {{" ", "O", "P", "#"}}, 1, "", 0, 1},
      {"rolling right settles in the same tick", {"O ", "O ", "##"}, {{" O", "O ", "##"}, {"  ", "OO", "##"}}},
      {"rolling left a tick later", {"  O", "  O", "###"}, {{" o ", "  O", "###"}, {" O ", "  O", "###"}, {"   ", " OO", "###"}}},
      {"rolling prefers right", {"# * #", "# # #", "## ##"}, {{"#  *#", "# # #", "## ##"}}},
      {"rolling needs both cells free", {"# O #", "# O##"}, {{"#o  #", "# O##"}}},
      {"nothing rolls off steel, dirt, exits, converters or water", {" O  O  O  O  O ", " S  .  X  C  ~ "},
       {{" O  O  O  O  O ", " S  .  X  C  ~ "}}},
      {"the converter turns a column, one a tick", {"O", "O", "O", "C", " ", " ", " ", " "},
       {{" ", "O", "O", "C", "*", " ", " ", " "}, {" ", " ", "O", "C", "*", "*", " ", " "},
        {" ", " ", " ", "C", "*", "*", "*", " "}}},
      {"what comes out of the converter kills nobody", {"O", "C", " ", "P"}, {{" ", "C", "*", "P"}}},
      {"the growing wall fills right at once, left a cell a tick", {"G    #", "    G#"}, {{"GGGGG#", "   GG#"}, {"GGGGG#", "  GGG#"}}},
      {"a boulder falls onto a spider", {" * ", "# #", "B  ", "###"}, {{"   ", "111", "111", "111"}}},
      {"a diamond falls onto a diamond spider", {" O ", "# #", "D  ", "###"}, {{"   ", "***", "***", "***"}}},
      {"a spider in water explodes over the player, the stages advance", {"P##", "#B#", "#~#", "###"},
       {{"222", "122", "111", "###"}, {"333", "233", "222", "###"}, {"   ", "3  ", "333", "###"}, {"   ", "   ", "   ", "###"}}},
      {"a diamond spider in water", {"###", "#D#", "#~#", "###"}, {{"***", "***", "***", "###"}}},
      {"explosions spare the ring", {"B~"}, {{"22", "11"}}},
      {"turbo water grows every tick", {"~   "}, {{"~~  "}, {"~~~ "}}, 0, "t"},
      {"into every free neighbour of the picked cell, diamonds too", {"#.#", "*~ ", "# #"}, {{"#~#", "~~~", "#~#"}}, 0, "t"},
      {"not into solids or the living", {"#O#", "P~1", "# #"}, {{"#O#", "P~2", "#~#"}}, 0, "t"},
      {"enclosed water turns to diamonds at once", {"#O#", "#~~#", "####"}, {{"#O##", "#**#", "####"}}},
      {"but not while water anywhere can grow", {"#~# ", "###~"}, {{"#~# ", "###~"}}},
  };
  for (const auto& s : scenes) {
    SCOPED_TRACE(s.what);
    fresh();
    for (char c : s.cheats) (c == 'b' ? tsutr : c == 's' ? tpavouk : tvodaturbo) = 1;
    put(s.before);
    for (auto [x, y, d] : s.dirs) smer[at(x, y)] = static_cast<uint8_t>(d);
    if (s.dx || s.dy) step(s.dx, s.dy);
    for (const Pic& want : s.after) {
      pohyb();
      EXPECT_EQ(pic(want), want);
    }
    EXPECT_EQ(smrt, s.smrt);
    for (auto [x, y, d] : s.dirs_after) EXPECT_EQ(smer[at(x, y)], d) << x << "," << y;
    EXPECT_TRUE(ring_whole());
  }
}

// The game's own generator: the sequence of Debian's C library rand from
// program start and from any seed (compared with it where the tests run on
// that library), which begins 1804289383, 846930886, 1681692777.
const Nahoda at_start = nahoda_stav;

TEST(Nahoda, IsTheSequenceOfDebiansRand) {
#ifdef __GLIBC__
  for (uint32_t seed : {1u, 0u, 12345u, 3000000000u}) {
    std::srand(seed), nahoda_seed(seed);
    for (int i = 0; i < 10000; i++) ASSERT_EQ(nahoda(), std::rand()) << "seed " << seed << ", draw " << i;
  }
#endif
  nahoda_seed(1);
  EXPECT_TRUE(nahoda_stav.r == at_start.r && nahoda_stav.f == at_start.f && nahoda_stav.b == at_start.b);
  EXPECT_EQ(std::vector<int32_t>({nahoda(), nahoda(), nahoda()}), std::vector<int32_t>({1804289383, 846930886, 1681692777}));
}

// Water that can grow spreads on every tenth tick, from one of the cells
// that can, picked by one draw of `rand` from those surveyed top to bottom,
// left to right.
TEST_F(Rules, WaterGrowsEveryTenthTickFromOneRandomCell) {
  Pic want = {"~#~#~#", " # # #"};
  put(want);
  int pick = nahoda() % 3, after = nahoda();
  nahoda_seed(1);
  for (int t = 0; t < 9; t++) pohyb();
  EXPECT_EQ(pic(want), want);
  EXPECT_EQ(tece, 9);
  pohyb();
  want[1][2 * pick] = '~';
  EXPECT_EQ(pic(want), want);
  EXPECT_EQ(tece, 0);
  EXPECT_EQ(nahoda(), after) << "the ten ticks drew exactly once";
}

// The glyphs of the block of interior cell (x, y), top-left, top-right,
// bottom-left, bottom-right, and their attribute (-1 if they differ).
using Block = std::pair<std::string, int>;
Block block(int x, int y) {
  const uint8_t* p = mb800 + 2 * (y + 1) * VSTRIDE + 4 * (x + 1);
  Block b{"", p[1]};
  for (const uint8_t* q : {p, p + 2, p + VSTRIDE, p + VSTRIDE + 2}) {
    b.first += static_cast<char>(q[0]);
    if (q[1] != b.second) b.second = -1;
  }
  return b;
}

class View : public ::testing::Test {
 protected:
  void SetUp() override { fresh(), frame(); }
};

TEST_F(View, FrameAndBlocksFillTheVirtualScreenAndNothingElse) {
  put({}, 'S');
  zobraz();
  int bad = -1;
  for (int i = 0; i < 65536 && bad < 0; i++) {
    int off = i - 16384, r = off / VSTRIDE, c = off % VSTRIDE / 2;
    bool inside = off >= 0 && off < 54 * VSTRIDE && off % VSTRIDE < 168;
    bool edge = r < 2 || r >= 52 || c < 2 || c >= 82;
    int want = !inside ? 5 : off % 2 ? 0x46 : edge ? 0 : 37;
    if (mb800p[i] != want) bad = i;
  }
  EXPECT_EQ(bad, -1);
}

TEST_F(View, Blocks) {
  put({"SXOo*+.3  BD"}, ' ');
  S(8, 0) = 31;  // not an element
  zobraz();
  EXPECT_EQ(block(2, 0), Block("\x19\x1a\x1b\x1c", 3));  // the boulder: its glyphs in their places
  EXPECT_EQ(block(2, 0), block(3, 0)) << "held boulders look like plain ones";
  EXPECT_EQ(block(5, 0).first, block(4, 0).first) << "held diamonds too";
  EXPECT_EQ(block(8, 0), block(9, 0)) << "unknown codes look empty";
  // Steel and exit look alike but for the exit's blink; dirt and the last
  // explosion stage differ only in colour.
  EXPECT_EQ(block(1, 0), Block(block(0, 0).first, block(0, 0).second | 0x80));
  EXPECT_EQ(block(6, 0).first, block(7, 0).first);
  EXPECT_NE(block(6, 0).second, block(7, 0).second);
  for (int x : {0, 1, 2, 3, 4, 5, 6, 7, 10, 11}) EXPECT_NE(block(x, 0), block(9, 0)) << x;
  // The creatures in the two phases of the animation.
  EXPECT_EQ(block(10, 0), Block("*+,-", 0x24));
  EXPECT_EQ(block(11, 0), Block("\x80\x81\x82\x83", 0x0E));
  va = 1;
  zobraz();
  EXPECT_EQ(block(10, 0), Block("*+,-", 0x42));
  EXPECT_EQ(block(11, 0), Block("\x84\x85\x86\x87", 0x0E));

  // The player's eight frames: the two of a direction share the top half;
  // together they use glyphs 1..24, each once.
  std::set<char> used;
  for (int k = E_PLAYER; k < E_PLAYER_LAST; k += 2) {
    S(0, 0) = static_cast<uint8_t>(k);
    S(1, 0) = static_cast<uint8_t>(k + 1);
    zobraz();
    Block a = block(0, 0), b = block(1, 0);
    EXPECT_EQ(a.first.substr(0, 2), b.first.substr(0, 2)) << k;
    used.insert(a.first.begin(), a.first.end());
    used.insert(b.first.begin() + 2, b.first.end());
  }
  EXPECT_EQ(used.size(), 24u);
  EXPECT_EQ(*used.begin(), 1);
  EXPECT_EQ(*used.rbegin(), 24);
}

TEST_F(View, DiamondColoursDrawRandInScanOrder) {
  put({"*  ", "  +", " * "}, ' ');
  std::vector<int> want;
  for (int i = 0; i < 3; i++) want.push_back(nahoda() % 7);
  int next = nahoda();
  nahoda_seed(1);
  zobraz();
  EXPECT_EQ(std::vector<int>({block(0, 0).second, block(2, 1).second, block(1, 2).second}), want);
  EXPECT_EQ(nahoda(), next) << "one draw a diamond, none for anything else";
}

// The window: which virtual cell its top-left shows, with every virtual cell
// holding its own column and row.
TEST_F(View, WindowFollowsThePlayerWithinItsLimits) {
  for (int r = 0; r < 54; r++)
    for (int c = 0; c < 84; c++) {
      mb800[r * VSTRIDE + c * 2] = static_cast<uint8_t>(c);
      mb800[r * VSTRIDE + c * 2 + 1] = static_cast<uint8_t>(r);
    }
  auto shown = [](int x, int y) { return XY(cell(x, y)[0], cell(x, y)[1]); };
  const struct { int x, y; XY origin; } cases[] = {{255, 255, {4, 14}}, {0, 0, {0, 0}},   {39, 24, {4, 14}}, {20, 10, {0, 0}},
                                                  {21, 11, {2, 2}},    {22, 16, {4, 12}}, {30, 17, {4, 14}}};
  for (const auto& c : cases) {
    xp = c.x, yp = c.y;
    prehod();
    EXPECT_EQ(shown(0, 8), c.origin) << c.x << "," << c.y;
  }
  EXPECT_EQ(headless_log.renders, 7) << "each window rendered";
  // The copy is whole rows of 80 cells, 40 of them.
  xp = yp = 0;
  okno();
  EXPECT_EQ(shown(79, 47), XY(79, 39));
  EXPECT_EQ(shown(0, 48), XY(0, 0)) << "nothing below the window";
}

}  // namespace
