#include "shell/timer.h"

#include <allegro.h>

#include "cave/platform.h"
#include "shell/quit.h"

std::atomic<int32_t> ctc{0};

void timerCycle() { ctc.fetch_add(1, std::memory_order_relaxed); }
END_OF_FUNCTION(timerCycle)

void idle() {
  quit_check();
  rest(5);
}

static bool skip_key() { return key[KEY_ESC] || key[KEY_SPACE] || key[KEY_ENTER]; }

void D100(uint8_t abort) {
  int32_t was = ctc.load();
  while (true) {
    if (abort && skip_key()) return;
    if (ctc.load() != was) return;
    idle();
  }
}

void Delay100(int32_t n, uint8_t abort) {
  for (int32_t i = 0; i < n; i++) D100(abort);
}

void pacing() {
  if (ctc.load() < 0) ctc = 0;
  quit_check();  // the fast clock never waits
  while (ctc.load() <= 0 && !key[KEY_LSHIFT]) idle();
  ctc = 0;
}
