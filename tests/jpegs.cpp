#include "tests/jpegs.h"

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
