#include "headless/headless.h"

Keys headless_keys;
int32_t headless_mx, headless_my;
const std::vector<Keys>* headless_feed;
std::size_t headless_fed;
bool (*headless_po_ticku)(Konec k);
HeadlessLog headless_log;
int32_t mstavx, mstavy;
uint8_t EnabledChange;

bool held(Klic k) { return headless_keys[k]; }

void mstav() {
  mstavx = headless_mx;
  mstavy = headless_my;
}

void pal(uint8_t index, uint8_t r, uint8_t g, uint8_t b) {
  headless_log.pals.push_back({index, r, g, b});
}

void Delay100(int32_t n, uint8_t) {
  if (n > 0) headless_log.delay_ticks += n;
}

void vpic_1font() { headless_log.renders++; }

void pacing() {
  if (!headless_feed) return;
  headless_keys = headless_fed < headless_feed->size() ? (*headless_feed)[headless_fed] : Keys{};
  headless_fed++;
}

bool po_ticku(Konec k) {
  bool go_on = headless_po_ticku ? headless_po_ticku(k) : true;
  if (k != HRAJE && headless_feed) headless_keys = {};
  return go_on;
}

void titobr() { headless_log.titles++; }
void gameover() { headless_log.gameovers++; }
void prosel() { headless_log.prosels++; }

void po_hre(Konec) {}
