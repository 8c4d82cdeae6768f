// The 8 x 8 text font in the Kamenický code page: 256 glyphs of 8 row bytes,
// top row first, bit 7 the leftmost pixel. Generated from assets/fonts/base.txt.
#pragma once

#include <array>
#include <cstdint>

extern const std::array<uint8_t, 2048> kamenick;
