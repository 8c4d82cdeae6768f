#include "cave/nahoda.h"

namespace {

constexpr int32_t draw(Nahoda& n) {
  n.r[n.f] += n.r[n.b];
  int32_t out = static_cast<int32_t>(n.r[n.f] >> 1);
  n.f = (n.f + 1) % 31;
  n.b = (n.b + 1) % 31;
  return out;
}

// The seed's 31 words by the minimal standard generator (16807 modulo
// 2^31 - 1, in 32-bit steps as the library takes them), then 310 draws.
constexpr Nahoda seeded(uint32_t seed) {
  Nahoda n{};
  int32_t word = seed == 0 ? 1 : static_cast<int32_t>(seed);
  n.r[0] = static_cast<uint32_t>(word);
  for (int i = 1; i < 31; i++) {
    int32_t hi = word / 127773, lo = word % 127773;
    word = 16807 * lo - 2836 * hi;
    if (word < 0) word += 2147483647;
    n.r[i] = static_cast<uint32_t>(word);
  }
  n.f = 3;
  n.b = 0;
  for (int i = 0; i < 310; i++) draw(n);
  return n;
}

}  // namespace

Nahoda nahoda_stav = seeded(1);

int32_t nahoda() { return draw(nahoda_stav); }

void nahoda_seed(uint32_t seed) { nahoda_stav = seeded(seed); }
