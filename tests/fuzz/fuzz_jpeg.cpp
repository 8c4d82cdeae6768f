// libFuzzer target: any bytes as a JPEG stream in an in-memory packfile, with
// the load options and the colour depth taken from the first two bytes.
// seeds/ holds pictures to start from: colour, grey, progressive and a tiny
// one, each behind three choices of those bytes.
#include <allegro.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "pictures/jpegd.h"

namespace {

struct Memory {
  const std::string* bytes;
  size_t at;
};
Memory& m(void* u) { return *static_cast<Memory*>(u); }
size_t left(void* u) { return m(u).bytes->size() - m(u).at; }
int m_close(void* u) { return delete &m(u), 0; }
int m_getc(void* u) { return left(u) ? static_cast<unsigned char>((*m(u).bytes)[m(u).at++]) : EOF; }
int m_ungetc(int c, void* u) { return m(u).at ? (m(u).at--, c) : EOF; }
long m_fread(void* p, long n, void* u) {
  size_t k = std::min(static_cast<size_t>(std::max(n, 0L)), left(u));
  std::memcpy(p, m(u).bytes->data() + m(u).at, k);
  m(u).at += k;
  return static_cast<long>(k);
}
int m_putc(int, void*) { return EOF; }
long m_fwrite(const void*, long, void*) { return 0; }
int m_fseek(void* u, int n) { return n < 0 || static_cast<size_t>(n) > left(u) ? -1 : (m(u).at += static_cast<size_t>(n), 0); }
int m_feof(void* u) { return left(u) == 0; }
int m_ferror(void*) { return 0; }
PACKFILE_VTABLE memory_vtable = {m_close, m_getc, m_ungetc, m_fread, m_putc, m_fwrite, m_fseek, m_feof, m_ferror};

// A packfile reading `bytes` (which must outlive it).
PACKFILE* memory_packfile(const std::string& bytes) {
  return pack_fopen_vtable(&memory_vtable, new Memory{&bytes, 0});
}

}  // namespace

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
