#include "tests/jpegs.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

std::string encode_jpeg(int w, int h, const std::vector<uint32_t>& px, bool grey, int quality, bool progressive) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(w);
  c.image_height = static_cast<JDIMENSION>(h);
  c.input_components = grey ? 1 : 3;
  c.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(w) * 3);
  for (int y = 0; y < h; y++) {
    for (int x = 0; x < w; x++) {
      uint32_t p = px[static_cast<size_t>(y * w + x)];
      if (grey) {
        row[static_cast<size_t>(x)] = static_cast<JSAMPLE>(p);
      } else {
        row[static_cast<size_t>(3 * x)] = static_cast<JSAMPLE>(p >> 16);
        row[static_cast<size_t>(3 * x + 1)] = static_cast<JSAMPLE>(p >> 8);
        row[static_cast<size_t>(3 * x + 2)] = static_cast<JSAMPLE>(p);
      }
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::string s(reinterpret_cast<char*>(out), size);
  std::free(out);
  return s;
}

namespace {

struct Memory {
  const std::string* bytes;
  size_t at;
};

int m_close(void* u) {
  delete static_cast<Memory*>(u);
  return 0;
}
int m_getc(void* u) {
  Memory* m = static_cast<Memory*>(u);
  return m->at < m->bytes->size() ? static_cast<unsigned char>((*m->bytes)[m->at++]) : EOF;
}
int m_ungetc(int c, void* u) {
  Memory* m = static_cast<Memory*>(u);
  if (m->at == 0) return EOF;
  m->at--;
  return c;
}
long m_fread(void* p, long n, void* u) {
  Memory* m = static_cast<Memory*>(u);
  size_t left = m->bytes->size() - m->at;
  size_t k = n < 0 ? 0 : static_cast<size_t>(n) < left ? static_cast<size_t>(n) : left;
  std::memcpy(p, m->bytes->data() + m->at, k);
  m->at += k;
  return static_cast<long>(k);
}
int m_putc(int, void*) { return EOF; }
long m_fwrite(const void*, long, void*) { return 0; }
int m_fseek(void* u, int offset) {
  Memory* m = static_cast<Memory*>(u);
  if (offset < 0 || m->at + static_cast<size_t>(offset) > m->bytes->size()) return -1;
  m->at += static_cast<size_t>(offset);
  return 0;
}
int m_feof(void* u) {
  Memory* m = static_cast<Memory*>(u);
  return m->at >= m->bytes->size();
}
int m_ferror(void*) { return 0; }

PACKFILE_VTABLE memory_vtable = {m_close, m_getc, m_ungetc, m_fread, m_putc, m_fwrite, m_fseek, m_feof, m_ferror};

}  // namespace

PACKFILE* memory_packfile(const std::string& bytes) {
  return pack_fopen_vtable(&memory_vtable, new Memory{&bytes, 0});
}
