// tavrok-introgen: the intro picture, drawn from the game's own tiles by the
// game's own renderer in the 2004 style, stored as a JPEG.
//
//   tavrok-introgen DATAFILE OUT.jpg [--png OUT.png]
//
// The picture is 600 x 1133. Rows 0..239 are the logo band: the name in
// steel-wall letters and a line of lettering on black. The intro lays the
// band over its last image with palette index 0 transparent, so after
// encoding the tool decodes its own JPEG as the intro does (libjpeg's
// two-pass quantiser, 256 colours, Floyd-Steinberg dithering) and checks
// that the band's open background comes out as index 0 and the letters do
// not; if not, it writes nothing and exits with status 1. Rows 240..1132 are
// a cave scene centred on (300, 696), the point the intro zooms out from.
// --png writes the picture as the intro gets it: decoded and quantised.

#include <allegro.h>

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "cave/grid.h"
#include "cave/sets/design.h"
#include "cave/view.h"
#include "screen/kresli.h"
#include "screen/styly.h"
#include "sim/cavefile.h"
#include "sim/png.h"
#include "text/text.h"

namespace {

constexpr int W = 600, H = 1133;
constexpr int BAND = 240;          // rows of the logo band
constexpr int CX = 300, CY = 696;  // the point the intro zooms out from
constexpr int QUALITY = 90;

// ---------------------------------------------------------------------------
// The scene, one character a cave cell, drawn with every glyph doubled (32 x
// 32 pixels a cell). Cell (9, 14) is centred on the zoom point; the outer
// columns lose 4 pixels to the picture's edges, row 0 starts under the band,
// and the intro shows rows 1..27 whole and only slivers of rows 0 and 28.
//
//   ' ' empty          '#' brick wall      'O' boulder       '*' diamond
//   'S' steel wall     'X' exit            'C' converter     'G' growing wall
//   '.' dirt           '~' water           'B' spider        'D' diamond spider
//   '>' '<' '^' 'v'    the player walking right, left, up, down
//   '@'                the player standing
constexpr int SW = 19, SH = 29;
constexpr int CELL = 32;
constexpr int SX0 = CX - 9 * CELL - CELL / 2;   // left edge of column 0
constexpr int SY0 = CY - 14 * CELL - CELL / 2;  // top edge of row 0

constexpr const char* scene[SH] = {
    // 0123456789012345678
    "..O...*....O..O...O",  //  0
    "~~~~~..O.*...OO.*..",  //  1
    "~~~~.....O.. O.O..O",  //  2
    "~~~.*.O..... ......",  //  3
    "~.~..O..*.O. .*.O..",  //  4
    "...O......   ..O..*",  //  5
    ".#######.. ......O.",  //  6
    ".#     #.. .*.O*...",  //  7
    ".#  B  #.. ........",  //  8
    ".#     #..  .O....*",  //  9
    ".###.###.*. ...*...",  // 10
    "...O.*....O ..O.O..",  // 11
    ".*.O...  O  ..*..O.",  // 12
    "..O..       *O.....",  // 13
    ".O.....  >****.O...",  // 14
    "...*..........*...O",  // 15
    "O.O..O.*...O....O..",  // 16
    ".....GGGG.......*..",  // 17
    "..*.O.......O....*.",  // 18
    "...O....*.....*...O",  // 19
    "SSSSS....SSSSSSSXSS",  // 20
    "...*S.O..S**D*S..*.",  // 21
    "..*.S....S****S...O",  // 22
    "...OS....SSSSSS.O..",  // 23
    "..........  B  ....",  // 24
    ".*..O.   .     ....",  // 25
    "..O.....O..*.O..*..",  // 26
    "O.....*....O.......",  // 27
    "..O.......*....O...",  // 28
};

// The element code of a scene character: those of the cave pictures, and
// the player facing each way. An unknown character stops the build.
constexpr int code_of(char c) {
  switch (c) {
    case '@': return E_PLAYER;
    case 'v': return E_PLAYER + 1;
    case '^': return E_PLAYER + 2;
    case '>': return E_PLAYER + 4;
    case '<': return E_PLAYER + 6;
    default: return kod_znaku(c);
  }
}

// A mistake in the scene (a row of the wrong length, an unknown character)
// stops the build here.
constexpr bool scene_sound() {
  for (const char* row : scene) {
    int n = 0;
    for (; row[n] != 0; n++)
      if (code_of(row[n]) < 0) return false;
    if (n != SW) return false;
  }
  return true;
}
static_assert(scene_sound(), "every scene row is 19 cells of the legend's characters");

// ---------------------------------------------------------------------------
// The logo: the name in letters of steel-wall blocks, six blocks wide and
// seven high, stems two blocks wide, and a line of lettering with diamonds
// between the words.
constexpr int LW = 6, LH = 7;
constexpr const char* letters[6][LH] = {
    {"######", "..##..", "..##..", "..##..", "..##..", "..##..", "..##.."},  // T
    {".####.", "##..##", "##..##", "######", "##..##", "##..##", "##..##"},  // A
    {"##..##", "##..##", "##..##", "##..##", ".####.", ".####.", "..##.."},  // V
    {"#####.", "##..##", "##..##", "#####.", "##.##.", "##..##", "##..##"},  // R
    {".####.", "##..##", "##..##", "##..##", "##..##", "##..##", ".####."},  // O
    {"##..##", "##.##.", "####..", "###...", "####..", "##.##.", "##..##"},  // K
};
// The intro shrinks the band to 474 x 152, more in height than in width, so
// blocks and lettering are drawn taller than wide to look square on screen.
constexpr int BW = 14, BH = 20;   // a block: the steel glyph at 1.75 x 2.5
constexpr int LETTERS_TOP = 26;   // first row of the letters
constexpr int OUTLINE = 6;        // the rim around the letters
constexpr int TW = 16, TH = 20;   // a letter of the lettering: 2 x 2.5
constexpr int TAG_TOP = 194;      // first row of the lettering
constexpr const char* tag[] = {"DIG", "COLLECT", "ESCAPE"};
// The rim and the plate under the lettering: dark against the cave, but far
// enough from black that the quantiser does not fold it into index 0.
constexpr uint8_t RIM[3] = {32, 40, 84};

// ---------------------------------------------------------------------------
using Rgb = std::array<uint8_t, 3>;

struct Canvas {
  std::vector<uint8_t> px = std::vector<uint8_t>(static_cast<size_t>(W) * H * 3, 0);
  void put(int x, int y, Rgb c) {
    if (x < 0 || x >= W || y < 0 || y >= H) return;
    std::memcpy(&px[(static_cast<size_t>(y) * W + x) * 3], c.data(), 3);
  }
  bool drawn(int x, int y) const {
    const uint8_t* p = &px[(static_cast<size_t>(y) * W + x) * 3];
    return p[0] | p[1] | p[2];
  }
};

// The text screen as the game's renderer draws it in the 2004 style at
// animation frame f, 640 x 400 pixels; with `dark` the blinking cells (the
// exit) in their dark phase.
struct Shot {
  std::vector<Rgb> px;
  Rgb at(int x, int y) const { return px[static_cast<size_t>(y) * 640 + x]; }
};

Shot shot(int f, bool dark = false) {
  movefont = static_cast<uint8_t>(f);
  CanHide = dark ? 1 : 0;
  kresli_1font();
  Shot s;
  s.px.resize(640 * 400);
  for (int y = 0; y < 400; y++)
    for (int x = 0; x < 640; x++) {
      const RGB& c = fpal04[sbuffer->line[y][x]];
      s.px[static_cast<size_t>(y) * 640 + x] = {static_cast<uint8_t>(c.r << 2 | c.r >> 4),
                                                static_cast<uint8_t>(c.g << 2 | c.g >> 4),
                                                static_cast<uint8_t>(c.b << 2 | c.b >> 4)};
    }
  return s;
}

// Copies the sw x sh pixels at (sx, sy) of a shot to dw x dh pixels at (dx,
// dy), nearest pixel, leaving the rows above `top` alone. Black is copied
// too unless `keep_black` is false.
void stamp(Canvas& pic, const Shot& s, int sx, int sy, int sw, int sh, int dx, int dy, int dw, int dh, int top = 0,
           bool keep_black = true) {
  for (int y = 0; y < dh; y++) {
    if (dy + y < top) continue;
    for (int x = 0; x < dw; x++) {
      Rgb c = s.at(sx + (2 * x + 1) * sw / (2 * dw), sy + (2 * y + 1) * sh / (2 * dh));
      if (keep_black || c[0] | c[1] | c[2]) pic.put(dx + x, dy + y, c);
    }
  }
}

void draw_scene(Canvas& pic) {
  // The scene goes through the cave grid and the cave view 25 rows at a
  // time, then from the view onto the text screen, which the renderer draws
  // in all four frames; each cell takes one of them, so the diamonds and the
  // water do not all glint alike.
  for (int top = 0; top < SH; top += CH) {
    sektor.fill(E_EMPTY);
    for (int y = 0; y < CH && top + y < SH; y++)
      for (int x = 0; x < SW; x++) sektor[at(x, y)] = static_cast<uint8_t>(code_of(scene[top + y][x]));
    va = 0;
    citac = 0;
    zobraz();
    for (int r = 0; r < TROWS; r++) std::memcpy(cell(0, r), mb800 + (r + 2) * VSTRIDE + 4, TCOLS * 2);
    Shot frames[4] = {shot(1, true), shot(2, true), shot(3, true), shot(4, true)};
    for (int y = 0; y < CH && top + y < SH; y++)
      for (int x = 0; x < SW; x++) {
        const Shot& s = frames[(x * 3 + (top + y) * 2) % 4];
        stamp(pic, s, 16 * x, 16 * y, 16, 16, SX0 + CELL * x, SY0 + CELL * (top + y), CELL, CELL, BAND);
      }
  }
}

void fill_disc_rect(Canvas& pic, int x0, int y0, int x1, int y1, int r, Rgb c) {
  // A rectangle with corners rounded to radius r, inclusive bounds.
  for (int y = y0; y <= y1; y++)
    for (int x = x0; x <= x1; x++) {
      int cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) pic.put(x, y, c);
    }
}

