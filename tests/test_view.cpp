// The cave view (blocks, random diamond colours, the scrolling window) and
// the status line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cave/load.h"
#include "cave/stav.h"
#include "cave/view.h"
#include "screen/text.h"
#include "tests/pic.h"
#include "tools/headless.h"

namespace {

// Glyphs and attribute of the block of interior cell (x, y).
struct Seen {
  uint8_t g[4];
  uint8_t a[4];
};
Seen block(int x, int y) {
  const uint8_t* p = mb800 + 2 * (y + 1) * VSTRIDE + 2 * (x + 1) * 2;
  return {{p[0], p[2], p[VSTRIDE], p[VSTRIDE + 2]}, {p[1], p[3], p[VSTRIDE + 1], p[VSTRIDE + 3]}};
}

std::string glyphs(int x, int y) {
  Seen b = block(x, y);
  return std::string(b.g, b.g + 4);
}

std::string status_row(int y) {
  std::string s;
  for (int x = 0; x < 12; x++) s += static_cast<char>(*cell(x, y));
  return s;
}

class View : public ::testing::Test {
 protected:
  void SetUp() override {
    fresh();
    frame();
  }
};

TEST_F(View, BlocksOfTheLookalikes) {
  put({"SXO o*+.3"}, ' ');
  S(9, 0) = 31;  // not an element
  zobraz();
  // Steel wall and exit share a glyph; only the exit blinks.
  EXPECT_EQ(block(0, 0).g[0], 37);
  EXPECT_EQ(block(1, 0).g[3], 37);
  EXPECT_EQ(block(0, 0).a[0], 0x46);
  EXPECT_EQ(block(1, 0).a[0], 0xC6);
  // Held boulder and diamond look exactly like the plain ones.
  EXPECT_EQ(glyphs(2, 0), glyphs(4, 0));
  EXPECT_EQ(glyphs(5, 0), "\x21\x22\x23\x24");
  EXPECT_EQ(glyphs(6, 0), "\x21\x22\x23\x24");
  // Dirt and explosion 3 share glyph 31 with different attributes.
  EXPECT_EQ(block(7, 0).g[0], 31);
  EXPECT_EQ(block(8, 0).g[0], 31);
  EXPECT_EQ(block(7, 0).a[0], 0x24);
  EXPECT_EQ(block(8, 0).a[0], 0x03);
  // Unknown codes are drawn as empty.
  EXPECT_EQ(glyphs(9, 0), "    ");
  EXPECT_EQ(block(9, 0).a[0], 0);
  // Every cell of a block has the same attribute.
  for (int x = 0; x < 9; x++)
    for (int i = 1; i < 4; i++) EXPECT_EQ(block(x, 0).a[i], block(x, 0).a[0]);
}

TEST_F(View, CreaturesChangeWithTheAnimationBit) {
  put({"BD"}, ' ');
  va = 0;
  zobraz();
  EXPECT_EQ(block(0, 0).a[0], 0x24);
  EXPECT_EQ(block(1, 0).g[0], 128);
  EXPECT_EQ(block(1, 0).g[3], 131);
  va = 1;
  zobraz();
  EXPECT_EQ(block(0, 0).g[0], 42);
  EXPECT_EQ(block(0, 0).a[0], 0x42);
  EXPECT_EQ(block(1, 0).g[0], 132);
  EXPECT_EQ(block(1, 0).g[3], 135);
}

TEST_F(View, DiamondColoursDrawRandInScanOrder) {
  put({"*  ", "  +"}, ' ');
  std::srand(1);
  int first = std::rand() % 7, second = std::rand() % 7, next = std::rand();
  std::srand(1);
  zobraz();
  EXPECT_EQ(block(0, 0).a[0], first);
  EXPECT_EQ(block(2, 1).a[0], second);
  EXPECT_EQ(std::rand(), next);

  put({"O~BX"}, '.');
  std::srand(1);
  int untouched = std::rand();
  std::srand(1);
  zobraz();
  EXPECT_EQ(std::rand(), untouched) << "no diamonds, no draws";
}

TEST_F(View, ZobrazCountsTheDeathDown) {
  citac = 2;
  zobraz();
  EXPECT_EQ(citac, 1);
  zobraz();
  zobraz();
  EXPECT_EQ(citac, 0);
}

TEST_F(View, FrameAndBlocksNeverTouchTheRestOfTheBuffer) {
  put({}, '*');
  zobraz();
  for (int i = 0; i < 65536; i++) {
    int off = i - 16384;
    bool used = off >= 0 && off < 54 * VSTRIDE && off % VSTRIDE < 168;
    if (!used) {
      ASSERT_EQ(mb800p[i], 5) << "byte " << i;
    }
  }
}

// Which virtual cell the top-left of the window shows, by marking the
// virtual screen with its own coordinates.
std::pair<int, int> window_origin() {
  for (int r = 0; r < 54; r++)
    for (int c = 0; c < 84; c++) {
      mb800[r * VSTRIDE + c * 2] = static_cast<uint8_t>(c);
      mb800[r * VSTRIDE + c * 2 + 1] = static_cast<uint8_t>(r);
    }
  okno();
  return {cell(0, 8)[0], cell(0, 8)[1]};
}

TEST_F(View, WindowFollowsThePlayerWithinItsLimits) {
  using P = std::pair<int, int>;
  struct Case {
    int x, y;
    P origin;
  } cases[] = {
      {255, 255, {4, 14}}, {0, 0, {0, 0}},   {39, 24, {4, 14}}, {20, 10, {0, 0}},
      {21, 11, {2, 2}},    {22, 16, {4, 12}}, {30, 17, {4, 14}},
  };
  for (const Case& c : cases) {
    xp = c.x;
    yp = c.y;
    EXPECT_EQ(window_origin(), c.origin) << c.x << "," << c.y;
  }
  // The copy is whole rows: the last window row comes from 39 rows lower.
  xp = yp = 0;
  window_origin();
  EXPECT_EQ(cell(79, 47)[0], 79);
  EXPECT_EQ(cell(79, 47)[1], 39);
}

TEST_F(View, WindowShowsTheFrameAtTheCaveEdges) {
  put({}, 'S');
  zobraz();
  xp = yp = 0;
  prehod();
  EXPECT_EQ(cell(0, 8)[0], 0);  // frame: brick look
  EXPECT_EQ(cell(0, 8)[1], 0x46);
  EXPECT_EQ(cell(2, 10)[0], 37);  // cave (0, 0)
  EXPECT_EQ(headless_log.renders, 1);
  xp = yp = 255;
  prehod();
  EXPECT_EQ(cell(79, 47)[0], 0);  // bottom right frame corner
  EXPECT_EQ(cell(77, 45)[0], 37);
}

TEST_F(View, StatusLineFieldsAndLabels) {
  Gclrscr();
  sc = 0;
  zi = 3;
  ch = 12;
  aksektor = 7;
  cas = 150 * 40;
  stav();
  EXPECT_EQ(status_row(0), "00000 Score ");
  EXPECT_EQ(status_row(1), "00003 Lives ");
  EXPECT_EQ(status_row(2), "00012 Need  ");
  EXPECT_EQ(status_row(3), "00007 Sector");
  EXPECT_EQ(status_row(4), "00150 Time  ");

  sc = 100042;
  cas = 39;
  Ggotoxy(7, 1);
  pwrite("XXXXX");
  stav();
  EXPECT_EQ(status_row(0), "00042 Score ");
  EXPECT_EQ(status_row(4), "00000 Time  ");
  EXPECT_EQ(cell(0, 0)[1], SColor) << "attributes stay as the clear left them";
}

}  // namespace
