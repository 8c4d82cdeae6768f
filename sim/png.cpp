#include "tools/png.h"

#include <algorithm>
#include <cstdio>

namespace {

uint32_t crc_table[256];

void make_crc_table() {
  for (uint32_t n = 0; n < 256; n++) {
    uint32_t c = n;
    for (int k = 0; k < 8; k++) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    crc_table[n] = c;
  }
}

uint32_t crc(const uint8_t* p, size_t n, uint32_t c = 0xFFFFFFFFu) {
  for (size_t i = 0; i < n; i++) c = crc_table[(c ^ p[i]) & 255] ^ (c >> 8);
  return c;
}

void put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back(static_cast<uint8_t>(x >> s));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  put32(out, static_cast<uint32_t>(data.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  put32(out, crc(&out[start], out.size() - start) ^ 0xFFFFFFFFu);
}

}  // namespace

bool write_png(const std::string& path, int w, int h, const std::vector<uint8_t>& pixels,
               const std::array<std::array<uint8_t, 3>, 256>& rgb, int transparent) {
  make_crc_table();
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  put32(ihdr, static_cast<uint32_t>(w));
  put32(ihdr, static_cast<uint32_t>(h));
  ihdr.insert(ihdr.end(), {8, 3, 0, 0, 0});  // 8-bit palette, no interlace
  chunk(out, "IHDR", ihdr);
  std::vector<uint8_t> plte;
  for (const auto& c : rgb) plte.insert(plte.end(), c.begin(), c.end());
  chunk(out, "PLTE", plte);
  if (transparent >= 0 && transparent < 256) {
    std::vector<uint8_t> alpha(static_cast<size_t>(transparent) + 1, 255);
    alpha.back() = 0;
    chunk(out, "tRNS", alpha);
  }

  // Scanlines with filter byte 0, in stored deflate blocks of at most 65535.
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(h) * (w + 1));
  for (int y = 0; y < h; y++) {
    raw.push_back(0);
    raw.insert(raw.end(), pixels.begin() + static_cast<long>(y) * w, pixels.begin() + static_cast<long>(y + 1) * w);
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  uint32_t a = 1, b = 0;
  for (uint8_t c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  for (size_t off = 0; off < raw.size(); off += 65535) {
    size_t n = std::min<size_t>(65535, raw.size() - off);
    z.push_back(off + n >= raw.size() ? 1 : 0);
    z.push_back(static_cast<uint8_t>(n & 255));
    z.push_back(static_cast<uint8_t>(n >> 8));
    z.push_back(static_cast<uint8_t>(~n & 255));
    z.push_back(static_cast<uint8_t>((~n >> 8) & 255));
    z.insert(z.end(), raw.begin() + static_cast<long>(off), raw.begin() + static_cast<long>(off + n));
  }
  put32(z, (b << 16) | a);
  chunk(out, "IDAT", z);
  chunk(out, "IEND", {});

  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  return std::fclose(f) == 0 && ok;
}
