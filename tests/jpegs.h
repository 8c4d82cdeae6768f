// libjpeg's own decoding of a JPEG stream.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// RGB or grey samples row after row, at scale 1/denom, with or without the
// fast options (integer transform, plain upsampling).
struct Decoded {
  int w, h, comps;
  std::vector<uint8_t> px;
};
Decoded decode_jpeg(const std::string& bytes, bool grey, int denom, bool fast);
