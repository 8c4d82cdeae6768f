#include "shell/setup.h"

#include <allegro.h>

#include <initializer_list>

#include "cave/grid.h"
#include "cave/load.h"
#include "cave/sets/sets.h"
#include "screen/grafika.h"
#include "screen/render.h"
#include "shell/input.h"
#include "shell/texts.h"
#include "shell/timer.h"

namespace {

bool any_held(std::initializer_list<int> keys) {
  for (int k : keys)
    if (key[k]) return true;
  return false;
}

// Every answer waits for its keys to be let go, so a held key counts once.
void wait_until_released(std::initializer_list<int> keys) {
  while (any_held(keys)) idle();
}

// Waits for Y or N; Y wins when both are held.
bool yes() {
  while (!any_held({KEY_Y, KEY_N})) idle();
  bool y = key[KEY_Y];
  wait_until_released({KEY_Y, KEY_N});
  return y;
}

void choose_set() {
  const uint8_t* const sets[4] = {tavrok_s1.data(), tavrokc64_1.data(), tavrokc64_p.data(), tavrokc64_b.data()};
  const int keys[4] = {KEY_1, KEY_2, KEY_3, KEY_4};
  bl = 1;
  vpic_1font();
  while (!any_held({KEY_1, KEY_2, KEY_3, KEY_4})) idle();
  for (int i = 3; i >= 0; i--)  // the lowest number wins
    if (key[keys[i]]) nazev = sets[i];
  if (nazev == tavrok_s1.data()) bl = 0;
  wait_until_released({KEY_1, KEY_2, KEY_3, KEY_4});
}

// Toggles the cheats and steps the starting cave until ENTER; the page is
// redrawn all the while.
void choose_cheats() {
  uint8_t* const flags[5] = {&tziv, &tcas, &tsutr, &tpavouk, &tvodaturbo};
  const int keys[6] = {KEY_1, KEY_2, KEY_3, KEY_4, KEY_5, KEY_6};
  vpic_1font();
  while (true) {
    cheat_values();
    for (int i = 0; i < 5; i++)
      if (key[keys[i]]) *flags[i] ^= 1;
    if (key[KEY_6] && ++tstart > caves_in(nazev)) tstart = 1;
    wait_until_released({KEY_1, KEY_2, KEY_3, KEY_4, KEY_5, KEY_6});
    vpic_1font();
    if (key[KEY_ENTER]) return;
    idle();
  }
}

}  // namespace

void setup() {
  if (FScr == 0) {
    setup_text(1);
    vpic_1font();
    if (yes()) go_fullscreen();
  }
  setup_text(2);
  vpic_1font();
  if (yes()) inpmouse = 1;
  joystick_question();
  vpic_1font();
  if (yes()) inpjoystick = 1;
  setup_text(3);
  choose_set();
  setup_text(4);
  choose_cheats();
}
