// tavrok-icongen: the desktop icons, drawn from the game's own tiles by the
// game's own renderer in the 2004 style.
//
//   tavrok-icongen DATAFILE OUTDIR
//
// Writes OUTDIR/N.png for N = 16, 32, 48, 64, 128 and 256: N x N pixels with
// a transparent background. From 32 pixels up the icon is the player beside
// a diamond above two cells of dirt, scaled up pixel by pixel; at 16 pixels,
// where two cells cannot be told apart, it is the player alone at his size
// in the game. OUTDIR/tavrok.ico holds the 16, 32, 48 and 256 pixel ones,
// as PNG images, for the Windows program; OUTDIR/tavrok_xpm.cpp the 48 pixel
// one as the XPM picture the X11 window carries (`tavrok_xpm`).

#include <allegro.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "cave/grid.h"
#include "cave/view.h"
#include "screen/kresli.h"
#include "screen/styly.h"
#include "sim/cavefile.h"
#include "sim/png.h"
#include "text/text.h"

namespace {

using Rgb = std::array<uint8_t, 3>;

// A picture of whole cave cells, 16 x 16 pixels each.
struct Picture {
  int w = 0, h = 0;
  std::vector<Rgb> px;
  std::vector<bool> clear;  // transparent pixels
  Rgb at(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};

// Cells of element codes, row by row, as the renderer draws them at
// animation frame 1.
Picture render(const std::vector<std::vector<uint8_t>>& cells) {
  sektor.fill(E_EMPTY);
  for (size_t y = 0; y < cells.size(); y++)
    for (size_t x = 0; x < cells[y].size(); x++) sektor[at(static_cast<int>(x), static_cast<int>(y))] = cells[y][x];
  va = 0;
  citac = 0;
  zobraz();
  for (int r = 0; r < TROWS; r++) std::memcpy(cell(0, r), mb800 + (r + 2) * VSTRIDE + 4, TCOLS * 2);
  movefont = 1;
  CanHide = 0;
  kresli_1font();
  Picture p;
  p.w = 16 * static_cast<int>(cells[0].size());
  p.h = 16 * static_cast<int>(cells.size());
  for (int y = 0; y < p.h; y++)
    for (int x = 0; x < p.w; x++) {
      const RGB& c = fpal04[sbuffer->line[y][x]];
      p.px.push_back({static_cast<uint8_t>(c.r << 2 | c.r >> 4), static_cast<uint8_t>(c.g << 2 | c.g >> 4),
                      static_cast<uint8_t>(c.b << 2 | c.b >> 4)});
    }
  // The background: every black pixel of the figures' cells (the player,
  // the diamond). The dirt keeps its black specks.
  p.clear.assign(p.px.size(), false);
  for (int y = 0; y < p.h; y++)
    for (int x = 0; x < p.w; x++) {
      size_t i = static_cast<size_t>(y) * p.w + x;
      p.clear[i] = cells[y / 16][x / 16] != E_DIRT && p.px[i] == Rgb{0, 0, 0};
    }
  return p;
}

// An XPM picture of n x n palette indices (0 transparent) as C++ source:
// two characters a pixel, from a 16-letter alphabet.
void write_xpm(int n, const std::vector<uint8_t>& px, const std::array<Rgb, 256>& rgb, int colours,
               const std::string& path) {
  auto code = [](int i) { return std::string{static_cast<char>('a' + i / 16), static_cast<char>('a' + i % 16)}; };
  std::string x = "// The game's 48 pixel icon for the X11 window, drawn by tavrok-icongen.\n";
  x += "extern const char* const tavrok_xpm[];\nconst char* const tavrok_xpm[] = {\n\"" + std::to_string(n) + " " +
       std::to_string(n) + " " + std::to_string(colours) + " 2\",\n\"" + code(0) + " c None\",\n";
  char hex[8];
  for (int i = 1; i < colours; i++) {
    std::snprintf(hex, sizeof hex, "#%02X%02X%02X", rgb[i][0], rgb[i][1], rgb[i][2]);
    x += "\"" + code(i) + " c " + hex + "\",\n";
  }
  for (int y = 0; y < n; y++) {
    x += "\"";
    for (int i = 0; i < n; i++) x += code(px[static_cast<size_t>(y) * n + i]);
    x += y + 1 < n ? "\",\n" : "\"};\n";
  }
  std::ofstream f(path);
  if (!(f << x)) tool_fail(path + ": cannot write");
}

// The picture scaled to n x n, nearest pixel, as a palette PNG whose index 0
// is transparent; at 48 pixels also as the window's XPM picture.
void write_icon(const Picture& p, int n, const std::string& path) {
  std::array<Rgb, 256> rgb{};
  std::map<Rgb, uint8_t> index;
  std::vector<uint8_t> px(static_cast<size_t>(n) * n);
  for (int y = 0; y < n; y++)
    for (int x = 0; x < n; x++) {
      int sx = (2 * x + 1) * p.w / (2 * n), sy = (2 * y + 1) * p.h / (2 * n);
      if (p.clear[static_cast<size_t>(sy) * p.w + sx]) continue;
      Rgb c = p.at(sx, sy);
      auto it = index.find(c);
      if (it == index.end()) {
        if (index.size() == 255) tool_fail(path + ": the icon has more than 255 colours");
        it = index.emplace(c, static_cast<uint8_t>(index.size() + 1)).first;
        rgb[it->second] = c;
      }
      px[static_cast<size_t>(y) * n + x] = it->second;
    }
  if (!write_png(path, n, n, px, rgb, 0)) tool_fail(path + ": cannot write");
  if (n == 48) write_xpm(n, px, rgb, static_cast<int>(index.size()) + 1, path.substr(0, path.rfind('/')) + "/tavrok_xpm.cpp");
}

// A Windows icon file of the PNG files: the directory of 16-byte entries
// (a size of 256 written as 0), then the images.
void write_ico(const std::string& out, const std::vector<int>& sizes) {
  std::vector<std::string> images;
  for (int n : sizes) {
    std::ifstream in(out + "/" + std::to_string(n) + ".png", std::ios::binary);
    images.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string ico;
  auto le = [&ico](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; i++) ico += static_cast<char>(v >> 8 * i & 255);
  };
  le(0, 2), le(1, 2), le(static_cast<uint32_t>(sizes.size()), 2);
  uint32_t at = static_cast<uint32_t>(6 + 16 * sizes.size());
  for (size_t i = 0; i < sizes.size(); i++) {
    le(sizes[i] & 255, 1), le(sizes[i] & 255, 1), le(0, 2), le(1, 2), le(32, 2);
    le(static_cast<uint32_t>(images[i].size()), 4), le(at, 4);
    at += static_cast<uint32_t>(images[i].size());
  }
  for (const std::string& image : images) ico += image;
  std::ofstream f(out + "/tavrok.ico", std::ios::binary);
  if (!(f << ico)) tool_fail(out + "/tavrok.ico: cannot write");
}

}  // namespace

int main(int argc, char** argv) {
  tool_name = "tavrok-icongen";
  if (argc != 3) tool_fail("usage: tavrok-icongen DATAFILE OUTDIR");
  const std::string data = argv[1], out = argv[2];

  install_allegro(SYSTEM_NONE, &errno, atexit);
  DATAFILE* df = nullptr;
  const char* why = open_styles(data.c_str(), &df);
  if (*why) tool_fail(data + ": " + why);
  init_mb800();
  styl(0);

  // The player walking right, towards the diamond.
  const uint8_t walker = E_PLAYER + 4;
  Picture scene = render({{walker, E_DIAMOND}, {E_DIRT, E_DIRT}});
  Picture alone = render({{walker}});
  for (int n : {16, 32, 48, 64, 128, 256}) write_icon(n < 32 ? alone : scene, n, out + "/" + std::to_string(n) + ".png");
  write_ico(out, {16, 32, 48, 256});
  destroy_bitmap(sbuffer);
  unload_datafile(df);
  return 0;
}
