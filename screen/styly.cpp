#include "screen/styly.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

BITMAP* sbuffer;
PALETTE oldtxt;
PALETTE fpal04, fpal64, fpalZX, fpal94, fpalK;
EFont EFont04, EFont64, EFontZX, EFont94, EFontK;
EFont AktEFont;

namespace {

// Datafile positions of the glyph sheets, frames 1..4, and the palettes.
constexpr int SHEETS04 = 0, SHEETS64 = 4, SHEETS94 = 8, SHEETK = 12, SHEETSZX = 18;
constexpr int PAL04 = 13, PAL64 = 14, PAL94 = 15, PALK = 16, PALZX = 17;

bool is_sheet(int i) { return i < 13 || i >= 18; }

// Big-endian fields of an object's contents.
long be16(const std::vector<uint8_t>& d, size_t at) {
  return static_cast<int16_t>(static_cast<uint16_t>(d[at] << 8 | d[at + 1]));
}
long be32(const std::vector<uint8_t>& d, size_t at) {
  return static_cast<int32_t>(static_cast<uint32_t>(d[at]) << 24 | static_cast<uint32_t>(d[at + 1]) << 16 |
                              static_cast<uint32_t>(d[at + 2]) << 8 | d[at + 3]);
}

// Is the content of one object consistent with its type?
bool object_sound(int type, const std::vector<uint8_t>& d) {
  size_t n = d.size();
  if (type == DAT_PALETTE) return n == 1024;
  if (type == DAT_BITMAP) {
    if (n < 6) return false;
    long bits = be16(d, 0), w = be16(d, 2), h = be16(d, 4);
    long bytes = bits == 8 ? 1 : bits == 15 || bits == 16 ? 2 : bits == 24 ? 3 : bits == 32 || bits == -32 ? 4 : 0;
    return bytes && w >= 0 && h >= 0 && static_cast<size_t>(6 + w * h * bytes) == n;
  }
  if (type == DAT_MIDI) {
    size_t at = 2;
    for (int t = 0; t < 32; t++) {
      if (at + 4 > n) return false;
      long len = be32(d, at);
      if (len < 0 || static_cast<size_t>(len) > n - at - 4) return false;
      at += 4 + static_cast<size_t>(len);
    }
    return at == n;
  }
  // The library builds these from their contents with loaders that do not
  // survive damage, and the game reads none of them. Any other type it
  // reads as the plain data it is (a JPEG grabbed as "JPG " or "JPEG").
  for (int built : {DAT_FILE, DAT_FONT, DAT_SAMPLE, DAT_RLE_SPRITE, DAT_C_SPRITE, DAT_XC_SPRITE})
    if (type == built) return false;
  return true;
}

}  // namespace

const char* datafile_sound(const char* path) {
  static std::string why;
  // Compressed datafiles are not read: the library's unpacking does not
  // survive damaged data, and the game's own datafiles are stored plain.
  uint8_t head[4] = {0, 0, 0, 0};
  if (FILE* raw = std::fopen(path, "rb")) {
    size_t got = std::fread(head, 1, 4, raw);
    std::fclose(raw);
    if (got == 4 && head[0] == 's' && head[1] == 'l' && head[2] == 'h' && head[3] == '!')
      return "is compressed, which is not read; store it uncompressed (dat -c0)";
  }
  PACKFILE* f = pack_fopen(path, F_READ_PACKED);
  if (!f) return "cannot be read (missing, or not a datafile)";
  auto done = [&](const std::string& what) {
    pack_fclose(f);
    why = what;
    return why.c_str();
  };
  // The library reads 32-bit fields into a long without their sign.
  auto get32 = [&]() { return static_cast<int32_t>(static_cast<uint32_t>(pack_mgetl(f))); };
  std::vector<uint8_t> data;
  auto get = [&](int32_t n) {
    data.resize(static_cast<size_t>(n));
    return pack_fread(data.data(), n, f) == n;
  };
  if (get32() != DAT_MAGIC) return done("cannot be read (missing, or not a datafile)");
  int32_t count = get32();
  if (pack_feof(f) || count < 0 || count > 4096) return done("is damaged: its object count is unreadable");
  for (int32_t i = 0; i < count; i++) {
    std::string obj = "is damaged: object " + std::to_string(i);
    int32_t type = get32();
    while (type == DAT_PROPERTY && !pack_feof(f)) {
      get32();
      int32_t size = get32();
      // The synthesizer reads a patch's name into 1024 bytes.
      if (size < 0 || size > 1023) return done(obj + " has a garbled property");
      if (!get(size)) return done(obj + " is cut short");
      for (uint8_t c : data)
        if (c < 0x20 || c > 0x7E) return done(obj + " has a garbled property");
      type = get32();
    }
    int32_t packed = get32(), plain = get32();
    if (pack_feof(f)) return done(obj + " is cut short");
    if (plain < 0)
      return done("object " + std::to_string(i) + " is compressed, which is not read; store it uncompressed (dat -c0)");
    if (packed != plain || plain > (64 << 20)) return done(obj + " has a broken size");
    if (!get(plain)) return done(obj + " is cut short");
    if (!object_sound(type, data))
      return done(obj + " is not a whole bitmap, palette, music or data object");
  }
  return done("");
}

