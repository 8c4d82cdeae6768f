// The emulated text screen: writing, wrapping, scrolling, clearing, loading
// the font area, and the string helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "text/text.h"

namespace {

uint8_t pattern(int i) { return static_cast<uint8_t>(i * 7 + 3); }

// Every test starts from a cleared screen in memory that holds a pattern
// everywhere else, which no write to the text screen may change.
class Text : public ::testing::Test {
 protected:
  std::vector<std::string> chars{TROWS, std::string(TCOLS, ' ')}, attrs{TROWS, std::string(TCOLS, 7)};  // expected
  void SetUp() override {
    for (int i = 0; i < MEMSIZE; i++) mem[i] = pattern(i);
    SColor = 7;
    Ggotoxy(10, 20);
    Gclrscr();
  }
  void TearDown() override {
    for (int i = 0; i < MEMSIZE; i++)
      ASSERT_TRUE((i >= TEXT && i < TEXT + TCOLS * TROWS * 2) || mem[i] == pattern(i)) << "byte " << i;
  }
  void expect_screen(int x, int y) {
    std::vector<std::string> c(TROWS), a(TROWS);
    for (int r = 0; r < TROWS; r++)
      for (int k = 0; k < TCOLS; k++) c[r] += static_cast<char>(cell(k, r)[0]), a[r] += static_cast<char>(cell(k, r)[1]);
    EXPECT_EQ(c, chars);
    EXPECT_EQ(a, attrs);
    EXPECT_EQ(KurzX * 100 + KurzY, x * 100 + y) << "cursor";
  }
};

TEST_F(Text, WritingWrapsFullRowsAtOnceAndKeepsControlCodesOtherThanLineEnds) {
  writeln(std::string(80, 'x').c_str());  // the row below stays empty
  pwrite("abc\n");                        // a line feed keeps the column
  pwrite("de\r");                         // a carriage return keeps the row
  wrzn(0);
  wrzn(31);
  SColor = 0x1E;
  wrzn('Q');
  chars[0] = std::string(80, 'x');
  chars[2].replace(0, 3, "abc");
  chars[3].replace(0, 5, std::string("\0\x1fQde", 5));
  attrs[3][2] = 0x1E;
  expect_screen(3, 3);
}

TEST_F(Text, TheLastRowScrollsAndTheNewRowTakesTheCurrentColour) {
  pwrite("top");
  Ggotoxy(1, 50);
  writeln("one");
  pwrite("two");
  SColor = 0x1E;
  wrln();
  Ggotoxy(80, 50);
  wrzn('Z');  // the bottom-right cell scrolls at once
  chars[46].replace(0, 3, "one");
  chars[47].replace(0, 3, "two");
  chars[48][79] = 'Z';
  attrs[48] = attrs[49] = std::string(80, 0x1E);
  expect_screen(0, 49);
}

TEST_F(Text, CursorOutsideTheWindowWritesNothingOutsideTheTextArea) {
  for (auto [x, y] : {std::pair{1, 200}, {-5, 3}, {1, -40}, {300, 1}, {81, 50}, {1, 51}}) {
    Ggotoxy(x, y);
    pwrite("outside the window");
    writeln("and a line");
  }
  EXPECT_TRUE(KurzX >= 0 && KurzX < SMaxX && KurzY >= 0 && KurzY < SMaxY);
}

TEST(TextFont, GlyphsGoToTheirBlockAndCharacter) {
  const uint8_t table[] = {9, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11};
  mem.fill(0);
  setfont1(3, 1, 2, 65, table, 1);    // rows 1..3 of 'A' and 'B' in block 1
  setfont1(2, 15, 2, 255, table, 7);  // the second glyph would lie past the end
  std::vector<uint8_t> want(MEMSIZE);
  for (int r = 0; r < 3; r++) want[(256 + 65) * 32 + r] = table[1 + r], want[(256 + 66) * 32 + r] = table[4 + r];
  for (int r = 0; r < 2; r++) want[(15 * 256 + 255) * 32 + r] = table[7 + r];
  EXPECT_TRUE(std::equal(want.begin(), want.end(), mem.begin()));
}

TEST(TextStrings, NumbersLengthsCapitalsAndJoins) {
  EXPECT_STREQ(i2str(0), "0");
  const char* a = i2str(INT_MIN);
  EXPECT_STREQ(a, "-2147483648");
  EXPECT_EQ(i2str(345), a) << "one buffer, holding the latest";
  std::string q(300, 'q');
  EXPECT_EQ(length(q.c_str()), 256);
  EXPECT_EQ(length(q.replace(17, 1, 1, '\0').c_str()), 17);
  std::string caps;
  for (char k : std::string("`abyz{AZ\x80\xE1\xFF")) caps += static_cast<char>(upcase(static_cast<uint8_t>(k)));
  EXPECT_EQ(caps, "`ABYZ{AZ\x80\xE1\xFF");
  std::string a200(200, 'a'), b100(100, 'b');
  EXPECT_EQ(SpojStr(std::string(255, 'a').c_str(), "more"), std::string(255, 'a'));
  EXPECT_EQ(SpojStr(a200.c_str(), b100.c_str()), a200 + b100.substr(0, 55));
  EXPECT_EQ(std::memcmp(SpojStr("ab", "cd\0zz"), "abcd\0\0\0", 7), 0) << "nothing past the second string";
}

}  // namespace
