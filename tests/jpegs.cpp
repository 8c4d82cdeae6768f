#include "tests/jpegs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

Decoded decode_jpeg(const std::string& bytes, bool grey, int denom, bool fast) {
  jpeg_decompress_struct d;
  jpeg_error_mgr err;
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data())), bytes.size());
  jpeg_read_header(&d, TRUE);
  d.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  d.scale_denom = static_cast<unsigned>(denom);
  if (fast) d.dct_method = JDCT_IFAST, d.do_fancy_upsampling = d.do_block_smoothing = FALSE;
  jpeg_start_decompress(&d);
  Decoded o{static_cast<int>(d.output_width), static_cast<int>(d.output_height), d.output_components, {}};
  o.px.resize(static_cast<size_t>(o.w * o.h * o.comps));
  while (d.output_scanline < d.output_height) {
    JSAMPROW r = &o.px[d.output_scanline * static_cast<size_t>(o.w * o.comps)];
    jpeg_read_scanlines(&d, &r, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  return o;
}

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

}  // namespace

PACKFILE* memory_packfile(const std::string& bytes) {
  return pack_fopen_vtable(&memory_vtable, new Memory{&bytes, 0});
}
