// The intro: the intro picture zooming out, widening and showing the logo,
// drawn straight onto the screen between the opening text and the title.
#pragma once

#include <allegro.h>

#include <cstdint>

extern int32_t IntroRX, IntroRY;  // the drawing area: 640k x 480k

constexpr int INTRO_FRAMES = 185;

// Draws frame f of the intro from the picture `title` onto `to`: frames 0 to
// 49 zoom out of the cave, 50 to 84 widen to the whole scene, 85 to 184 grow
// the logo over it. Each draws over what the frame before left.
void intro_frame(BITMAP* title, BITMAP* to, int f);

// Plays the intro from the picture (a packfile name; none: no intro) once,
// onto `to` (the screen, or the picture's place on it), at its size;
// ESC, SPACE or ENTER skips the rest. `poll` is what a wait does between two
// looks at the keys. Leaves `to` black and the picture's palette set.
// Without a picture it only waits for ENTER and SPACE to be let go and blanks
// `to`.
void intro_title(void (*poll)(), const char* picture, BITMAP* to);
