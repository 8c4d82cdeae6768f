// The screen layer against the real library on a virtual display: the built
// datafile and its checks, the recoloured lettering of the 2004 style, both
// renderers' pixels with frames and blinking, style switching, the palette
// entry, the timer's waits and pace, and the switch to full screen.
#include <gtest/gtest.h>

#include <allegro.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "cave/platform.h"
#include "screen/grafika.h"
#include "screen/kamenick.h"
#include "screen/render.h"
#include "shell/input.h"
#include "shell/timer.h"
#include "tests/files.h"
#include "text/text.h"

namespace {

DATAFILE* fresh_copy;  // the datafile as built, never recoloured

const EFont* const all[5] = {&EFont04, &EFont64, &EFontZX, &EFont94, &EFontK};  // the styles by number, then text
BITMAP* sheet(int i) { return static_cast<BITMAP*>(fresh_copy[i].dat); }

bool blank(BITMAP* sheet, int k) {
  for (int p = 0; p < 64; p++)
    if (sheet->line[k / 16 * 8 + p / 8][k % 16 * 8 + p % 8]) return false;
  return true;
}

TEST(Datafile, EveryStyleHasEveryGlyphTheGameDrawsAndOnlyThe2004LetteringIsRecoloured) {
  EXPECT_EQ(fresh_copy[DF_OBJECTS].type, DAT_END);
  std::vector<int> drawn = {128, 129, 130, 131, 132, 133, 134, 135, 144, 145, 146, 147, 160, 161, 162, 163, 0x7F};
  for (int k = 0; k <= 45; k++) drawn.push_back(k);  // the tiles
  for (char c : std::string("0123456789 Score Lives Need Sector Time Press ESC for exit or ENTER for start game version 3.0p "
                            "In game use >PLUS< key for select 2004/C64/ZX Spectrum/school1994 graphics style GAMEOVER "
                            "CONGRATULATIONS TSC TPT TCT BEST GAMES KEYS 1..9 AND 0 WATCH THEM AGAIN all "
                            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ. Games with cheats are not entered in the table"))
    drawn.push_back(static_cast<uint8_t>(c));
  // The 2004 lettering ('.', '/', digits, letters, signs) takes a ramp of
  // colours by row that moves up two rows a frame.
  static const int ramp[4][8] = {{96, 97, 98, 99, 99, 98, 97, 96},
                                 {98, 99, 99, 98, 97, 96, 96, 97},
                                 {99, 98, 97, 96, 96, 97, 98, 99},
                                 {97, 96, 96, 97, 98, 99, 99, 98}};
  const int first[5] = {0, 4, 18, 8, 12};  // where each style's frames are in the datafile
  for (int s = 0; s < 5; s++)
    for (int f = 1; f <= 4; f++) {
      SCOPED_TRACE(::testing::Message() << "style " << s << " frame " << f);
      int i = first[s] + (s < 4 ? f - 1 : 0), wrong = 0;
      EXPECT_EQ(all[s]->f[f], datafile[i].dat);
      for (int k : drawn) EXPECT_TRUE(s == 4 || blank(sheet(i), k) == (k == ' ')) << "glyph " << k;
      for (int y = 0; y < 128; y++)
        for (int x = 0; x < 128; x++) {
          int k = y / 8 * 16 + x / 8, was = sheet(i)->line[y][x];
          wrong += all[s]->f[f]->line[y][x] != (s == 0 && k >= 0x2E && k <= 0x7F && was ? ramp[f - 1][y % 8] : was);
        }
      EXPECT_EQ(wrong, 0) << "pixels not as built or ramped";
    }
  for (int k = 0x20; k <= 0x7E; k++) EXPECT_EQ(blank(sheet(12), k), k == ' ') << "text style character " << k;
  for (int k : {0xBA, 0xBB, 0xBC, 0xC8, 0xC9, 0xCD}) EXPECT_FALSE(blank(sheet(12), k)) << "box character " << k;
}

TEST(Datafile, DamageIsNamedAndFoundBeforeLoading) {
  EXPECT_STREQ(check_datafile(nullptr), "cannot be read (missing, or not a datafile)");
  BITMAP* small = create_bitmap_ex(8, 64, 128);
  const struct { int at; DATAFILE object; const char* why; } rows[] = {
      {7, {fresh_copy[7].dat, DAT_PALETTE, fresh_copy[7].size, nullptr}, "object 7 must be a 128 x 128 bitmap of 8 bits"},
      {20, {small, DAT_BITMAP, fresh_copy[20].size, nullptr}, "object 20 must be a 128 x 128 bitmap of 8 bits"},
      {15, fresh_copy[3], "object 15 must be a palette"},
      {16, {fresh_copy[16].dat, DAT_PALETTE, 1000, nullptr}, "object 16 must be a palette"},
      {19, {nullptr, DAT_END, 0, nullptr}, "has 19 objects, needs 22"},
  };
  for (const auto& r : rows) {
    std::vector<DATAFILE> objects(fresh_copy, fresh_copy + DF_OBJECTS + 1);
    objects[r.at] = r.object;
    EXPECT_STREQ(check_datafile(objects.data()), r.why);
  }
  destroy_bitmap(small);

  // The library's loader does not survive a damaged file, so every cut or
  // garbled copy must be caught before it is loaded.
  std::string bytes = slurp(TAVROK_DATAFILE), path;
  EXPECT_STREQ(datafile_sound(TAVROK_DATAFILE), "");
  EXPECT_STREQ(datafile_sound("/nonexistent/TavrokDF.dat"), "cannot be read (missing, or not a datafile)");
  auto write = [&](size_t n) { return datafile_sound((path = scratch("damaged.dat", bytes.substr(0, n))).c_str()); };
  for (size_t n : {size_t{0}, size_t{3}, size_t{12}, size_t{40}, bytes.size() / 3, bytes.size() / 2, bytes.size() - 1})
    EXPECT_STRNE(write(n), "") << "cut to " << n << " bytes";
  for (size_t at = 20; at < 200; at += 7) {  // a garbled size field of the first object
    bytes[at] ^= 0x5A;
    if (!*write(bytes.size())) {
      DATAFILE* df = load_datafile(path.c_str());  // must not crash when judged sound
      if (df) unload_datafile(df);
    }
    bytes[at] ^= 0x5A;
  }

  // Made by the datafile tool: an object of a type the game does not know is
  // the plain data it holds; one that the library would build from its
  // contents (here plain data marked as a font) is refused.
  const std::string dir = ::testing::TempDir() + "dat" + std::to_string(getpid());
  ASSERT_EQ(std::system(("mkdir -p " + dir + " && cd " + dir + " && printf 'GIF89a?' >P.gif && for t in DATA JPG JPEG; do " +
                         TAVROK_DAT " -c0 -s1 -t $t $t.dat -a P.gif >/dev/null || exit 1; done").c_str()), 0);
  for (const char* type : {"DATA", "JPG", "JPEG"}) {
    path = dir + "/" + type + ".dat";
    EXPECT_STREQ(datafile_sound(path.c_str()), "") << type;
    DATAFILE* df = load_datafile(path.c_str());
    ASSERT_NE(df, nullptr) << type;
    EXPECT_EQ(std::string(static_cast<char*>(df[0].dat), static_cast<size_t>(df[0].size)), "GIF89a?") << type;
    unload_datafile(df);
  }
  bytes = slurp(dir + "/DATA.dat");
  bytes.replace(bytes.find("DATA"), 4, "FONT");
  EXPECT_STREQ(write(bytes.size()), "is damaged: object 0 is not a whole bitmap, palette, music or data object");
}

// What a render must leave in the back buffer: every cell's glyph from
// `sheet`, or with no sheet from the text font in the cell's colours; where
// a blinking cell is hidden, nothing or its background. Rows 400 on keep 77.
void expect_render(BITMAP* sheet, bool hidden) {
  int wrong = 0;
  for (int y = 0; y < 480; y++)
    for (int x = 0; x < 640; x++) {
      const uint8_t* c = cell(x / 8, y / 8 % TROWS);
      bool off = hidden && (c[1] & 0x80), bit = kamenick[c[0] * 8 + y % 8] & (0x80 >> x % 8);
      int want = sheet ? (off ? 0 : sheet->line[c[0] / 16 * 8 + y % 8][c[0] % 16 * 8 + x % 8]) : bit && !off ? c[1] & 15 : c[1] >> 4 & 7;
      wrong += sbuffer->line[y][x] != (y < 400 ? want : 77);
    }
  EXPECT_EQ(wrong, 0) << "pixels wrong";
}

TEST(Renderer, FramesBlinkingAndTheRowsEachRendererCovers) {
  styl(0);
  Gclrscr();
  for (auto [x, y, k, a] : {std::array{0, 0, 0x21, 0x07}, {5, 3, 'A', 0x1E}, {6, 3, 'A', 0x9E}, {10, 10, 37, 0xC6}, {79, 49, 0xFF, 0x87}})
    cell(x, y)[0] = static_cast<uint8_t>(k), cell(x, y)[1] = static_cast<uint8_t>(a);
  rectfill(sbuffer, 0, 400, 639, 479, 77);
  acquire_screen();
  rectfill(screen, 0, 400, 639, 479, 5);
  release_screen();
  FlashCnt = CanHide = 0;
  movefont = 1;
  const std::string shown = "########--------#########--------#";  // blinking cells, render by render
  for (int r = 1; r <= 34; r++) {
    vpic_1font();
    ASSERT_EQ(movefont, r % 4 + 1) << "frames run 2, 3, 4, 1";
    expect_render(EFont04.f[movefont], shown[r - 1] == '-');
  }
  FlashCnt = CanHide = 0;
  for (int r = 1; r <= 9; r++) {
    vpic_2font();
    expect_render(nullptr, r == 9);
  }
  EXPECT_EQ(movefont, 3) << "the text-font renderer never changes the frame";
  acquire_screen();
  for (int y = 0; y < 480; y += 3)
    for (int x = 0; x < 640; x += 7) ASSERT_EQ(getpixel(screen, x, y), y < 400 ? sbuffer->line[y][x] : 5) << x << "," << y;
  release_screen();
}

TEST(Renderer, StyleKeysSwitchOncePerPressAndAForcedStyleDoesNotAdvance) {
  styl(0);
  const struct { char enabled, equals, pad, force; int set, want; } steps[] = {
      {1, 0, 0, 0, 0, 0},                                                                  // no key held
      {1, 1, 0, 0, -1, 1}, {1, 1, 0, 0, -1, 1}, {1, 0, 0, 0, -1, 1}, {1, 1, 0, 0, -1, 2},  // held: one switch
      {1, 0, 0, 0, -1, 2}, {1, 1, 0, 0, -1, 3}, {1, 0, 0, 0, -1, 3}, {1, 1, 0, 0, -1, 0},  // round to the first
      {1, 0, 0, 0, -1, 0}, {1, 0, 1, 0, -1, 1}, {1, 0, 0, 0, -1, 1},                       // the keypad plus
      {0, 1, 0, 0, -1, 1}, {0, 0, 0, 1, 2, 2},                                             // keys off; forced
      {1, 1, 0, 1, -1, 2}, {1, 1, 0, 0, -1, 2}, {1, 0, 0, 0, -1, 2}, {1, 1, 0, 0, -1, 3},  // forced while held
      {0, 0, 0, 0, -1, 3},
  };
  for (size_t i = 0; i < std::size(steps); i++) {
    const auto& s = steps[i];
    EnabledChange = s.enabled, key[KEY_EQUALS] = s.equals, key[KEY_PLUS_PAD] = s.pad, ForceSetFont = s.force;
    if (s.set >= 0) aktF = s.set;
    vpic_1font();
    EXPECT_EQ(aktF * 10 + ForceSetFont, s.want * 10) << "step " << i;
    EXPECT_EQ(AktEFont.f[2], all[s.want]->f[2]) << "step " << i;
  }
}

TEST(Screen, PaletteEntryAndWaits) {
  pal(0, 63, 62, 61);
  RGB c;
  get_color(0, &c);
  EXPECT_EQ(c.r * 10000 + c.g * 100 + c.b, 636261);
  pal(0, 0, 0, 0);
  auto ticks = [](auto wait) {
    int32_t was = ctc.load();
    wait();
    return ctc.load() - was;
  };
  EXPECT_LE(ticks([] { Delay100(0, 0), Delay100(-3, 0), Delay100(0, 0), Delay100(0, 1); }), 1) << "no wait for counts of zero or less";
  for (int k : {KEY_ESC, KEY_SPACE, KEY_ENTER}) {
    key[k] = 1;
    EXPECT_LE(ticks([] { Delay100(40, 1); }), 1) << "a held skip key cuts every wait short: " << k;
    EXPECT_GE(ticks([] { D100(0); }), 1) << "without key abort the keys are ignored: " << k;
    key[k] = 0;
  }
  EXPECT_GE(ticks([] { Delay100(3, 0); }), 3);
  // The game's pace: no wait while a tick is owed, else until the next one,
  // or none while left shift is held; either way the count starts again.
  auto ms = [](int32_t owed) {
    auto start = std::chrono::steady_clock::now();
    ctc = owed;
    pacing();
    EXPECT_EQ(ctc.load(), 0);
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  };
  D100(0);  // just after a tick
  EXPECT_LT(ms(2), 50);
  EXPECT_GT(ms(0), 20);
  key[KEY_LSHIFT] = 1;
  EXPECT_LT(ms(0), 50);
  key[KEY_LSHIFT] = 0;
}

// Steering: the mouse's move since the last look, and a joystick pushed to
// a side as a move of two (enough for a step, which a move of one is not),
// each only when switched on. There is no joystick here: its state is set.
TEST(Screen, MouseAndJoystickSteerOnlyWhenSwitchedOn) {
  JOYSTICK_AXIS_INFO* axis = joy[0].stick[0].axis;
  const struct { uint8_t mouse, stick; int dx, dy, pushed; int32_t x, y; } rows[] = {
      {1, 0, 3, -1, 15, 3, -1}, {0, 0, 3, -1, 15, 0, 0},  // pushed: left, right, up, down in bits 0..3
      {0, 1, 3, -1, 1 | 4, -2, -2}, {0, 1, 0, 0, 2 | 8, 2, 2}, {1, 1, 5, 5, 1, -2, 5}};
  for (const auto& r : rows) {
    inpmouse = r.mouse, inpjoystick = r.stick;
    mouse_x = LX + r.dx, mouse_y = LY + r.dy;
    axis[0].d1 = r.pushed & 1, axis[0].d2 = r.pushed >> 1 & 1, axis[1].d1 = r.pushed >> 2 & 1, axis[1].d2 = r.pushed >> 3;
    mstav();
    EXPECT_EQ(std::make_pair(mstavx, mstavy), std::make_pair(r.x, r.y)) << "mouse " << +r.mouse << ", joystick " << +r.stick;
  }
  inpmouse = inpjoystick = 0;
}

// The scale for a desktop: the largest whose window fits within 90 % of it,
// at least 1; TAVROK_SCALE from 1 to 8 instead, any other value ignored.
TEST(Screen, Scale) {
  const struct { int w, h; const char* asked; int k; } cases[] = {
      {1920, 1080, nullptr, 2}, {3840, 2160, nullptr, 4}, {1422, 1200, nullptr, 1}, {1423, 1200, nullptr, 2},
      {1920, 1066, nullptr, 1}, {640, 480, nullptr, 1},  {0, 0, nullptr, 1},       {1920, 1080, "8", 8},
      {0, 0, "1", 1},           {1920, 1080, "9", 2},    {1920, 1080, "0", 2},     {1920, 1080, "2x", 2},
      {1920, 1080, "", 2}};
  for (const auto& c : cases) EXPECT_EQ(choose_k(c.w, c.h, c.asked), c.k) << c.w << " x " << c.h << " " << (c.asked ? c.asked : "-");
}

// The setup menu's switch to full screen, the library's answers faked: a
// refused switch takes the window again; only when that is refused too does
// the program end with the fatal message.
std::vector<int> modes_asked;
int refused;  // bit 0: full screen, bit 1: a window

TEST(Screen, FullScreenRefusedKeepsTheWindow) {
  gfx_mode = [](int card, int, int, int, int) {
    modes_asked.push_back(card);
    return (card == GFX_AUTODETECT_FULLSCREEN ? refused & 1 : refused & 2) ? -1 : 0;
  };
  for (refused = 0; refused < 2; refused++) {
    modes_asked.clear();
    ActiveEFont(EFont04, fpal04);
    go_fullscreen();
    std::vector<int> asked = {GFX_AUTODETECT_FULLSCREEN, GFX_AUTODETECT_WINDOWED};
    asked.resize(1 + refused);  // the window only when full screen is refused
    EXPECT_EQ(modes_asked, asked);
    EXPECT_EQ(FScr, 1 - refused);
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

// Starts the library, the devices, the timer, the screen and the styles as
// the game does, from the datafile beside the test.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  InitGRF(timerCycle);
  fresh_copy = load_datafile(TAVROK_DATAFILE);
  return RUN_ALL_TESTS();
}
