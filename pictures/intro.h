// The intro: the intro picture zooming out, widening and showing the logo,
// drawn straight onto the screen between the opening text and the title.
#pragma once

#include <cstdint>

extern int32_t IntroRX, IntroRY;  // the drawing area: 640 x 480

// Plays the intro once; ESC, SPACE or ENTER skips the rest. `poll` is what a
// wait does between two looks at the keys. Leaves the screen black and the
// picture's palette set. Without a picture it only waits for ENTER and SPACE
// to be let go and blanks the screen.
void intro_title(void (*poll)());
