#include "pictures/jpegd.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

int32_t _color_dept = 8;

namespace {

constexpr size_t BUFSIZE = 4096;
constexpr uint64_t MAX_PICTURE_BYTES = 64u << 20;
constexpr uint64_t MAX_PICTURE_PIXELS = 16u << 20;
constexpr long MAX_DECODER_BYTES = 256L << 20;

// A libjpeg data source reading from an Allegro packfile.
struct Zdroj {
  jpeg_source_mgr pub;
  PACKFILE* f;
  JOCTET* buffer;
  boolean start_of_file;
};

Zdroj* zdroj(j_decompress_ptr c) { return reinterpret_cast<Zdroj*>(c->src); }

void init_source(j_decompress_ptr c) { zdroj(c)->start_of_file = TRUE; }

// A stream that ends early is finished with an end-of-image marker, after
// libjpeg's warning; one that holds nothing at all is an error.
boolean fill_input_buffer(j_decompress_ptr c) {
  Zdroj* z = zdroj(c);
  long n = pack_fread(z->buffer, BUFSIZE, z->f);
  if (n <= 0) {
    if (z->start_of_file) ERREXIT(c, JERR_INPUT_EMPTY);
    WARNMS(c, JWRN_JPEG_EOF);
    z->buffer[0] = 0xFF;
    z->buffer[1] = JPEG_EOI;
    n = 2;
  }
  z->pub.next_input_byte = z->buffer;
  z->pub.bytes_in_buffer = static_cast<size_t>(n);
  z->start_of_file = FALSE;
  return TRUE;
}

void skip_input_data(j_decompress_ptr c, long n) {
  if (n <= 0) return;
  Zdroj* z = zdroj(c);
  while (n > static_cast<long>(z->pub.bytes_in_buffer)) {
    n -= static_cast<long>(z->pub.bytes_in_buffer);
    fill_input_buffer(c);
  }
  z->pub.next_input_byte += n;
  z->pub.bytes_in_buffer -= static_cast<size_t>(n);
}

void term_source(j_decompress_ptr) {}

// The source lives in libjpeg's permanent pool, as long as the decompressor.
void jpeg_packfile_src(j_decompress_ptr c, PACKFILE* f) {
  if (!c->src) {
    auto alloc = c->mem->alloc_small;
    Zdroj* z = static_cast<Zdroj*>(alloc(reinterpret_cast<j_common_ptr>(c), JPOOL_PERMANENT, sizeof(Zdroj)));
    z->buffer = static_cast<JOCTET*>(alloc(reinterpret_cast<j_common_ptr>(c), JPOOL_PERMANENT, BUFSIZE));
    c->src = &z->pub;
  }
  Zdroj* z = zdroj(c);
  z->pub.init_source = init_source;
  z->pub.fill_input_buffer = fill_input_buffer;
  z->pub.skip_input_data = skip_input_data;
  z->pub.resync_to_restart = jpeg_resync_to_restart;
  z->pub.term_source = term_source;
  z->f = f;
  z->pub.bytes_in_buffer = 0;
  z->pub.next_input_byte = nullptr;
}

// libjpeg's error manager followed by the place an error jumps back to.
struct Chyba {
  jpeg_error_mgr pub;
  std::jmp_buf skok;
};

// Packs one RGB or greyscale output row into bitmap row y at 15 to 32 bits.
void pack_row(BITMAP* b, int y, const JSAMPLE* in, int w, bool colour) {
  uint8_t* out = b->line[y];
  for (int x = 0; x < w; x++) {
    int r, g, bl;
    if (colour) {
      r = in[3 * x], g = in[3 * x + 1], bl = in[3 * x + 2];
    } else {
      r = g = bl = in[x];
    }
    switch (_color_dept) {
      case 15:
      case 16: {
        int p;
        if (!colour)
          p = makecol(r, g, bl);
        else if (_color_dept == 15)
          p = (r >> 3) << _rgb_r_shift_15 | (g >> 3) << _rgb_g_shift_15 | (bl >> 3) << _rgb_b_shift_15;
        else
          p = (r >> 3) << _rgb_r_shift_16 | (g >> 2) << _rgb_g_shift_16 | (bl >> 3) << _rgb_b_shift_16;
        reinterpret_cast<uint16_t*>(out)[x] = static_cast<uint16_t>(p);
        break;
      }
      case 24:
      case 32: {
        // In the library's own pixel format, which is usually B, G, R in
        // memory, but not on every platform.
        bool d24 = _color_dept == 24;
        uint8_t* p = out + x * (d24 ? 3 : 4);
        int sr = d24 ? _rgb_r_shift_24 : _rgb_r_shift_32, sg = d24 ? _rgb_g_shift_24 : _rgb_g_shift_32,
            sb = d24 ? _rgb_b_shift_24 : _rgb_b_shift_32;
        for (int i = 0; i < (d24 ? 3 : 4); i++) p[i] = 0;
        p[sr / 8] = static_cast<uint8_t>(r);
        p[sg / 8] = static_cast<uint8_t>(g);
        p[sb / 8] = static_cast<uint8_t>(bl);
        break;
      }
    }
  }
}

}  // namespace

