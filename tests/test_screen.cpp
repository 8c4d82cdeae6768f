// The screen layer against the real library on a virtual display: the built
// datafile, the renderers' pixels, blinking, frames, style switching, the
// lettering ramp of the 2004 style, the palette entry and the timer waits.
#include <gtest/gtest.h>

#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cave/platform.h"
#include "screen/grafika.h"
#include "screen/kamenick.h"
#include "screen/render.h"
#include "screen/text.h"
#include "shell/timer.h"

namespace {

DATAFILE* fresh_copy;  // the datafile as built, never recoloured

class Screen : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_EQ(install_allegro(SYSTEM_AUTODETECT, &errno, atexit), 0);
    install_keyboard();
    install_timer();
    install_int(timerCycle, 100);
    InitGFX();
    sbuffer = create_bitmap(640, 480);
    setfont1(8, 0, 256, 0, kamenick.data(), 0);
    datafile = load_datafile(TAVROK_DATAFILE);
    ASSERT_STREQ(check_datafile(datafile), "");
    load_styles(datafile);
    fresh_copy = load_datafile(TAVROK_DATAFILE);
    ActiveEFont(EFontK, fpalK);
  }
};

// The 8 x 8 block of a bitmap at (x, y).
std::vector<uint8_t> block(BITMAP* b, int x, int y) {
  std::vector<uint8_t> v;
  for (int py = 0; py < 8; py++)
    for (int px = 0; px < 8; px++) v.push_back(static_cast<uint8_t>(b->line[y + py][x + px]));
  return v;
}
std::vector<uint8_t> glyph(BITMAP* sheet, int k) { return block(sheet, (k % 16) * 8, (k / 16) * 8); }
bool blank(const std::vector<uint8_t>& v) {
  for (uint8_t p : v)
    if (p) return false;
  return true;
}

void put(int x, int y, uint8_t k, uint8_t a) {
  cell(x, y)[0] = k;
  cell(x, y)[1] = a;
}

// Renders with the style keys off and no key held, so the next test starts
// from a known request state.
void settle() {
  key[KEY_EQUALS] = key[KEY_PLUS_PAD] = 0;
  EnabledChange = 1;
  vpic_1font();
  EnabledChange = 0;
}

const EFont* const records[4] = {&EFont04, &EFont64, &EFontZX, &EFont94};

TEST(Datafile, ObjectsAtTheirPlaces) {
  for (int i = 0; i < DF_OBJECTS; i++) {
    SCOPED_TRACE(i);
    if (i >= 13 && i <= 17) {
      EXPECT_EQ(fresh_copy[i].type, DAT_PALETTE);
    } else {
      ASSERT_EQ(fresh_copy[i].type, DAT_BITMAP);
      BITMAP* b = static_cast<BITMAP*>(fresh_copy[i].dat);
      EXPECT_EQ(b->w, 128);
      EXPECT_EQ(b->h, 128);
      EXPECT_EQ(bitmap_color_depth(b), 8);
    }
  }
  EXPECT_EQ(fresh_copy[DF_OBJECTS].type, DAT_END);
  EXPECT_EQ(AktEFont.f[1], static_cast<BITMAP*>(datafile[12].dat));
  EXPECT_EQ(EFontZX.f[3], static_cast<BITMAP*>(datafile[20].dat));
  EXPECT_EQ(EFont94.f[1], static_cast<BITMAP*>(datafile[8].dat));
}

TEST(Datafile, DamagedDatafilesAreNamed) {
  // A copy of the object list with one object changed or cut short.
  std::vector<DATAFILE> objs(fresh_copy, fresh_copy + DF_OBJECTS + 1);
  EXPECT_STREQ(check_datafile(nullptr), "cannot be read (missing, or not a datafile)");
  objs[7].type = DAT_PALETTE;
  EXPECT_STREQ(check_datafile(objs.data()), "object 7 must be a 128 x 128 bitmap of 8 bits");
  objs[7] = fresh_copy[7];
  objs[15] = fresh_copy[3];
  EXPECT_STREQ(check_datafile(objs.data()), "object 15 must be a palette");
  objs[15] = fresh_copy[15];
  BITMAP* small = create_bitmap_ex(8, 64, 128);
  objs[20].dat = small;
  EXPECT_STREQ(check_datafile(objs.data()), "object 20 must be a 128 x 128 bitmap of 8 bits");
  objs[20] = fresh_copy[20];
  objs[19].type = DAT_END;
  EXPECT_STREQ(check_datafile(objs.data()), "has 19 objects, needs 22");
  destroy_bitmap(small);
}

