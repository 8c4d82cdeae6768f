// A small writer of palette PNG files for the developer tools (previews,
// contact sheets). Stored deflate blocks only: large, but simple and exact.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// rgb: 256 entries of 8-bit red, green, blue; palette index `transparent`
// (if 0..255) is fully transparent. Returns false if the file cannot be
// written.
bool write_png(const std::string& path, int w, int h, const std::vector<uint8_t>& pixels,
               const std::array<std::array<uint8_t, 3>, 256>& rgb, int transparent = -1);
