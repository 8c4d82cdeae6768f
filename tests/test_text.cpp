// The emulated text screen: wrapping, scrolling, clearing and the string
// helpers.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "screen/text.h"

namespace {

std::string row_text(int y) {
  std::string s;
  for (int x = 0; x < TCOLS; x++) s += static_cast<char>(*cell(x, y));
  return s;
}

class Text : public ::testing::Test {
 protected:
  void SetUp() override {
    mem.fill(0);
    SColor = 7;
    Gclrscr();
  }
};

TEST_F(Text, ClearFillsEveryCellAndHomesTheCursor) {
  SColor = 15;
  Ggotoxy(10, 20);
  Gclrscr();
  for (int y = 0; y < TROWS; y++)
    for (int x = 0; x < TCOLS; x++) {
      ASSERT_EQ(cell(x, y)[0], 0x20);
      ASSERT_EQ(cell(x, y)[1], 15);
    }
  EXPECT_EQ(KurzX, 0);
  EXPECT_EQ(KurzY, 0);
}

TEST_F(Text, FullRowWrapsAtOnceSoTheNextRowStaysEmpty) {
  std::string line(80, 'x');
  writeln(line.c_str());
  EXPECT_EQ(row_text(0), line);
  EXPECT_EQ(row_text(1), std::string(80, ' '));
  EXPECT_EQ(KurzX, 0);
  EXPECT_EQ(KurzY, 2);
}

TEST_F(Text, LineFeedKeepsColumnCarriageReturnKeepsRow) {
  pwrite("abc\n");
  EXPECT_EQ(KurzX, 3);
  EXPECT_EQ(KurzY, 1);
  pwrite("de\r");
  EXPECT_EQ(KurzX, 0);
  EXPECT_EQ(KurzY, 1);
  EXPECT_EQ(row_text(1).substr(0, 6), "   de ");
  // Control codes other than 10 and 13 are stored as glyphs.
  wrzn(0);
  wrzn(31);
  EXPECT_EQ(cell(0, 1)[0], 0);
  EXPECT_EQ(cell(1, 1)[0], 31);
}

TEST_F(Text, BottomRightCellScrollsAtOnce) {
  Ggotoxy(1, 1);
  pwrite("top");
  SColor = 0x1E;
  Ggotoxy(80, 50);
  wrzn('Z');
  EXPECT_EQ(cell(79, 48)[0], 'Z');
  EXPECT_EQ(cell(79, 48)[1], 0x1E);
  for (int x = 0; x < TCOLS; x++) {
    ASSERT_EQ(cell(x, 49)[0], 0x20);
    ASSERT_EQ(cell(x, 49)[1], 0x1E);
  }
  EXPECT_EQ(KurzX, 0);
  EXPECT_EQ(KurzY, 49);
  // The first row went out at the top.
  EXPECT_EQ(row_text(0), std::string(80, ' '));
}

TEST_F(Text, LinesOnTheLastRowKeepScrolling) {
  Ggotoxy(1, 50);
  writeln("one");
  EXPECT_EQ(KurzY, 49);
  EXPECT_EQ(row_text(48).substr(0, 3), "one");
  writeln("two");
  EXPECT_EQ(row_text(47).substr(0, 3), "one");
  EXPECT_EQ(row_text(48).substr(0, 3), "two");
  EXPECT_EQ(KurzX, 0);
  EXPECT_EQ(KurzY, 49);
}

TEST_F(Text, CursorOutsideTheWindowNeverWritesOutsideTheTextArea) {
  mem.fill(0xAB);
  Gclrscr();
  for (auto [x, y] : {std::pair{1, 200}, {-5, 3}, {1, -40}, {300, 1}}) {
    Ggotoxy(x, y);
    pwrite("outside the window");
    writeln("and a line");
  }
  for (int i = 0; i < MEMSIZE; i++) {
    if (i < TEXT || i >= TEXT + TCOLS * TROWS * 2) {
      ASSERT_EQ(mem[i], 0xAB) << "byte " << i;
    }
  }
  EXPECT_GE(KurzX, 0);
  EXPECT_LT(KurzX, SMaxX);
  EXPECT_GE(KurzY, 0);
  EXPECT_LT(KurzY, SMaxY);
}

TEST(TextStrings, Numbers) {
  EXPECT_STREQ(i2str(0), "0");
  EXPECT_STREQ(i2str(INT_MIN), "-2147483648");
  const char* a = i2str(12);
  const char* b = i2str(345);
  EXPECT_EQ(a, b);
  EXPECT_STREQ(a, "345");
}

TEST(TextStrings, LengthStopsAt256) {
  char buf[300];
  std::memset(buf, 'q', sizeof buf);
  EXPECT_EQ(length(buf), 256);
  buf[17] = 0;
  EXPECT_EQ(length(buf), 17);
}

TEST(TextStrings, UpcaseOnlyAsciiLetters) {
  EXPECT_EQ(upcase('a'), 'A');
  EXPECT_EQ(upcase('z'), 'Z');
  for (int k : {0x60, 0x7B, 0x41, 0x80, 0xA0, 0xFF}) EXPECT_EQ(upcase(static_cast<uint8_t>(k)), k);
}

TEST(TextStrings, JoinStopsAt255) {
  std::string a255(255, 'a');
  EXPECT_EQ(std::string(SpojStr(a255.c_str(), "more")), a255);
  std::string a200(200, 'a'), b100(100, 'b');
  EXPECT_EQ(std::string(SpojStr(a200.c_str(), b100.c_str())), (a200 + b100).substr(0, 255));
  EXPECT_STREQ(SpojStr("ab", "cd"), "abcd");
}

}  // namespace