void draw_logo(Canvas& pic) {
  // The glyphs come from the text screen: the steel block at (0, 0), the
  // diamond at (2, 0), the lettering from row 2 on.
  SColor = 0x0F;
  Gclrscr();
  cell(0, 0)[0] = 37;
  cell(2, 0)[0] = 33, cell(3, 0)[0] = 34, cell(2, 1)[0] = 35, cell(3, 1)[0] = 36;
  std::string words;
  for (const char* w : tag) words += w;
  for (size_t i = 0; i < words.size(); i++) cell(static_cast<int>(i), 2)[0] = static_cast<uint8_t>(words[i]);
  Shot s = shot(1);

  const int n = static_cast<int>(std::size(letters));
  const int left = (W - (n * (LW + 1) - 1) * BW) / 2;
  const Rgb rim = {RIM[0], RIM[1], RIM[2]};
  for (int pass = 0; pass < 2; pass++)
    for (int l = 0; l < n; l++)
      for (int r = 0; r < LH; r++)
        for (int c = 0; c < LW; c++) {
          if (letters[l][r][c] != '#') continue;
          int x = left + (l * (LW + 1) + c) * BW, y = LETTERS_TOP + r * BH;
          if (pass == 0)
            fill_disc_rect(pic, x - OUTLINE, y - OUTLINE, x + BW - 1 + OUTLINE, y + BH - 1 + OUTLINE, OUTLINE, rim);
          else
            stamp(pic, s, 0, 0, 8, 8, x, y, BW, BH);
        }

  // The lettering: the 2004 style's letters at 2 x 2.5, a diamond between
  // two words, on a rounded plate of the rim's colour.
  const int gap = 2 * TW;  // two spaces
  int width = 0;
  for (const char* w : tag) width += static_cast<int>(std::strlen(w)) * TW;
  width += (static_cast<int>(std::size(tag)) - 1) * (TW + 2 * gap);
  int x = (W - width) / 2;
  fill_disc_rect(pic, x - 24, TAG_TOP - 10, x + width - 1 + 24, TAG_TOP + TH - 1 + 10, 10, rim);
  int at_char = 0;
  for (size_t w = 0; w < std::size(tag); w++) {
    if (w > 0) {
      x += gap;
      stamp(pic, s, 16, 0, 16, 16, x, TAG_TOP, TW, TH, 0, false);
      x += TW + gap;
    }
    for (const char* ch = tag[w]; *ch; ch++, at_char++, x += TW)
      stamp(pic, s, 8 * at_char, 16, 8, 8, x, TAG_TOP, TW, TH, 0, false);
  }
}

