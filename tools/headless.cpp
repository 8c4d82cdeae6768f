#include "tools/headless.h"

std::array<bool, KL_COUNT> headless_keys;
HeadlessLog headless_log;
int32_t mstavx, mstavy;

bool held(Klic k) { return headless_keys[k]; }

void mstav() { mstavx = mstavy = 0; }

void pal(uint8_t index, uint8_t r, uint8_t g, uint8_t b) {
  headless_log.pals.push_back({index, r, g, b});
}

void Delay100(int32_t n, uint8_t) {
  if (n > 0) headless_log.delay_ticks += n;
}

void vpic_1font() { headless_log.renders++; }
