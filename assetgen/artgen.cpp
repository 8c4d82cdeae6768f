// tavrok-artgen: turns the art sources in assets/ into the glyph sheets and
// palettes of the graphic styles (8-bit BMP files that the datafile tool
// packs), the text glyph table `kamenick` as C++ source, and contact sheets
// for the artists.
//
//   tavrok-artgen ASSETS OUTDIR                 sheets, palettes, kamenick.cpp
//   tavrok-artgen ASSETS --contact STYLE PNG    one style's sheets as a picture
//
// Sources (see assets/README.md): assets/fonts/NAME.txt and
// assets/styles/STYLE.txt for the styles 2004, c64, zx, 1994 and text.

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "sim/png.h"

namespace {

[[noreturn]] void fail(const std::string& msg) {
  std::fprintf(stderr, "tavrok-artgen: %s\n", msg.c_str());
  std::exit(2);
}

using Glyph = std::array<uint8_t, 8>;  // rows, bit 7 leftmost
using Sheet = std::vector<uint8_t>;    // 128 x 128 palette indices
using Rgb6 = std::array<uint8_t, 3>;   // 0..63 each

// Where each tile's picture goes: its size in glyphs and its glyph codes,
// row by row.
struct TileDef {
  const char* name;
  int w, h;
  std::vector<int> glyphs;
};
const std::vector<TileDef> tiles = {
    {"brick", 1, 1, {0}},
    {"player_down_top", 2, 1, {1, 2}},
    {"player_down_a", 2, 1, {3, 4}},
    {"player_down_b", 2, 1, {5, 6}},
    {"player_up_top", 2, 1, {7, 8}},
    {"player_up_a", 2, 1, {9, 10}},
    {"player_up_b", 2, 1, {11, 12}},
    {"player_right_top", 2, 1, {13, 14}},
    {"player_right_a", 2, 1, {15, 16}},
    {"player_right_b", 2, 1, {17, 18}},
    {"player_left_top", 2, 1, {19, 20}},
    {"player_left_a", 2, 1, {21, 22}},
    {"player_left_b", 2, 1, {23, 24}},
    {"boulder", 2, 2, {25, 26, 27, 28}},
    {"explosion1", 1, 1, {29}},
    {"explosion2", 1, 1, {30}},
    {"dirt", 1, 1, {31}},
    {"diamond", 2, 2, {33, 34, 35, 36}},
    {"steel", 1, 1, {37}},
    {"water", 2, 2, {38, 39, 40, 41}},
    {"spider", 2, 2, {42, 43, 44, 45}},
    {"dspider_a", 2, 2, {128, 129, 130, 131}},
    {"dspider_b", 2, 2, {132, 133, 134, 135}},
    {"converter", 2, 2, {144, 145, 160, 161}},
    {"growing", 2, 2, {146, 147, 162, 163}},
};

struct Source {
  std::string path;
  std::vector<std::string> lines;
  size_t at = 0;
  [[noreturn]] void error(const std::string& msg) const {
    fail(path + " line " + std::to_string(at) + ": " + msg);
  }
  // Next line that is not empty or a comment; false at the end.
  bool next(std::string& line) {
    while (at < lines.size()) {
      line = lines[at++];
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
      if (!line.empty() && line[0] != '#') return true;
    }
    return false;
  }
  // The next n picture rows, taken as they stand.
  std::vector<std::string> rows(int n, size_t width) {
    std::vector<std::string> r;
    for (int i = 0; i < n; i++) {
      if (at >= lines.size()) error("the picture ends early");
      std::string l = lines[at++];
      while (!l.empty() && l.back() == '\r') l.pop_back();
      if (l.size() != width) error("picture row of " + std::to_string(l.size()) + " characters, expected " +
                                   std::to_string(width));
      r.push_back(l);
    }
    return r;
  }
};

Source open(const std::string& path) {
  std::ifstream f(path);
  if (!f) fail(path + ": cannot open");
  Source s{path, {}, 0};
  for (std::string l; std::getline(f, l);) s.lines.push_back(l);
  return s;
}

// A font file: "glyph CODE" (decimal, 0xHEX or 'c') then 8 rows of '#' and '.'.
std::map<int, Glyph> read_font(const std::string& path) {
  Source s = open(path);
  std::map<int, Glyph> font;
  for (std::string line; s.next(line);) {
    std::istringstream w(line);
    std::string word, code;
    w >> word >> code;
    if (word != "glyph" || code.empty()) s.error("expected 'glyph CODE'");
    int k;
    if (code.size() == 3 && code[0] == '\'' && code[2] == '\'')
      k = static_cast<unsigned char>(code[1]);
    else
      k = static_cast<int>(std::strtol(code.c_str(), nullptr, 0));
    if (k < 0 || k > 255) s.error("glyph code outside 0..255");
    if (font.count(k)) s.error("glyph " + code + " given twice");
    Glyph g{};
    auto rows = s.rows(8, 8);
    for (int r = 0; r < 8; r++)
      for (int c = 0; c < 8; c++) {
        char ch = rows[r][c];
        if (ch != '#' && ch != '.') s.error("font rows hold only '#' and '.'");
        if (ch == '#') g[r] |= static_cast<uint8_t>(0x80 >> c);
      }
    font[k] = g;
  }
  return font;
}

struct Style {
  std::string name;
  std::array<Rgb6, 256> pal{};
  std::map<char, int> letter;  // colour letter -> palette index
  int pixelw = 1;              // characters of a picture row stand for this many pixels each
  bool twocolour = false;      // at most two colours in every glyph
  bool allglyphs = false;      // the text style: every code from the font
  std::string font;
  std::array<int, 8> fontcolours{};
  std::map<std::string, std::vector<std::vector<std::string>>> pictures;  // tile -> frames
};

Style read_style(const std::string& assets, const std::string& name) {
  Source s = open(assets + "/styles/" + name + ".txt");
  Style st;
  st.name = name;
  st.letter['.'] = 0;
  bool in_palette = false;
  auto colour = [&](const std::string& l) {
    if (l.size() != 1 || !st.letter.count(l[0])) s.error("unknown colour letter '" + l + "'");
    return st.letter[l[0]];
  };
  for (std::string line; s.next(line);) {
    std::istringstream w(line);
    std::string word;
    w >> word;
    if (word == "palette") {
      in_palette = true;
    } else if (in_palette && word.size() == 1) {
      int idx, r, g, b;
      if (!(w >> idx >> r >> g >> b) || idx < 0 || idx > 255 || r < 0 || r > 63 || g < 0 || g > 63 || b < 0 ||
          b > 63)
        s.error("palette lines are: LETTER INDEX R G B, index 0..255, colours 0..63");
      if (word[0] == '.' && idx != 0) s.error("'.' is always index 0");
      if (word[0] != '.' && st.letter.count(word[0])) s.error("colour letter '" + word + "' given twice");
      st.letter[word[0]] = idx;
      st.pal[idx] = {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
    } else if (word == "pixels") {
      in_palette = false;
      std::string v;
      w >> v;
      if (v == "1x1")
        st.pixelw = 1;
      else if (v == "2x1")
        st.pixelw = 2;
      else
        s.error("pixels is 1x1 or 2x1");
    } else if (word == "twocolour") {
      in_palette = false;
      st.twocolour = true;
    } else if (word == "allglyphs") {
      in_palette = false;
      st.allglyphs = true;
    } else if (word == "font") {
      in_palette = false;
      w >> st.font;
    } else if (word == "fontcolours") {
      in_palette = false;
      for (int& c : st.fontcolours) {
        std::string l;
        w >> l;
        c = colour(l);
      }
    } else if (word == "tile") {
      in_palette = false;
      std::string t;
      w >> t;
      auto def = std::find_if(tiles.begin(), tiles.end(), [&](const TileDef& d) { return t == d.name; });
      if (def == tiles.end()) s.error("unknown tile '" + t + "'");
      if (st.pictures.count(t)) s.error("tile '" + t + "' given twice");
      auto& frames = st.pictures[t];
      // "frame N" lines follow, each with its picture, frames in order.
      while (true) {
        size_t mark = s.at;
        std::string fl;
        if (!s.next(fl) || fl.rfind("frame", 0) != 0) {
          s.at = mark;
          break;
        }
        int n = std::atoi(fl.c_str() + 5);
        if (n != static_cast<int>(frames.size()) + 1 || n > 4) s.error("frames are numbered 1 to 4 in order");
        frames.push_back(s.rows(def->h * 8, static_cast<size_t>(def->w * 8 / st.pixelw)));
        for (const auto& row : frames.back())
          for (char c : row)
            if (!st.letter.count(c)) s.error(std::string("unknown colour letter '") + c + "' in tile " + t);
      }
      if (frames.empty()) s.error("tile '" + t + "' has no frame");
    } else {
      s.error("unknown line '" + line + "'");
    }
  }
  if (!st.allglyphs)
    for (const TileDef& d : tiles)
      if (!st.pictures.count(d.name)) fail(s.path + ": tile '" + d.name + "' is missing");
  if (st.font.empty()) fail(s.path + ": no font named");
  return st;
}

void put_glyph(Sheet& sh, int k, const std::array<std::array<uint8_t, 8>, 8>& px) {
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 8; x++) sh[((k / 16) * 8 + y) * 128 + (k % 16) * 8 + x] = px[y][x];
}

std::array<Sheet, 4> build_sheets(const Style& st, const std::map<int, Glyph>& font) {
  std::array<Sheet, 4> sheets;
  for (int f = 0; f < 4; f++) {
    Sheet& sh = sheets[f];
    sh.assign(128 * 128, 0);
    for (const TileDef& d : tiles) {
      if (st.allglyphs) break;
      const auto& frames = st.pictures.at(d.name);
      const auto& pic = frames[std::min<size_t>(f, frames.size() - 1)];
      for (int gy = 0; gy < d.h; gy++)
        for (int gx = 0; gx < d.w; gx++) {
          std::array<std::array<uint8_t, 8>, 8> px{};
          for (int y = 0; y < 8; y++)
            for (int x = 0; x < 8; x++) {
              char c = pic[gy * 8 + y][(gx * 8 + x) / st.pixelw];
              px[y][x] = static_cast<uint8_t>(st.letter.at(c));
            }
          put_glyph(sh, d.glyphs[gy * d.w + gx], px);
        }
    }
    for (const auto& [k, g] : font) {
      bool text = st.allglyphs || (k >= 0x2E && k <= 0x7F);
      if (!text) continue;
      std::array<std::array<uint8_t, 8>, 8> px{};
      for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++)
          px[y][x] = (g[y] & (0x80 >> x)) ? static_cast<uint8_t>(st.fontcolours[y]) : 0;
      put_glyph(sh, k, px);
    }
    if (st.twocolour)
      for (int k = 0; k < 256; k++) {
        std::vector<uint8_t> seen;
        for (int y = 0; y < 8; y++)
          for (int x = 0; x < 8; x++) {
            uint8_t v = sh[((k / 16) * 8 + y) * 128 + (k % 16) * 8 + x];
            if (std::find(seen.begin(), seen.end(), v) == seen.end()) seen.push_back(v);
          }
        if (seen.size() > 2)
          fail("style " + st.name + ": glyph " + std::to_string(k) + " of frame " + std::to_string(f + 1) +
               " has " + std::to_string(seen.size()) + " colours; this style allows two per glyph");
      }
  }
  return sheets;
}

