// libFuzzer target: any bytes as a JPEG stream in an in-memory packfile, with
// the load options and the colour depth taken from the first two bytes.
// seeds/ holds pictures to start from: colour, grey, progressive and a tiny
// one, each behind three choices of those bytes.
#include <allegro.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pictures/jpegd.h"
#include "tests/jpegs.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  install_allegro(SYSTEM_NONE, &errno, atexit);
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