// ---------------------------------------------------------------------------
// libjpeg's errors end the tool: they are faults of the tool, not of its input.
std::string jpeg_what;

void jpeg_fail(j_common_ptr c) {
  char msg[JMSG_LENGTH_MAX];
  (*c->err->format_message)(c, msg);
  std::fprintf(stderr, "%s: %s: libjpeg: %s\n", tool_name, jpeg_what.c_str(), msg);
  std::exit(1);
}

std::vector<uint8_t> encode(const Canvas& pic) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  err.error_exit = jpeg_fail;
  jpeg_create_compress(&c);
  unsigned char* buf = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buf, &size);
  c.image_width = W;
  c.image_height = H;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, QUALITY, TRUE);
  // Full colour resolution: the tiles' colours change from pixel to pixel.
  for (int i = 0; i < c.num_components; i++) c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
  c.optimize_coding = TRUE;
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(&pic.px[static_cast<size_t>(c.next_scanline) * W * 3]);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<uint8_t> out(buf, buf + size);
  std::free(buf);
  jpeg_destroy_compress(&c);
  return out;
}

// The picture as the intro loads it: 8-bit pixels and their palette.
struct Quantised {
  std::vector<uint8_t> px;
  std::array<std::array<uint8_t, 3>, 256> rgb{};
  int colours = 0;
};

