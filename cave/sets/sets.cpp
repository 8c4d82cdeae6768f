#include "cave/sets/sets.h"

namespace {
const CaveSet sets[] = {
    {"tavrok_s1", tavrok_s1.data(), 25},
    {"tavrokc64_1", tavrokc64_1.data(), 20},
    {"tavrokc64_p", tavrokc64_p.data(), 20},
    {"tavrokc64_b", tavrokc64_b.data(), 20},
};
}  // namespace

const CaveSet* find_set(std::string_view name) {
  for (const CaveSet& s : sets)
    if (name == s.name) return &s;
  return nullptr;
}

uint32_t caves_in(const uint8_t* set) { return set == tavrok_s1.data() ? 25 : 20; }

const CaveSet* set_of(const uint8_t* data) {
  for (const CaveSet& s : sets)
    if (data == s.data) return &s;
  return nullptr;
}
