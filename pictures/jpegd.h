// JPEG pictures from Allegro packfiles (a file, or an object of a datafile
// named "FILE.dat#NAME") into memory bitmaps, decoded with libjpeg.
#pragma once

#include <allegro.h>

#include <cstdint>

struct jpeg_load_options {
  int32_t grayscale;    // 1: decode to greyscale
  int32_t scale_denom;  // output scale 1/n for n = 1, 2, 4, 8; else full size
  int32_t fast;         // 1: fast integer DCT, no fancy upsampling or smoothing
  int32_t first_color;  // 8-bit colour output: first palette index used
  int32_t num_colors;   // 8-bit colour output: colours asked of the quantiser
};

// The depth the loader packs pixels for: 8, 15, 16, 24 or 32. It must be
// Allegro's current colour depth, which `create_bitmap` uses.
extern int32_t _color_dept;

// A new bitmap of the picture's output size, or null on any failure (no
// message). In 8-bit mode `pal` gets the picture's colours.
BITMAP* load_jpeg_ex(const char* name, PALETTE pal, const jpeg_load_options* o);
// Full size, colour, 256 colours from index 0.
BITMAP* load_jpeg(const char* name, PALETTE pal);
// The same from a packfile that is already open; the caller closes it.
BITMAP* load_jpeg_pf(PACKFILE* f, PALETTE pal, const jpeg_load_options* o);