// The library's loader does not survive a damaged file, so every cut or
// garbled copy must be caught before it is loaded.
TEST(Datafile, DamageIsFoundBeforeLoading) {
  FILE* in = std::fopen(TAVROK_DATAFILE, "rb");
  ASSERT_NE(in, nullptr);
  std::vector<char> bytes;
  for (int c; (c = std::fgetc(in)) != EOF;) bytes.push_back(static_cast<char>(c));
  std::fclose(in);
  EXPECT_STREQ(datafile_sound(TAVROK_DATAFILE), "");
  std::string path = ::testing::TempDir() + "damaged.dat";
  auto write = [&](size_t n) {
    FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, n, out);
    std::fclose(out);
  };
  for (size_t n : {size_t{0}, size_t{3}, size_t{12}, size_t{40}, bytes.size() / 3, bytes.size() / 2, bytes.size() - 1}) {
    write(n);
    EXPECT_STRNE(datafile_sound(path.c_str()), "") << "cut to " << n << " bytes";
  }
  // A garbled size field of the first object.
  for (size_t at = 20; at < 200; at += 7) {
    std::vector<char> keep = bytes;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
    write(bytes.size());
    const char* why = datafile_sound(path.c_str());
    if (!*why) {
      DATAFILE* df = load_datafile(path.c_str());  // must not crash when judged sound
      if (df) unload_datafile(df);
    }
    bytes = keep;
  }
  EXPECT_STREQ(datafile_sound("/nonexistent/TavrokDF.dat"), "cannot be read (missing, or not a datafile)");
}

TEST(Datafile, EveryGlyphTheGameDrawsIsThere) {
  std::vector<int> tiles;
  for (int k = 0; k <= 45; k++)
    if (k != 32) tiles.push_back(k);
  for (int k : {128, 129, 130, 131, 132, 133, 134, 135, 144, 145, 146, 147, 160, 161, 162, 163}) tiles.push_back(k);
  std::string text =
      "0123456789 Score Lives Need Sector Time Press ESC for exit or ENTER for start game version 3.0p "
      "In game use >PLUS< key for select 2004/C64/ZX Spectrum/school1994 graphics style GAMEOVER CONGRATULATIONS "
      "TSC TPT TCT";
  const char* names[4] = {"2004", "C64", "ZX", "1994"};
  for (int s = 0; s < 4; s++)
    for (int f = 1; f <= 4; f++) {
      BITMAP* sheet = static_cast<BITMAP*>(fresh_copy[(s == 2 ? 18 : s == 3 ? 8 : s * 4) + f - 1].dat);
      SCOPED_TRACE(std::string(names[s]) + " frame " + std::to_string(f));
      for (int k : tiles) EXPECT_FALSE(blank(glyph(sheet, k))) << "tile glyph " << k;
      for (char c : text) {
        if (c == ' ') continue;
        EXPECT_FALSE(blank(glyph(sheet, static_cast<uint8_t>(c)))) << "character " << c;
      }
      EXPECT_TRUE(blank(glyph(sheet, ' '))) << "the empty cell";
    }
  BITMAP* textsheet = static_cast<BITMAP*>(fresh_copy[12].dat);
  for (int k = 0x21; k <= 0x7E; k++) EXPECT_FALSE(blank(glyph(textsheet, k))) << "text style character " << k;
  for (int k : {0xBA, 0xBB, 0xBC, 0xC8, 0xC9, 0xCD}) EXPECT_FALSE(blank(glyph(textsheet, k))) << "box character " << k;
  EXPECT_TRUE(blank(glyph(textsheet, ' ')));
}

