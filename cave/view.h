// The cave view: the virtual cave screen of 84 x 54 cells that holds the cave
// as 2 x 2 character blocks in a two-cell frame, and the window of it that
// follows the player on the text screen.
#pragma once

#include <array>
#include <cstdint>

constexpr int VSTRIDE = 264;  // bytes per row of the virtual cave screen

extern std::array<uint8_t, 65536> mb800p;
extern uint8_t* const mb800;

// Fills the whole buffer with the byte 5 (once, at program start).
void init_mb800();

// Draws the two-cell frame of the virtual cave screen in the brick-wall look.
void frame();

void zobraz();
void prehod();

// The window copy of `prehod`, without the render.
void okno();
