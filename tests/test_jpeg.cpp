// JPEG loading on streams the tests make with libjpeg: colour and greyscale
// at every depth, the palette range, scaling, and every way a stream can be
// bad, from files, datafile objects and memory.
#include <gtest/gtest.h>

#include <allegro.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "pictures/jpegd.h"
#include "tests/jpegs.h"

namespace {

// Four flat quadrants: red, green, blue, white; 64 x 48.
constexpr uint32_t quadrant_colours[4] = {0xE02010, 0x20C040, 0x2040E0, 0xF0F0F0};
std::vector<uint32_t> quadrants(int w, int h) {
  std::vector<uint32_t> v;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) v.push_back(quadrant_colours[(y >= h / 2) * 2 + (x >= w / 2)]);
  return v;
}
std::vector<uint32_t> grey_ramp(int w, int h) {
  std::vector<uint32_t> v;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) v.push_back(static_cast<uint32_t>(x * 255 / (w - 1)));
  return v;
}

const std::string colour = encode_jpeg(64, 48, quadrants(64, 48), false);
const std::string grey = encode_jpeg(64, 48, grey_ramp(64, 48), true);

std::string file(const std::string& name, const std::string& bytes) {
  std::string path = ::testing::TempDir() + std::to_string(getpid()) + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

// The centre pixel of each quadrant, as 8-bit channels.
void expect_quadrants(BITMAP* b, const PALETTE pal, int tolerance) {
  ASSERT_NE(b, nullptr);
  for (int q = 0; q < 4; q++) {
    int x = b->w / 4 + (q % 2) * b->w / 2, y = b->h / 4 + (q / 2) * b->h / 2;
    int p = getpixel(b, x, y), r, g, bl;
    if (bitmap_color_depth(b) == 8)
      r = pal[p].r * 255 / 63, g = pal[p].g * 255 / 63, bl = pal[p].b * 255 / 63;
    else
      r = getr_depth(bitmap_color_depth(b), p), g = getg_depth(bitmap_color_depth(b), p),
      bl = getb_depth(bitmap_color_depth(b), p);
    uint32_t want = quadrant_colours[q];
    EXPECT_NEAR(r, static_cast<int>(want >> 16), tolerance) << "quadrant " << q;
    EXPECT_NEAR(g, static_cast<int>(want >> 8 & 255), tolerance) << "quadrant " << q;
    EXPECT_NEAR(bl, static_cast<int>(want & 255), tolerance) << "quadrant " << q;
  }
}

class Jpeg : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { install_allegro(SYSTEM_NONE, &errno, atexit); }
  void TearDown() override {
    set_color_depth(8);
    _color_dept = 8;
  }
};

TEST_F(Jpeg, ColourAndGreyAtEveryDepth) {
  const std::string path = file("c.jpg", colour), grey_path = file("g.jpg", grey);
  for (int depth : {8, 15, 16, 24, 32}) {
    SCOPED_TRACE(depth);
    set_color_depth(depth);
    _color_dept = depth;
    PALETTE pal;
    BITMAP* b = load_jpeg(path.c_str(), pal);
    expect_quadrants(b, pal, depth == 8 ? 16 : 10);
    if (b) {
      EXPECT_EQ(b->w * 100 + b->h, 6448);
    }
    destroy_bitmap(b);

    // Greyscale: the pixel at column x is grey x * 255 / 63, as a ramp index
    // in 8 bits.
    b = load_jpeg(grey_path.c_str(), pal);
    ASSERT_NE(b, nullptr);
    for (int x : {0, 21, 63}) {
      int p = getpixel(b, x, 10), want = x * 255 / 63;
      int v = depth == 8 ? p : getg_depth(depth, p);
      EXPECT_NEAR(v, want, depth == 8 ? 6 : 12) << "column " << x;
    }
    destroy_bitmap(b);
  }
}