// 8-bit BMP with the full palette; 6-bit colours are widened so that the
// datafile tool's narrowing gives them back exactly.
void write_bmp(const std::string& path, int w, int h, const Sheet& px, const std::array<Rgb6, 256>& pal) {
  std::vector<uint8_t> out;
  auto u16 = [&](unsigned v) {
    out.push_back(v & 255);
    out.push_back((v >> 8) & 255);
  };
  auto u32 = [&](unsigned v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  int stride = (w + 3) & ~3;
  unsigned offset = 14 + 40 + 1024;
  out.push_back('B');
  out.push_back('M');
  u32(offset + static_cast<unsigned>(stride * h));
  u32(0);
  u32(offset);
  u32(40);
  u32(static_cast<unsigned>(w));
  u32(static_cast<unsigned>(h));
  u16(1);
  u16(8);
  u32(0);
  u32(static_cast<unsigned>(stride * h));
  u32(2835);
  u32(2835);
  u32(256);
  u32(256);
  for (const Rgb6& c : pal) {
    for (int i = 2; i >= 0; i--) out.push_back(static_cast<uint8_t>(c[i] << 2 | c[i] >> 4));
    out.push_back(0);
  }
  for (int y = h - 1; y >= 0; y--) {
    for (int x = 0; x < w; x++) out.push_back(px[y * w + x]);
    for (int x = w; x < stride; x++) out.push_back(0);
  }
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(out.data()), static_cast<long>(out.size()));
  if (!f) fail(path + ": cannot write");
}