TEST(Datafile, LetteringOfThe2004StyleIsRecolouredByRow) {
  static const int ramp[4][8] = {{96, 97, 98, 99, 99, 98, 97, 96},
                                 {98, 99, 99, 98, 97, 96, 96, 97},
                                 {99, 98, 97, 96, 96, 97, 98, 99},
                                 {97, 96, 96, 97, 98, 99, 99, 98}};
  for (int f = 1; f <= 4; f++) {
    BITMAP* now = EFont04.f[f];
    BITMAP* was = static_cast<BITMAP*>(fresh_copy[f - 1].dat);
    for (int y = 0; y < 128; y++)
      for (int x = 0; x < 128; x++) {
        int k = (y / 8) * 16 + x / 8;
        bool ramped = k >= 0x2E && k <= 0x7F;  // '.', '/', digits, letters, signs
        int want = ramped && was->line[y][x] ? ramp[f - 1][y % 8] : was->line[y][x];
        ASSERT_EQ(now->line[y][x], want) << "frame " << f << " pixel " << x << "," << y;
      }
  }
  // The other styles stay as built.
  for (int i : {4, 9, 12, 19})
    for (int y = 0; y < 128; y++)
      ASSERT_EQ(std::memcmp(static_cast<BITMAP*>(datafile[i].dat)->line[y], static_cast<BITMAP*>(fresh_copy[i].dat)->line[y], 128), 0);
}

TEST(Renderer, FramesRunTwoThreeFourOneAndGlyphsComeFromTheirPlace) {
  settle();
  styl(0);
  Gclrscr();
  put(0, 0, 0x21, 7);
  put(5, 3, 0x41, 7);
  put(79, 49, 0xFF, 7);
  movefont = 1;
  for (int want : {2, 3, 4, 1, 2}) {
    vpic_1font();
    ASSERT_EQ(movefont, want);
    EXPECT_EQ(block(sbuffer, 0, 0), glyph(AktEFont.f[want], 0x21));
    EXPECT_EQ(block(sbuffer, 40, 24), block(AktEFont.f[want], 8, 32));
    EXPECT_EQ(block(sbuffer, 632, 392), block(AktEFont.f[want], 120, 120));
  }
}

TEST(Renderer, BlinkingCellsShowNineAndHideEight) {
  settle();
  styl(0);
  Gclrscr();
  put(10, 10, 37, 0xC6);
  put(11, 10, 37, 0x46);
  FlashCnt = CanHide = 0;
  std::string seen;
  for (int r = 1; r <= 34; r++) {
    vpic_1font();
    seen += blank(block(sbuffer, 80, 80)) ? '-' : '#';
    ASSERT_FALSE(blank(block(sbuffer, 88, 80))) << "a cell without the blink bit never hides";
  }
  EXPECT_EQ(seen, "########--------#########--------#");
}

TEST(Renderer, EveryRenderCoversTheTopFourHundredRowsOnly) {
  settle();
  rectfill(sbuffer, 0, 0, 639, 479, 77);
  acquire_screen();
  rectfill(screen, 0, 400, 639, 479, 5);
  release_screen();
  Gclrscr();
  vpic_1font();
  for (int y = 0; y < 480; y += 7)
    for (int x = 0; x < 640; x += 5) ASSERT_EQ(sbuffer->line[y][x] == 77, y >= 400) << x << "," << y;
  acquire_screen();
  for (int y = 400; y < 480; y += 3)
    for (int x = 0; x < 640; x += 9) ASSERT_EQ(getpixel(screen, x, y), 5);
  release_screen();
}

TEST(Renderer, TextFontPaintsAttributeColours) {
  Gclrscr();
  put(2, 1, 'A', 0x1E);
  put(3, 1, 'A', 0x9E);
  FlashCnt = CanHide = 0;
  uint8_t frame = movefont;
  vpic_2font();
  for (int py = 0; py < 8; py++)
    for (int px = 0; px < 8; px++) {
      int want = (kamenick[0x41 * 8 + py] & (0x80 >> px)) ? 14 : 1;
      ASSERT_EQ(sbuffer->line[8 + py][16 + px], want);
      ASSERT_EQ(sbuffer->line[8 + py][24 + px], want) << "shown in the first half of the blink";
    }
  for (int r = 2; r <= 9; r++) vpic_2font();
  for (int py = 0; py < 8; py++)
    for (int px = 0; px < 8; px++) ASSERT_EQ(sbuffer->line[8 + py][24 + px], 1) << "hidden: background only";
  EXPECT_EQ(movefont, frame) << "the text-font renderer never touches the frame";
}