const char* check_datafile(const DATAFILE* df) {
  static std::string why;
  if (!df) return "cannot be read (missing, or not a datafile)";
  for (int i = 0; i < DF_OBJECTS; i++) {
    if (df[i].type == DAT_END) {
      why = "has " + std::to_string(i) + " objects, needs " + std::to_string(DF_OBJECTS);
      return why.c_str();
    }
    if (is_sheet(i)) {
      const BITMAP* b = static_cast<const BITMAP*>(df[i].dat);
      if (df[i].type != DAT_BITMAP || !b || b->w != 128 || b->h != 128 || bitmap_color_depth(const_cast<BITMAP*>(b)) != 8) {
        why = "object " + std::to_string(i) + " must be a 128 x 128 bitmap of 8 bits";
        return why.c_str();
      }
    } else if (df[i].type != DAT_PALETTE || df[i].size < static_cast<long>(sizeof(PALETTE))) {
      why = "object " + std::to_string(i) + " must be a palette";
      return why.c_str();
    }
  }
  return "";
}

void load_styles(const DATAFILE* df) {
  auto sheet = [&](int i) { return static_cast<BITMAP*>(df[i].dat); };
  auto palette = [&](RGB* to, int i) { std::memcpy(to, df[i].dat, sizeof(PALETTE)); };
  for (int f = 1; f <= 4; f++) {
    EFontK.f[f] = sheet(SHEETK);
    acquire_bitmap(EFontK.f[f]);
  }
  palette(fpalK, PALK);
  const struct {
    EFont* record;
    int first;
    RGB* pal;
    int pal_at;
  } styles[] = {{&EFont94, SHEETS94, fpal94, PAL94},
                {&EFontZX, SHEETSZX, fpalZX, PALZX},
                {&EFont64, SHEETS64, fpal64, PAL64},
                {&EFont04, SHEETS04, fpal04, PAL04}};
  for (int f = 1; f <= 4; f++)
    for (const auto& s : styles) {
      s.record->f[f] = sheet(s.first + f - 1);
      acquire_bitmap(s.record->f[f]);
      if (f == 1) palette(s.pal, s.pal_at);
    }
  init_font(EFont04);
}

void ActiveEFont(const EFont& record, const PALETTE palette) {
  for (int f = 1; f <= 4; f++) AktEFont.f[f] = record.f[f];
  set_palette(palette);
}

// Recolours the lettering of a style's sheets, glyphs 0x2E..0x7F, with a
// four-colour ramp by glyph row that moves up two rows every frame.
void init_font(EFont& record) {
  static constexpr uint8_t ramp[8] = {0x60, 0x61, 0x62, 0x63, 0x63, 0x62, 0x61, 0x60};
  auto check = [&](BITMAP* b, int f, int px, int py) {
    if (b->line[py][px] != 0) b->line[py][px] = ramp[(py + 2 * (f - 1)) % 8];
  };
  for (int f = 1; f <= 4; f++) {
    BITMAP* b = record.f[f];
    for (int py = 16; py <= 23; py++)
      for (int px = 112; px <= 127; px++) check(b, f, px, py);
    for (int py = 24; py <= 63; py++)
      for (int px = 0; px <= 127; px++) check(b, f, px, py);
  }
}

void styl(uint8_t n) {
  switch (n) {
    case 0: ActiveEFont(EFont04, fpal04); break;
    case 1: ActiveEFont(EFont64, fpal64); break;
    case 2: ActiveEFont(EFontZX, fpalZX); break;
    default: ActiveEFont(EFont94, fpal94); break;
  }
}

const char* open_styles(const char* path, DATAFILE** loaded) {
  const char* why = datafile_sound(path);
  DATAFILE* df = *why ? nullptr : load_datafile(path);
  if (!*why) why = check_datafile(df);
  if (*why) {
    if (df) unload_datafile(df);
    return why;
  }
  load_styles(df);
  sbuffer = create_bitmap(640, 480);
  *loaded = df;
  return "";
}
