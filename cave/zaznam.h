// The record of a game: what it carried in and what it acted on, tick by
// tick, so that it can be played again exactly; and its text form.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cave/grid.h"
#include "cave/hra.h"
#include "cave/nahoda.h"
#include "cave/platform.h"

// The names of the keys in a tick's line: the simulator's input format.
constexpr std::array<const char*, KL_COUNT> KLIC_JMENA = {"up", "down", "left", "right", "kill", "f11", "f12", "esc"};
// The cheats' names, in the order of their switches.
constexpr std::array<const char*, 5> CHEAT_JMENA = {"lives", "time", "boulders", "spiders", "turbo"};

// How a cave ended: after which tick of the game, what, in which cave, with
// what score and lives; `cut`: the step of the time bonus after which ESC cut
// it short (0: it ran to its end, or there was none).
struct KonecJeskyne {
  std::size_t tick = 0;
  Konec what = HRAJE;
  uint32_t cave = 0, sc = 0, zi = 0;
  int cut = 0;
};

struct Zaznam {
  std::string set;  // the set's name
  uint8_t bl = 0;
  uint32_t start = 1;
  std::array<uint8_t, CHEAT_JMENA.size()> cheats{};  // tziv, tcas, tsutr, tpavouk, tvodaturbo
  Nahoda nahoda{};
  std::array<uint8_t, GSIZE> smer{};
  std::vector<uint8_t> ticks;  // per tick, bit k: key k (Klic) acted on
  std::vector<KonecJeskyne> ends;
  KonecJeskyne result;  // the game's end: tick 0, `cut` unused
};

// The game being recorded, or the one being played back.
extern Zaznam zaznam_hry;
// True while a game plays back `zaznam_hry` instead of reading the keys.
extern bool prehravani;
// In a playback, where it first went another way than the record; empty
// while it agrees.
extern std::string rozdil;

// A new game begins: its record is started from what the game carries in,
// or, in a playback, the game is set up from the record.
void zaznam_novy();
// A tick begins, after the wait.
void zaznam_tik();
// A key as the tick acts on it: held, or `also` (the mouse or joystick for
// a direction); from the record in a playback. Recorded either way.
bool vstup(Klic k, bool also = false);
// After each step of the time bonus: ESC held, which cuts it short.
bool bonus_esc(int step);
// At the end of every tick, with what it ended with: a cave's end is
// recorded; in a playback, false when the game went another way (`rozdil`
// says how).
bool zaznam_konec(Konec k);
// The game has ended with k.
void zaznam_vysledek(Konec k);

// Plays `zaznam_hry` back as a game, with its set, cheats and what it carried
// in; the program's own are put back afterwards. `rozdil` tells whether it
// went as recorded.
Konec prehraj();

// The game counts for the tables: no cheat, started at cave 1, and neither
// F11 nor F12 acted on.
bool bez_pomoci(const Zaznam& z);

std::string zaznam_text(const Zaznam& z);
// Strict: false with `why` ("line N: ...") for anything not understood.
bool zaznam_cti(const std::string& text, Zaznam& z, std::string& why);
