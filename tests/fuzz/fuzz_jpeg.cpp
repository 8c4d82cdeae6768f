// libFuzzer target: any bytes as a JPEG stream in an in-memory packfile, with
// the load options and the colour depth taken from the first two bytes.
// With "--seeds DIR" it writes a few valid pictures to start a corpus from.
#include <allegro.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "pictures/jpegd.h"
#include "tests/jpegs.h"

namespace {

void write_seeds(const std::string& dir) {
  std::vector<uint32_t> px;
  for (int y = 0; y < 40; y++)
    for (int x = 0; x < 56; x++) px.push_back(static_cast<uint32_t>(x * 4 << 16 | y * 6 << 8 | (x + y) * 2));
  std::vector<uint32_t> grey(px.size());
  for (size_t i = 0; i < px.size(); i++) grey[i] = px[i] & 255;
  const std::string seeds[] = {encode_jpeg(56, 40, px, false), encode_jpeg(56, 40, grey, true),
                               encode_jpeg(56, 40, px, false, 60, true), encode_jpeg(9, 7, px, false, 100)};
  int n = 0;
  for (const std::string& s : seeds)
    for (uint8_t mode : {0x00, 0x5A, 0xC3}) {
      std::ofstream f(dir + "/seed" + std::to_string(n++), std::ios::binary);
      f << static_cast<char>(mode) << static_cast<char>(mode ^ 0x33) << s;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  install_allegro(SYSTEM_NONE, &errno, atexit);
  for (int i = 1; i + 1 < *argc; i++)
    if (std::strcmp((*argv)[i], "--seeds") == 0) {
      write_seeds((*argv)[i + 1]);
      std::exit(0);
    }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const int depths[5] = {8, 8, 16, 24, 32};
  static const int32_t firsts[4] = {0, 16, 200, 255}, counts[4] = {256, 240, 100, 1};
  int depth = depths[data[0] % 5];
  if (depth == 16 && data[0] & 0x40) depth = 15;
  const jpeg_load_options o = {data[0] >> 7, 1 << (data[1] & 3), data[1] >> 2 & 1, firsts[data[1] >> 3 & 3],
                               counts[data[1] >> 5 & 3]};
  set_color_depth(depth);
  _color_dept = depth;
  const std::string bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
  PACKFILE* f = memory_packfile(bytes);
  PALETTE pal;
  BITMAP* b = load_jpeg_pf(f, pal, &o);
  pack_fclose(f);
  if (b) destroy_bitmap(b);
  return 0;
}
