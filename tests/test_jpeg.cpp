// JPEG loading, every pixel checked against libjpeg's own decoding: colour
// and greyscale at every depth, scaling, the fast options, the palette
// range, the size limits, and bad streams from files and datafiles.
#include <gtest/gtest.h>

#include <allegro.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "pictures/jpegd.h"
#include "tests/files.h"
#include "tests/jpegs.h"

namespace {

const int started = install_allegro(SYSTEM_NONE, &errno, atexit);

// The pictures in tests/jpeg/, made with libjpeg: 64 x 48 of four flat
// quadrants (red, green, blue, white) at quality 95, baseline and (at 90)
// progressive; a grey ramp from left to right; 16 x 16 of one colour.
const std::string colour = slurp(TAVROK_JPEGS "/colour.jpg"), grey = slurp(TAVROK_JPEGS "/grey.jpg"),
                  progressive = slurp(TAVROK_JPEGS "/progressive.jpg");

void set_depth(int depth) { set_color_depth(depth), _color_dept = depth; }

// Says whether a picture was loaded, checks it against libjpeg's decoding
// (unless `want` is empty) and frees it. From 15 bits up every pixel is in
// the library's own format; at 8 bits it is the grey level itself, or a
// palette colour within `tolerance` of the wanted one.
bool check(BITMAP* b, const RGB* pal, const Decoded& want, int tolerance = 0) {
  std::unique_ptr<BITMAP, void (*)(BITMAP*)> hold(b, destroy_bitmap);
  if (!b || want.px.empty()) return b;
  EXPECT_EQ(b->w * 10000 + b->h, want.w * 10000 + want.h);
  int depth = bitmap_color_depth(b), worst = 0;
  for (int y = 0; y < std::min(b->h, want.h); y++)
    for (int x = 0; x < std::min(b->w, want.w); x++) {
      const uint8_t* v = &want.px[static_cast<size_t>((y * want.w + x) * want.comps)];
      int r = v[0], g = v[want.comps / 2], bl = v[want.comps - 1], p = getpixel(b, x, y);
      if (depth > 8 || want.comps == 1)
        worst = std::max(worst, p == (depth > 8 ? makecol_depth(depth, r, g, bl) : r) ? 0 : 999);
      else
        worst = std::max({worst, std::abs(pal[p].r * 255 / 63 - r), std::abs(pal[p].g * 255 / 63 - g),
                          std::abs(pal[p].b * 255 / 63 - bl)});
    }
  EXPECT_LE(worst, tolerance);
  return true;
}

TEST(Jpeg, EveryDepthScaleAndOptionGivesLibjpegsOwnPixels) {
  const std::string paths[2] = {TAVROK_JPEGS "/colour.jpg", TAVROK_JPEGS "/grey.jpg"};
  const struct { int depth; bool grey_stream; jpeg_load_options o; int denom; } rows[] = {  // denom: libjpeg's scale
      // The 8-bit rows first, at the depth the loader starts with.
      {8, false, {0, 1, 0, 0, 256}, 1},  {8, true, {0, 1, 0, 0, 256}, 1},  {8, false, {1, 2, 1, 0, 256}, 2},
      {15, false, {0, 1, 0, 0, 256}, 1}, {15, true, {0, 1, 0, 0, 256}, 1}, {16, false, {0, 1, 0, 0, 256}, 1},
      {16, true, {0, 4, 1, 0, 256}, 4},  {24, false, {0, 1, 0, 0, 256}, 1}, {24, true, {0, 1, 0, 0, 256}, 1},
      {32, false, {0, 1, 0, 0, 256}, 1}, {32, true, {0, 8, 0, 0, 256}, 8},  {32, false, {0, 1, 1, 0, 256}, 1},
      {32, false, {0, 3, 0, 0, 256}, 1}, {32, false, {0, 0, 0, 0, 256}, 1}, {24, false, {1, 1, 0, 0, 256}, 1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(::testing::Message() << r.depth << " bits, grey " << r.grey_stream << ", options " << r.o.grayscale
                                      << r.o.scale_denom << r.o.fast);
    if (r.depth != 8) set_depth(r.depth);
    PALETTE pal;
    Decoded want = decode_jpeg(r.grey_stream ? grey : colour, r.grey_stream || r.o.grayscale, r.denom, r.o.fast);
    EXPECT_TRUE(check(load_jpeg_ex(paths[r.grey_stream].c_str(), pal, &r.o), pal, want, 16));
  }
  set_depth(8);  // every test leaves the depth the loader starts with
}

TEST(Jpeg, PaletteRange) {
  set_depth(8);
  const std::string path = TAVROK_JPEGS "/flat.jpg", flat = slurp(path);
  RGB pal[257], after[257];  // one entry more than a palette, which must stay as it is
  for (auto [first, num] : {std::pair{16, 240}, {248, 8}}) {
    for (int i = 0; i < 257; i++) pal[i] = after[i] = {7, 7, 7, 9};
    const jpeg_load_options o = {0, 1, 0, first, num};
    EXPECT_TRUE(check(load_jpeg_ex(path.c_str(), pal, &o), pal, decode_jpeg(flat, false, 1, false), 8)) << first;
    after[first] = pal[first];
    EXPECT_EQ(std::memcmp(pal, after, sizeof pal), 0) << "only colour " << first << " is set";
  }
  const jpeg_load_options bad[] = {{0, 1, 0, 200, 100}, {0, 1, 0, 0, 257}, {0, 1, 0, 256, 0}, {0, 1, 0, -1, 10}};
  for (const auto& o : bad) EXPECT_EQ(load_jpeg_ex(path.c_str(), pal, &o), nullptr) << o.first_color;
  // Asked for greyscale, a colour picture gives the grey ramp over all 256
  // entries, whatever the range says.
  const jpeg_load_options grey_wanted = {1, 1, 0, 200, 100};
  EXPECT_TRUE(check(load_jpeg_ex(path.c_str(), pal, &grey_wanted), pal, decode_jpeg(flat, true, 1, false)));
  EXPECT_EQ(pal[255].r * 10000 + pal[4].g * 100 + pal[128].b, 630031);
  EXPECT_EQ(pal[256].r + pal[256].g + pal[256].b, 21);
}

TEST(Jpeg, DamagedStreamsSizeLimitsAndNames) {
  set_depth(32);
  const size_t sos = colour.find("\xFF\xDA"), sof = colour.find("\xFF\xC0");
  // The streams that load are completed to full size as libjpeg completes them.
  const struct { const char* what; std::string bytes; bool loads; } rows[] = {
      {"empty", "", false}, {"not a JPEG", "GIF89a and then some", false}, {"cut in the header", colour.substr(0, 100), false},
      {"cut in the middle of the data", colour.substr(0, sos + (colour.size() - sos) / 2), true},
      {"cut before the end marker", colour.substr(0, colour.size() - 2), true},
      {"progressive, cut", progressive.substr(0, progressive.size() * 2 / 3), true}, {"progressive", progressive, true},
  };
  PALETTE pal;
  for (const auto& r : rows)
    EXPECT_EQ(check(load_jpeg(scratch("bad.jpg", r.bytes).c_str(), pal), pal,
                    r.loads ? decode_jpeg(r.bytes, false, 1, false) : Decoded{}), r.loads) << r.what;
  // The largest picture taken is 4096 x 4096, 64 MB at 32 bits.
  for (int h : {4096, 4097}) {
    std::string big = colour;
    big[sof + 5] = static_cast<char>(h >> 8), big[sof + 6] = static_cast<char>(h & 255), big[sof + 7] = 16, big[sof + 8] = 0;
    EXPECT_EQ(check(load_jpeg(scratch("big.jpg", big).c_str(), pal), pal, Decoded{}), h == 4096) << h;
  }
  // An object of a datafile, named FILE.dat#NAME.
  const std::string dir = ::testing::TempDir() + "jpegdat" + std::to_string(getpid());
  std::string cmd = "mkdir -p " + dir + " && cp " TAVROK_JPEGS "/colour.jpg " + dir + "/PIC.jpg && cd " + dir + " && " +
                    TAVROK_DAT + " -c0 -t DATA t.dat -a PIC.jpg >/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_TRUE(check(load_jpeg((dir + "/t.dat#PIC_JPG").c_str(), pal), pal, decode_jpeg(colour, false, 1, false)));
  for (const std::string& name : {dir + "/t.dat#MISSING", std::string("/nonexistent/picture.jpg")})
    EXPECT_FALSE(check(load_jpeg(name.c_str(), pal), pal, Decoded{})) << name;
  set_depth(8);
}

}  // namespace
