#include "sim/png.h"

#include <png.h>

#include <cstdio>
#include <memory>

bool write_png(const std::string& path, int w, int h, const std::vector<uint8_t>& pixels,
               const std::array<std::array<uint8_t, 3>, 256>& rgb, int transparent) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {  // libpng jumps back here on any error
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, f.get());
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_PALETTE,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color plte[256];
  for (int i = 0; i < 256; i++) plte[i] = {rgb[i][0], rgb[i][1], rgb[i][2]};
  png_set_PLTE(png, info, plte, 256);
  png_byte alpha[256];
  if (transparent >= 0 && transparent < 256) {
    for (int i = 0; i < transparent; i++) alpha[i] = 255;
    alpha[transparent] = 0;
    png_set_tRNS(png, info, alpha, transparent + 1, nullptr);
  }
  png_write_info(png, info);
  for (int y = 0; y < h; y++) png_write_row(png, &pixels[static_cast<size_t>(y) * static_cast<size_t>(w)]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f.release()) == 0;
}