Quantised decode(const std::vector<uint8_t>& jpg) {
  jpeg_decompress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  err.error_exit = jpeg_fail;
  jpeg_create_decompress(&c);
  jpeg_mem_src(&c, jpg.data(), jpg.size());
  jpeg_read_header(&c, TRUE);
  c.out_color_space = JCS_RGB;
  c.quantize_colors = TRUE;
  c.desired_number_of_colors = 256;
  c.two_pass_quantize = TRUE;
  c.dither_mode = JDITHER_FS;
  jpeg_start_decompress(&c);
  if (c.output_width != W || c.output_height != H || c.out_color_components != 3) {
    std::fprintf(stderr, "%s: %s: decodes to %u x %u\n", tool_name, jpeg_what.c_str(), c.output_width,
                 c.output_height);
    std::exit(1);
  }
  Quantised q;
  q.px.resize(static_cast<size_t>(W) * H);
  while (c.output_scanline < c.output_height) {
    JSAMPROW row = &q.px[static_cast<size_t>(c.output_scanline) * W];
    jpeg_read_scanlines(&c, &row, 1);
  }
  q.colours = c.actual_number_of_colors;
  for (int i = 0; i < q.colours; i++)
    for (int k = 0; k < 3; k++) q.rgb[i][k] = c.colormap[k][i];
  jpeg_finish_decompress(&c);
  jpeg_destroy_decompress(&c);
  return q;
}

