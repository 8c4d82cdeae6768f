// Palette PNG files for the preview and the content generators (contact
// sheets, icons, the intro picture), written with libpng.
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
