#include "sim/cavefile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "cave/grid.h"
#include "cave/load.h"
#include "cave/sets/sets.h"

const char* tool_name = "tavrok";

void tool_fail(const std::string& msg) {
  std::fprintf(stderr, "%s: %s\n", tool_name, msg.c_str());
  std::exit(2);
}

std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) tool_fail(path + ": cannot open: " + std::strerror(errno));
  return std::string(std::istreambuf_iterator<char>(f), {});
}

namespace {

// Checks one cave record.
void check_record(const std::string& where, const uint8_t* r, size_t size) {
  if (size != RECORD)
    tool_fail(where + ": a cave record is exactly " + std::to_string(RECORD) + " bytes, this one has " +
              std::to_string(size));
  if (r[1002] >= CW || r[1003] >= CH)
    tool_fail(where + ": start cell (" + std::to_string(r[1002]) + ", " + std::to_string(r[1003]) +
              ") is outside 0..39 x 0..24");
  for (int i = 0; i < CW * CH; i++)
    if (r[i] > E_LAST)
      tool_fail(where + ": grid code " + std::to_string(r[i]) + " at column " + std::to_string(i % CW) + ", row " +
                std::to_string(i / CW) + " is above 24");
}

}  // namespace

std::vector<uint8_t> cave_set(const std::string& cave_file, const std::string& set_name, long number) {
  std::vector<uint8_t> set;
  if (!cave_file.empty()) {
    std::string bytes = read_file(cave_file);
    const uint8_t* r = reinterpret_cast<const uint8_t*>(bytes.data());
    check_record(cave_file, r, bytes.size());
    // The record plays as cave K of a set: `load` finds it at its place.
    set.assign(static_cast<size_t>(number) * RECORD, 0);
    std::copy(r, r + RECORD, set.end() - RECORD);
    return set;
  }
  const CaveSet* s = find_set(set_name);
  if (!s) tool_fail("unknown cave set '" + set_name + "'");
  if (number > static_cast<long>(s->caves))
    tool_fail("set '" + set_name + "' has caves 1 to " + std::to_string(s->caves) + ", not " + std::to_string(number));
  for (uint32_t k = 0; k < s->caves; k++) check_record(set_name + " cave " + std::to_string(k + 1), s->data + k * RECORD, RECORD);
  set.assign(s->data, s->data + s->caves * RECORD);
  return set;
}
