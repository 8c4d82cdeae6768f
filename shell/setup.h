// The setup and cheat menu: full screen, mouse and joystick, the cave set,
// the cheats and the starting cave, for the rest of the run.
#pragma once

void setup();