std::array<std::array<uint8_t, 3>, 256> rgb8(const std::array<Rgb6, 256>& pal) {
  std::array<std::array<uint8_t, 3>, 256> out{};
  for (int i = 0; i < 256; i++)
    for (int c = 0; c < 3; c++) out[i][c] = static_cast<uint8_t>(pal[i][c] << 2 | pal[i][c] >> 4);
  return out;
}

const char* const styles[] = {"2004", "c64", "zx", "1994"};

// A picture for the artists: the four frames of a style's sheet, and a small
// scene of tiles in each frame, magnified.
void contact(const std::string& assets, const std::string& name, const std::string& png) {
  Style st = read_style(assets, name);
  auto sheets = build_sheets(st, read_font(assets + "/fonts/" + st.font + ".txt"));
  const int z = 4, gap = 8;
  static const char* const scene[] = {
      "SSSSSSSSSSSSSS", "S..O.*..~~..XS", "S.#OO*#.~~B. S", "S.P   *D   ..S", "S#CCGG123 O*.S",
      "S..wWeEtTlL  S", "SSSSSSSSSSSSSS",
  };
  const int sh = 7 * 16;
  int W = 4 * (128 * z + gap), H = 128 * z + gap + sh * 2;
  std::vector<uint8_t> px(static_cast<size_t>(W) * H, 0);
  auto glyph = [&](int f, int k, int x0, int y0, int scale) {
    for (int y = 0; y < 8; y++)
      for (int x = 0; x < 8; x++) {
        uint8_t v = sheets[f][((k / 16) * 8 + y) * 128 + (k % 16) * 8 + x];
        for (int a = 0; a < scale; a++)
          for (int b = 0; b < scale; b++) px[static_cast<size_t>(y0 + y * scale + a) * W + x0 + x * scale + b] = v;
      }
  };
  auto block = [&](char c) -> std::array<int, 4> {
    switch (c) {
      case 'S': case 'X': return {37, 37, 37, 37};
      case '#': return {0, 0, 0, 0};
      case '.': case '3': return {31, 31, 31, 31};
      case 'O': return {25, 26, 27, 28};
      case '*': return {33, 34, 35, 36};
      case '~': return {38, 39, 40, 41};
      case 'B': return {42, 43, 44, 45};
      case 'D': return {128, 129, 130, 131};
      case 'C': return {144, 145, 160, 161};
      case 'G': return {146, 147, 162, 163};
      case '1': return {29, 29, 29, 29};
      case '2': return {30, 30, 30, 30};
      case 'P': return {1, 2, 3, 4};
      case 'w': return {1, 2, 5, 6};
      case 'W': return {7, 8, 9, 10};
      case 'e': return {7, 8, 11, 12};
      case 'E': return {13, 14, 15, 16};
      case 't': return {13, 14, 17, 18};
      case 'T': return {19, 20, 21, 22};
      case 'l': return {19, 20, 23, 24};
      case 'L': return {132, 133, 134, 135};
      default: return {32, 32, 32, 32};
    }
  };
  for (int f = 0; f < 4; f++) {
    int x0 = f * (128 * z + gap);
    for (int k = 0; k < 256; k++) glyph(f, k, x0 + (k % 16) * 8 * z, (k / 16) * 8 * z, z);
    for (int r = 0; r < 7; r++)
      for (int c = 0; c < 14; c++) {
        auto b = block(scene[r][c]);
        for (int q = 0; q < 4; q++)
          glyph(f, b[q], x0 + (c * 16 + (q % 2) * 8) * 2, 128 * z + gap + (r * 16 + (q / 2) * 8) * 2, 2);
      }
  }
  if (!write_png(png, W, H, px, rgb8(st.pal))) fail(png + ": cannot write");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[2]) == "--contact") {
    contact(argv[1], argv[3], argv[4]);
    return 0;
  }
  if (argc != 3) fail("usage: tavrok-artgen ASSETS OUTDIR | tavrok-artgen ASSETS --contact STYLE PNG");
  std::string assets = argv[1], out = argv[2];
  for (const char* name : styles) {
    Style st = read_style(assets, name);
    auto sheets = build_sheets(st, read_font(assets + "/fonts/" + st.font + ".txt"));
    for (int f = 0; f < 4; f++)
      write_bmp(out + "/sheet_" + name + "_" + std::to_string(f + 1) + ".bmp", 128, 128, sheets[f], st.pal);
    write_bmp(out + "/pal_" + std::string(name) + ".bmp", 1, 1, Sheet(1, 0), st.pal);
  }
  Style text = read_style(assets, "text");
  std::map<int, Glyph> base = read_font(assets + "/fonts/" + text.font + ".txt");
  write_bmp(out + "/sheet_text.bmp", 128, 128, build_sheets(text, base)[0], text.pal);
  write_bmp(out + "/pal_text.bmp", 1, 1, Sheet(1, 0), text.pal);

  // The glyph table of the text-font renderer comes from the text style's font.
  std::ofstream k(out + "/kamenick.cpp");
  k << "// Generated by tavrok-artgen from assets/fonts/" << text.font << ".txt; edit that file instead.\n"
    << "#include \"screen/kamenick.h\"\n\nconst std::array<uint8_t, 2048> kamenick = {\n";
  for (int c = 0; c < 256; c++) {
    Glyph g = base.count(c) ? base[c] : Glyph{};
    k << "   ";
    for (uint8_t b : g) k << " 0x" << "0123456789ABCDEF"[b >> 4] << "0123456789ABCDEF"[b & 15] << ",";
    k << "  // " << c << "\n";
  }
  k << "};\n";
  if (!k) fail(out + "/kamenick.cpp: cannot write");
  return 0;
}