TEST(Renderer, StyleKeysSwitchOncePerPress) {
  settle();
  aktF = 0;
  styl(0);
  EnabledChange = 1;
  for (int want : {1, 2, 3, 0}) {
    key[KEY_EQUALS] = 1;
    for (int r = 0; r < 6; r++) vpic_1font();
    key[KEY_EQUALS] = 0;
    vpic_1font();
    ASSERT_EQ(aktF, want);
    EXPECT_EQ(AktEFont.f[2], records[want]->f[2]);
  }
  key[KEY_PLUS_PAD] = 1;
  vpic_1font();
  EXPECT_EQ(aktF, 1) << "the keypad plus works too";
  key[KEY_PLUS_PAD] = 0;
  vpic_1font();

  EnabledChange = 0;
  key[KEY_EQUALS] = 1;
  vpic_1font();
  EXPECT_EQ(aktF, 1) << "keys off";
  key[KEY_EQUALS] = 0;
}

TEST(Renderer, ForcedStyleTakesEffectWithoutAdvancing) {
  settle();
  aktF = 2;
  ActiveEFont(EFontK, fpalK);
  EnabledChange = 0;
  ForceSetFont = 1;
  vpic_1font();
  EXPECT_EQ(ForceSetFont, 0);
  EXPECT_EQ(aktF, 2);
  EXPECT_EQ(AktEFont.f[1], EFontZX.f[1]);

  // Forced while a style key is held: no advance, and the held key changes
  // nothing until it is pressed again.
  EnabledChange = 1;
  key[KEY_EQUALS] = 1;
  ForceSetFont = 1;
  vpic_1font();
  vpic_1font();
  vpic_1font();
  EXPECT_EQ(aktF, 2);
  key[KEY_EQUALS] = 0;
  vpic_1font();
  key[KEY_EQUALS] = 1;
  vpic_1font();
  EXPECT_EQ(aktF, 3);
  key[KEY_EQUALS] = 0;
  settle();
}

TEST(Screen, PaletteEntryAndWaits) {
  pal(0, 63, 63, 63);
  RGB c;
  get_color(0, &c);
  EXPECT_EQ(c.r, 63);
  EXPECT_EQ(c.g, 63);
  EXPECT_EQ(c.b, 63);
  pal(0, 0, 0, 0);

  int32_t was = ctc.load();
  Delay100(0, 0);
  Delay100(-3, 0);
  EXPECT_LE(ctc.load() - was, 1) << "no wait for counts of zero or less";

  key[KEY_SPACE] = 1;
  was = ctc.load();
  Delay100(40, 1);
  EXPECT_LE(ctc.load() - was, 1) << "a held skip key cuts every wait short";
  was = ctc.load();
  D100(0);
  EXPECT_GE(ctc.load() - was, 1) << "without key abort the keys are ignored";
  key[KEY_SPACE] = 0;

  was = ctc.load();
  Delay100(3, 0);
  EXPECT_GE(ctc.load() - was, 3);
}

// The setup menu's switch to full screen, the library's answers faked: a
// refused switch takes the window again; only when that is refused too does
// the program end with the fatal message.
std::vector<int> modes_asked;
int refused;  // bit 0: full screen, bit 1: a window
int fake_mode(int card, int, int, int, int) {
  modes_asked.push_back(card);
  bool no = card == GFX_AUTODETECT_FULLSCREEN ? refused & 1 : refused & 2;
  return no ? -1 : 0;
}

TEST(Screen, FullScreenRefusedKeepsTheWindow) {
  const struct {
    int refused;
    std::vector<int> asked;
    uint8_t FScr;
  } cases[] = {
      {0, {GFX_AUTODETECT_FULLSCREEN}, 1},
      {1, {GFX_AUTODETECT_FULLSCREEN, GFX_AUTODETECT_WINDOWED}, 0},
  };
  gfx_mode = fake_mode;
  for (const auto& c : cases) {
    modes_asked.clear();
    refused = c.refused;
    ActiveEFont(EFont04, fpal04);
    go_fullscreen();
    EXPECT_EQ(modes_asked, c.asked);
    EXPECT_EQ(FScr, c.FScr);
    EXPECT_EQ(AktEFont.f[1], EFontK.f[1]) << "the text style again";
    PALETTE now;
    get_palette(now);
    EXPECT_EQ(std::memcmp(now, fpalK, sizeof(PALETTE)), 0) << "with its palette";
  }
  refused = 3;
  ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
  EXPECT_EXIT(go_fullscreen(), ::testing::ExitedWithCode(1), "");
  gfx_mode = set_gfx_mode;
  FScr = 0;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new Screen);
  return RUN_ALL_TESTS();
}