// Checks the band as the intro will blit it. Open background: band pixels
// with nothing drawn within 8 pixels (so in JPEG blocks of black alone, away
// from the letters' ringing), and the band's four corners; every one must be
// index 0. Solid logo: pixels whose 5 x 5 neighbourhood is all drawn; they
// must not be index 0, or the cave shows through the logo. A lone dark pixel
// that dithers to index 0 cannot be seen, so up to one in a thousand may.
// Returns an empty string or what is wrong.
std::string check_band(const Canvas& pic, const Quantised& q) {
  // Drawn pixels counted over rectangles, by a summed-area table.
  std::vector<int> sum(static_cast<size_t>(W + 1) * (H + 1), 0);
  auto S = [&](int x, int y) -> int& { return sum[static_cast<size_t>(y) * (W + 1) + x]; };
  for (int y = 0; y < H; y++)
    for (int x = 0; x < W; x++) S(x + 1, y + 1) = pic.drawn(x, y) + S(x, y + 1) + S(x + 1, y) - S(x, y);
  auto drawn_near = [&](int x, int y, int r) {
    int x0 = std::max(0, x - r), y0 = std::max(0, y - r), x1 = std::min(W, x + r + 1), y1 = std::min(H, y + r + 1);
    return S(x1, y1) - S(x0, y1) - S(x1, y0) + S(x0, y0);
  };
  auto area = [](int r) { return (2 * r + 1) * (2 * r + 1); };
  auto describe = [&](int x, int y) {
    int i = q.px[static_cast<size_t>(y) * W + x];
    return "(" + std::to_string(x) + ", " + std::to_string(y) + ") is index " + std::to_string(i) + " (" +
           std::to_string(q.rgb[i][0]) + ", " + std::to_string(q.rgb[i][1]) + ", " + std::to_string(q.rgb[i][2]) +
           ")";
  };
  int open = 0, solid = 0, holes = 0;
  std::string hole;
  for (int y = 0; y < BAND; y++)
    for (int x = 0; x < W; x++) {
      bool corner = (x == 0 || x == W - 1) && (y == 0 || y == BAND - 1);
      int i = q.px[static_cast<size_t>(y) * W + x];
      if (corner || drawn_near(x, y, 8) == 0) {
        open++;
        if (i != 0) return "the logo's background at " + describe(x, y) + ", not 0";
      } else if (x >= 2 && y >= 2 && x < W - 2 && drawn_near(x, y, 2) == area(2)) {
        solid++;
        if (i == 0 && holes++ == 0) hole = describe(x, y);
      }
    }
  if (open < W * BAND / 10 || solid < 1000) return "the band holds too little background or too little logo to check";
  if (holes > solid / 1000)
    return "the logo has " + std::to_string(holes) + " pixels at index 0, which the intro shows as transparent; " +
           "the first: " + hole;
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  tool_name = "tavrok-introgen";
  std::vector<std::string> files;
  std::string png;
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    if (a == "--png") {
      if (i + 1 >= argc) tool_fail("--png needs a file name");
      png = argv[++i];
    } else if (a.size() > 1 && a[0] == '-') {
      tool_fail("unknown option '" + a + "'");
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 2) tool_fail("usage: tavrok-introgen DATAFILE OUT.jpg [--png OUT.png]");
  const std::string& data = files[0];
  const std::string& out = files[1];

  install_allegro(SYSTEM_NONE, &errno, atexit);
  DATAFILE* df = nullptr;
  const char* why = open_styles(data.c_str(), &df);
  if (*why) tool_fail(data + ": " + why);
  init_mb800();
  styl(0);

  Canvas pic;
  draw_logo(pic);
  draw_scene(pic);
  destroy_bitmap(sbuffer);
  sbuffer = nullptr;
  unload_datafile(df);

  jpeg_what = out;
  std::vector<uint8_t> jpg = encode(pic);
  Quantised q = decode(jpg);
  std::string wrong = check_band(pic, q);
  if (!wrong.empty()) {
    std::fprintf(stderr, "%s: %s: %s\n", tool_name, out.c_str(), wrong.c_str());
    return 1;
  }

  FILE* f = std::fopen(out.c_str(), "wb");
  if (!f) tool_fail(out + ": cannot write: " + std::strerror(errno));
  bool ok = std::fwrite(jpg.data(), 1, jpg.size(), f) == jpg.size();
  if (std::fclose(f) != 0 || !ok) tool_fail(out + ": cannot write");
  if (!png.empty() && !write_png(png, W, H, q.px, q.rgb)) tool_fail(png + ": cannot write");
  return 0;
}