// Leaves through the jump buffer behind the error manager; prints nothing.
void my_error_exit(j_common_ptr c) { std::longjmp(reinterpret_cast<Chyba*>(c->err)->skok, 1); }

BITMAP* load_jpeg_pf(PACKFILE* f, PALETTE pal, const jpeg_load_options* o) {
  // Nothing here may need destroying when an error jumps back: the bitmap
  // and the row buffer are freed by hand, and they are volatile so that they
  // hold their values across the jump.
  jpeg_decompress_struct c;
  Chyba err;
  BITMAP* volatile bmp = nullptr;
  JSAMPLE* volatile row = nullptr;
  c.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = my_error_exit;
  if (setjmp(err.skok)) {
    if (bmp) destroy_bitmap(bmp);
    jpeg_destroy_decompress(&c);
    std::free(row);
    return nullptr;
  }
  jpeg_create_decompress(&c);
  // A crafted header can ask for a huge picture: libjpeg gets a memory
  // budget (beyond it, it fails instead of growing), and pictures larger
  // than any of ours are refused before anything is decoded.
  c.mem->max_memory_to_use = MAX_DECODER_BYTES;
  jpeg_packfile_src(&c, f);
  jpeg_read_header(&c, TRUE);
  if (static_cast<uint64_t>(c.image_width) * c.image_height > MAX_PICTURE_PIXELS) {
    jpeg_destroy_decompress(&c);
    return nullptr;
  }

  if (o->grayscale == 1)
    c.out_color_space = JCS_GRAYSCALE;
  else if (c.out_color_space != JCS_GRAYSCALE)
    c.out_color_space = JCS_RGB;
  bool colour = c.out_color_space == JCS_RGB;
  int d = o->scale_denom;
  c.scale_num = 1;
  c.scale_denom = d == 1 || d == 2 || d == 4 || d == 8 ? static_cast<unsigned>(d) : 1;
  if (o->fast == 1) {
    c.dct_method = JDCT_IFAST;
    c.do_fancy_upsampling = FALSE;
    c.do_block_smoothing = FALSE;
  }
  uint32_t first = static_cast<uint32_t>(o->first_color), num = static_cast<uint32_t>(o->num_colors);
  if (_color_dept == 8 && colour) {
    if (num > 256 || first > 255 || first + num > 256) {
      jpeg_destroy_decompress(&c);
      return nullptr;
    }
    c.quantize_colors = TRUE;
    c.desired_number_of_colors = static_cast<int>(num);
  }

  jpeg_start_decompress(&c);
  int w = static_cast<int>(c.output_width), h = static_cast<int>(c.output_height);
  // The library sizes a bitmap in an int; a crafted header must not make
  // that overflow, nor ask for more memory than any picture of ours needs.
  if (static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * static_cast<uint64_t>((_color_dept + 7) / 8) >
      MAX_PICTURE_BYTES) {
    jpeg_destroy_decompress(&c);
    return nullptr;
  }
  bmp = create_bitmap(w, h);
  if (!bmp) {
    jpeg_destroy_decompress(&c);
    return nullptr;
  }
  if (_color_dept != 8) {
    row = static_cast<JSAMPLE*>(std::malloc(static_cast<size_t>(w) * 3));
    if (!row) {
      destroy_bitmap(bmp);
      jpeg_destroy_decompress(&c);
      return nullptr;
    }
  }
  while (c.output_scanline < c.output_height) {
    int y = static_cast<int>(c.output_scanline);
    JSAMPROW to = _color_dept == 8 ? bmp->line[y] : row;
    jpeg_read_scanlines(&c, &to, 1);
    if (_color_dept != 8) pack_row(bmp, y, to, w, colour);
  }

  if (_color_dept != 8) {
    std::free(row);
    row = nullptr;
  } else if (colour) {
    for (uint32_t i = 0; i < num && static_cast<int>(i) < c.actual_number_of_colors; i++) {
      pal[first + i].r = static_cast<unsigned char>(c.colormap[0][i] * 63 / 255);
      pal[first + i].g = static_cast<unsigned char>(c.colormap[1][i] * 63 / 255);
      pal[first + i].b = static_cast<unsigned char>(c.colormap[2][i] * 63 / 255);
    }
    if (first != 0)
      for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) bmp->line[y][x] = static_cast<uint8_t>(bmp->line[y][x] + first);
  } else {
    for (int i = 0; i < 256; i++) pal[i].r = pal[i].g = pal[i].b = static_cast<unsigned char>(i * 63 / 255);
  }
  jpeg_finish_decompress(&c);
  jpeg_destroy_decompress(&c);
  return bmp;
}

BITMAP* load_jpeg_ex(const char* name, PALETTE pal, const jpeg_load_options* o) {
  PACKFILE* f = pack_fopen(name, "rb");
  if (!f) return nullptr;
  BITMAP* b = load_jpeg_pf(f, pal, o);
  pack_fclose(f);
  return b;
}

BITMAP* load_jpeg(const char* name, PALETTE pal) {
  const jpeg_load_options defaults = {0, 1, 0, 0, 256};
  return load_jpeg_ex(name, pal, &defaults);
}