TEST_F(Jpeg, PaletteRangeAndGreyRamp) {
  const std::string path = file("c.jpg", colour);
  PALETTE pal;
  for (int i = 0; i < 256; i++) pal[i].r = pal[i].g = pal[i].b = 7, pal[i].filler = 9;

  const jpeg_load_options upper = {0, 1, 0, 16, 240};
  BITMAP* b = load_jpeg_ex(path.c_str(), pal, &upper);
  expect_quadrants(b, pal, 16);
  for (int y = 0; b && y < b->h; y++)
    for (int x = 0; x < b->w; x++) ASSERT_GE(getpixel(b, x, y), 16);
  for (int i = 0; i < 16; i++) EXPECT_EQ(pal[i].r + pal[i].g + pal[i].b, 21) << "entry " << i << " kept";
  EXPECT_EQ(pal[16].filler, 9) << "the filler byte is left alone";
  destroy_bitmap(b);

  const jpeg_load_options bad[] = {{0, 1, 0, 200, 100}, {0, 1, 0, 0, 257}, {0, 1, 0, 256, 0}, {0, 1, 0, -1, 10}};
  for (const auto& o : bad) EXPECT_EQ(load_jpeg_ex(path.c_str(), pal, &o), nullptr) << o.first_color;

  // Asked for greyscale, a colour picture gives the grey ramp over all 256
  // entries, whatever the range says.
  const jpeg_load_options grey_wanted = {1, 1, 0, 200, 100};
  b = load_jpeg_ex(path.c_str(), pal, &grey_wanted);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(pal[255].r, 63);
  EXPECT_EQ(pal[4].g, 0);
  EXPECT_EQ(pal[128].b, 31);
  destroy_bitmap(b);
}

TEST_F(Jpeg, ScaleAndFast) {
  const std::string path = file("s.jpg", encode_jpeg(100, 75, quadrants(100, 75), false));
  const struct {
    int denom, fast, w, h;
  } rows[] = {{1, 0, 100, 75}, {2, 1, 50, 38}, {4, 0, 25, 19}, {8, 1, 13, 10}, {3, 0, 100, 75}, {0, 1, 100, 75}};
  for (const auto& r : rows) {
    PALETTE pal;
    const jpeg_load_options o = {0, r.denom, r.fast, 0, 256};
    BITMAP* b = load_jpeg_ex(path.c_str(), pal, &o);
    ASSERT_NE(b, nullptr) << r.denom;
    EXPECT_EQ(b->w, r.w) << r.denom;
    EXPECT_EQ(b->h, r.h) << r.denom;
    destroy_bitmap(b);
  }
}

TEST_F(Jpeg, BadStreams) {
  PALETTE pal;
  const std::string progressive = encode_jpeg(64, 48, quadrants(64, 48), false, 90, true);
  // Halfway through the entropy-coded data of the (first) scan.
  const size_t sos = colour.find("\xFF\xDA"), half = sos + (colour.size() - sos) / 2;
  const struct {
    const char* what;
    std::string bytes;
    bool loads;
  } rows[] = {
      {"empty", "", false},
      {"not a JPEG", "GIF89a and then some", false},
      {"cut inside the header", colour.substr(0, 100), false},
      {"cut in the middle of the data", colour.substr(0, half), true},
      {"cut before the end marker", colour.substr(0, colour.size() - 2), true},
      {"progressive, cut", progressive.substr(0, progressive.size() * 2 / 3), true},
      {"progressive", progressive, true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    BITMAP* b = load_jpeg(file("bad.jpg", r.bytes).c_str(), pal);
    EXPECT_EQ(b != nullptr, r.loads);
    if (b) {
      EXPECT_EQ(b->w * 100 + b->h, 6448) << "completed to its full size";
    }
    destroy_bitmap(b);
    // The same from memory.
    PACKFILE* f = memory_packfile(r.bytes);
    const jpeg_load_options o = {0, 1, 0, 0, 256};
    b = load_jpeg_pf(f, pal, &o);
    pack_fclose(f);
    EXPECT_EQ(b != nullptr, r.loads);
    destroy_bitmap(b);
  }
  EXPECT_EQ(load_jpeg("/nonexistent/picture.jpg", pal), nullptr);
}

TEST_F(Jpeg, ObjectInsideADatafile) {
  const std::string dir = ::testing::TempDir() + "jpegdat" + std::to_string(getpid());
  const std::string jpg = file("PIC.jpg", colour);
  std::string cmd = "mkdir -p " + dir + " && cp " + jpg + " " + dir + "/PIC.jpg && cd " + dir + " && " + TAVROK_DAT +
                    " -c0 -t DATA t.dat -a PIC.jpg >/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  PALETTE pal;
  BITMAP* b = load_jpeg((dir + "/t.dat#PIC_JPG").c_str(), pal);
  expect_quadrants(b, pal, 16);
  destroy_bitmap(b);
  EXPECT_EQ(load_jpeg((dir + "/t.dat#MISSING").c_str(), pal), nullptr);
}

}  // namespace
